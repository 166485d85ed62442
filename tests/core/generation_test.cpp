// Drawing of the virtual samples and their prefix statistics, on one or two
// threads, and abort.
#include "analysis/generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/random.h"
#include "base/numeric.h"
#include "road.h"

using namespace velta;

namespace {

std::vector<double> Units(int32_t n) {
    std::vector<double> p(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) p[static_cast<size_t>(i)] = 10.0 * i + (i % 3) * 0.25;
    return p;
}

// The arrangements of one drawing as a table: column j (from 1) holds the
// unit numbers of virtual sample j in rows 1 .. n.
Table2D Draw(int32_t n, int32_t v, RandomSource rng) {
    const std::vector<uint16_t> draws = *DrawArrangements(n, v, rng, NoProgress());
    Table2D t(n + 1, v + 1);
    for (int32_t j = 1; j <= v; ++j)
        for (int32_t i = 1; i <= n; ++i) t(i, j) = draws[static_cast<size_t>((j - 1) * n + i - 1)];
    return t;
}

// Stops the drawing at its third item.
struct StopAtThree : Progress {
    int32_t reached = 0;
    bool Advance(Phase p, int32_t item) override {
        if (p == Phase::Drawing) reached = item;
        return p == Phase::Drawing && item == 3;
    }
};

}  // namespace

// The own engine is the standard one; the 32-bit values come a generator
// state at a time, high half first; so the first arrangement of 6 units of a
// fresh program is fixed.
TEST(RandomSource, TheStandardEnginesOutputsAndPinnedFirstDraws) {
    for (uint64_t seed :
         {uint64_t{Mt19937_64::kDefaultSeed}, uint64_t{0}, uint64_t{42}, ~uint64_t{0}}) {
        std::mt19937_64 reference(seed);
        Mt19937_64 own(seed);
        for (int i = 0; i < 200000; ++i) ASSERT_EQ(own(), reference()) << seed << " #" << i;
    }
    RandomSource source(42);
    std::mt19937_64 reference(42);
    for (int i = 0; i < 5000; ++i) {
        const uint64_t raw = reference();
        ASSERT_EQ(source.Rnd(), static_cast<double>(raw >> 32) * 0x1.0p-32) << i;
        ASSERT_EQ(source.Rnd(), static_cast<double>(raw & 0xffffffffu) * 0x1.0p-32) << i;
    }
    RandomSource fresh;
    EXPECT_EQ(*DrawArrangements(6, 1, fresh, NoProgress()),
              (std::vector<uint16_t>{4, 5, 1, 3, 0, 2}));
}

TEST(JumpFor, CeilingOfNOverTwentyForEverySupportedN) {
    for (auto [n, jump] :
         {std::pair{0, 1}, {3, 1}, {20, 1}, {21, 2}, {200, 10}, {201, 11}, {1000, 50}})
        EXPECT_EQ(JumpFor(n), jump) << n;
}

TEST(DrawArrangements, EachUnitTakesEachPositionEquallyOften) {
    const int32_t n = 6, v = 30000;
    const Table2D t = Draw(n, v, RandomSource(7));
    std::vector<double> count(static_cast<size_t>(n * n), 0.0);
    for (int32_t j = 1; j <= v; ++j)
        for (int32_t i = 1; i <= n; ++i) ++count[static_cast<size_t>((i - 1) * n + t(i, j))];
    const double expected = static_cast<double>(v) / n;
    double chi2 = 0.0;
    for (double c : count) chi2 += (c - expected) * (c - expected) / expected;
    // (n - 1)^2 = 25 degrees of freedom; the 99.99 % point is about 61.
    EXPECT_LT(chi2, 61.0);
}

// Each virtual sample is a full arrangement of the units. Row q*Jump - 1
// holds the prefix of q*Jump + 1 consecutive drawn values, so the sample size
// it is labelled with (row + 2) is the number of values its statistics come
// from; other rows and the last column stay 0. The values are bit for bit
// those of a sample-by-sample computation from scratch.
TEST(GenerateClouds, ArrangementsAndRowsHoldingTruePrefixesWhateverTheJump) {
    for (auto [n, v] :
         {std::pair{3, 5}, {5, 5}, {20, 700}, {21, 5}, {22, 300}, {45, 5}, {200, 30}}) {
        const int32_t jump = JumpFor(n);
        const std::vector<double> p = Units(n);
        RandomSource rng(11);
        const CloudTables out = *GenerateClouds(p, v, jump, rng, NoProgress());
        ASSERT_EQ(out.means.Rows(), n);
        ASSERT_EQ(out.means.Cols(), v + 1);
        EXPECT_EQ(out.samples, v);
        const Table2D draws = Draw(n, v, RandomSource(11));
        for (int32_t j = 1; j <= v; ++j) {
            std::vector<double> column;
            for (int32_t i = 1; i <= n; ++i) column.push_back(draws(i, j));
            std::sort(column.begin(), column.end());
            for (int32_t i = 0; i < n; ++i) ASSERT_EQ(column[static_cast<size_t>(i)], i) << n;
        }
        std::vector<double> x(static_cast<size_t>(n));
        for (int32_t row = 0; row < n; ++row) {
            const int32_t c = row + 2;
            const bool dataRow = (row + 1) % jump == 0 && c <= n;
            for (int32_t j = 1; j <= v + 1; ++j) {
                double m = 0.0, sd = 0.0;
                if (dataRow && j <= v) {
                    for (int32_t i = 1; i <= c; ++i)
                        x[static_cast<size_t>(i - 1)] = p[static_cast<size_t>(draws(i, j)) + 1];
                    m = MeanOf(x.data(), c);
                    sd = std::sqrt(DevianceOf(x.data(), c) / (c - 1));
                }
                ASSERT_EQ(out.means(row, j - 1), m) << n << " row " << row << " col " << j;
                ASSERT_EQ(out.sds(row, j - 1), sd) << n << " row " << row << " col " << j;
            }
        }
    }
}

// With two threads the samples drawn are summarised while the next ones are
// drawn: the tables are those of one thread, bit for bit, and a stop while
// drawing is heard (the helper may have summarised every block by the time
// the statistics report, so a stop there is not certain to come).
TEST(Generation, TwoThreadsGiveTheTablesOfOne) {
    const std::vector<double> p = Units(23);
    for (int32_t v : {1, 255, 256, 257, 1000}) {
        RandomSource one(11), two(11);
        const auto a = GenerateClouds(p, v, 2, one, NoProgress(), 1);
        const auto b = GenerateClouds(p, v, 2, two, NoProgress(), 2);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->means, b->means) << v;
        EXPECT_EQ(a->sds, b->sds) << v;
    }
    RandomSource rng(11);
    StopAtThree stop;
    EXPECT_FALSE(GenerateClouds(p, 1000, 2, rng, stop, 2));
    EXPECT_EQ(stop.reached, 3);
}
