// Drawing of the virtual samples and their prefix statistics, on 1 or 2 threads.
#include "analysis/generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "analysis/random.h"
#include "base/numeric.h"

using namespace velta;

namespace {

std::vector<double> Units(int32_t n) {
    std::vector<double> p(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) p[static_cast<size_t>(i)] = 10.0 * i + (i % 3) * 0.25;
    return p;
}

}  // namespace

// The own engine is the standard one; the 32-bit values come a generator
// state at a time, high half first; so the first arrangement of 6 units of a
// fresh program is fixed.
TEST(RandomSource, TheStandardEnginesOutputsAndPinnedFirstDraws) {
    for (uint64_t seed : {uint64_t{Mt19937_64::kDefaultSeed}, uint64_t{0}, ~uint64_t{0}}) {
        RandomSource source(seed);
        std::mt19937_64 reference(seed);
        for (int i = 0; i < 100000; ++i) {
            const uint64_t raw = reference();
            ASSERT_EQ(source.Rnd(), static_cast<double>(raw >> 32) * 0x1.0p-32) << seed << i;
            ASSERT_EQ(source.Rnd(), static_cast<double>(raw & 0xffffffffu) * 0x1.0p-32) << i;
        }
    }
    RandomSource fresh;
    EXPECT_EQ(*DrawArrangements(6, 1, fresh, NoProgress()),
              (std::vector<uint16_t>{4, 5, 1, 3, 0, 2}));
}

// Each of 6 units takes each position equally often: (n - 1)^2 = 25 degrees
// of freedom, whose 99.99 % point is about 61.
TEST(DrawArrangements, EachUnitTakesEachPositionEquallyOften) {
    const int32_t n = 6, v = 30000;
    RandomSource rng(7);
    const std::vector<uint16_t> draws = *DrawArrangements(n, v, rng, NoProgress());
    std::vector<double> count(static_cast<size_t>(n * n), 0.0);
    for (size_t k = 0; k < draws.size(); ++k) ++count[k % n * n + draws[k]];
    double chi2 = 0.0;
    for (double c : count) chi2 += (c - v / n) * (c - v / n) / (v / n);
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
        RandomSource rng(11), again(11);
        const CloudTables out = *GenerateClouds(p, v, jump, rng, NoProgress());
        ASSERT_EQ(std::tuple(out.means.Rows(), out.means.Cols(), out.samples),
                  std::tuple(n, v + 1, v));
        const std::vector<uint16_t> draws = *DrawArrangements(n, v, again, NoProgress());
        for (int32_t j = 0; j <= v; ++j) {
            std::vector<double> x;
            for (int32_t i = 0; j < v && i < n; ++i) x.push_back(p[draws[j * n + i] + 1u]);
            std::vector<uint16_t> sorted(draws.begin() + j * n, draws.begin() + j * n + x.size());
            std::sort(sorted.begin(), sorted.end());
            for (size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i) << n;
            for (int32_t row = 0; row < n; ++row) {
                const int32_t c = row + 2;
                const bool data = (row + 1) % jump == 0 && c <= n && j < v;
                const double m = data ? MeanOf(x.data(), c) : 0.0;
                const double sd = data ? std::sqrt(DevianceOf(x.data(), c) / (c - 1)) : 0.0;
                ASSERT_EQ(out.means(row, j), m) << n << " row " << row << " col " << j;
                ASSERT_EQ(out.sds(row, j), sd) << n << " row " << row << " col " << j;
            }
        }
    }
}

// With two threads the samples drawn are summarised while the next ones are
// drawn: the tables are those of one thread, bit for bit.
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
}
