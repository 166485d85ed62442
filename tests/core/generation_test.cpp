// Drawing of the virtual samples and their prefix statistics, abort, and
// the pacing of pauses for events.
#include "analysis/generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "base/numeric.h"
#include "analysis/random.h"
#include "road.h"

using namespace velta;

namespace {

std::vector<double> Units(int32_t n) {
    std::vector<double> p(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) p[static_cast<size_t>(i)] = 10.0 * i + (i % 3) * 0.25;
    return p;
}

// Mean and sd (divisor n - 1) of p(1 .. n), by the textbook sums.
std::pair<double, double> Stats(const std::vector<double>& p, int32_t n) {
    double s = 0.0, d = 0.0;
    for (int32_t i = 1; i <= n; ++i) s += p[i];
    for (int32_t i = 1; i <= n; ++i) d += std::pow(p[i] - s / n, 2);
    return {s / n, std::sqrt(d / (n - 1))};
}

// The arrangements of one drawing as a table: column j (from 1) holds the
// unit numbers of virtual sample j in rows 1 .. n.
Table2D Draw(int32_t n, int32_t v, RandomSource rng) {
    const std::vector<uint16_t> draws = *DrawArrangements(n, v, rng, NoProgress());
    Table2D t(n + 1, v + 1);
    for (int32_t j = 1; j <= v; ++j)
        for (int32_t i = 1; i <= n; ++i)
            t(i, j) = draws[static_cast<size_t>((j - 1) * n + i - 1)];
    return t;
}

CloudTables Clouds(const std::vector<double>& p, int32_t v, int32_t jump, RandomSource rng) {
    return *GenerateClouds(p, v, jump, rng, NoProgress());
}

// Stops the computation when the given phase reaches item 3.
struct StopAtThree : Progress {
    Phase phase;
    int32_t reached = 0;
    explicit StopAtThree(Phase p) : phase(p) {}
    bool Advance(Phase p, int32_t item) override {
        if (p == phase) reached = item;
        return p == phase && item == 3;
    }
};

}  // namespace

TEST(RandomSource, MatchesTheStandardEnginePinnedFirstDrawsAndBounds) {
    for (uint64_t seed :
         {uint64_t{Mt19937_64::kDefaultSeed}, uint64_t{0}, uint64_t{42}, ~uint64_t{0}}) {
        std::mt19937_64 reference(seed);
        Mt19937_64 own(seed);
        for (int i = 0; i < 200000; ++i) ASSERT_EQ(own(), reference()) << seed << " #" << i;
    }
    // Each raw draw of the default-seeded standard engine gives two values,
    // high half first; so the first arrangement of 6 units is fixed.
    RandomSource a;
    const uint64_t raw = std::mt19937_64()();
    EXPECT_EQ(a.Rnd(), static_cast<double>(raw >> 32) * 0x1.0p-32);
    EXPECT_EQ(a.Rnd(), static_cast<double>(raw & 0xffffffffu) * 0x1.0p-32);
    const Table2D t = Draw(6, 1, RandomSource());
    std::vector<int> first;
    for (int32_t i = 1; i <= 6; ++i) first.push_back(static_cast<int>(t(i, 1)));
    EXPECT_EQ(first, (std::vector<int>{4, 5, 1, 3, 0, 2}));
    for (int i = 0; i < 100000; ++i) {
        const double u = a.Rnd();
        ASSERT_TRUE(u >= 0.0 && u < 1.0) << u;
        ASSERT_LT(a.Below(7), 7);
    }
}

TEST(JumpFor, CeilingOfNOverTwentyForEverySupportedN) {
    for (auto [n, jump] :
         {std::pair{0, 1}, {3, 1}, {20, 1}, {21, 2}, {200, 10}, {201, 11}, {1000, 50}})
        EXPECT_EQ(JumpFor(n), jump) << n;
}

TEST(DrawArrangements, EveryColumnIsAFullArrangement) {
    for (int32_t n : {1, 5, 21, 200}) {
        const int32_t v = 30;
        const Table2D t = Draw(n, v, RandomSource(42));
        for (int32_t j = 0; j <= v; ++j) EXPECT_EQ(t(0, j), 0.0);
        for (int32_t i = 0; i <= n; ++i) EXPECT_EQ(t(i, 0), 0.0);
        for (int32_t j = 1; j <= v; ++j) {
            std::vector<double> col;
            for (int32_t i = 1; i <= n; ++i) col.push_back(t(i, j));
            std::sort(col.begin(), col.end());
            for (int32_t i = 0; i < n; ++i) ASSERT_EQ(col[static_cast<size_t>(i)], i) << n;
        }
    }
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

// Row q*Jump - 1 holds the prefix of q*Jump + 1 consecutive drawn values, so
// the sample size it is labelled with (row + 2) is the number of values its
// statistics come from; other rows and the last column stay 0, and with
// Jump = 1 the full prefix (row N - 2) is the pre-sample itself. The values
// are bit for bit those of a sample-by-sample computation from scratch.
TEST(GenerateClouds, RowsHoldTruePrefixesWhateverTheJump) {
    for (auto [n, v] :
         {std::pair{3, 5}, {5, 5}, {20, 700}, {21, 5}, {22, 300}, {45, 5}, {70, 40}}) {
        const int32_t jump = JumpFor(n);
        const std::vector<double> p = Units(n);
        const CloudTables out = Clouds(p, v, jump, RandomSource(11));
        ASSERT_EQ(out.means.Rows(), n);
        ASSERT_EQ(out.means.Cols(), v + 1);
        EXPECT_EQ(out.samples, v);
        const Table2D draws = Draw(n, v, RandomSource(11));
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
        if (jump == 1)
            for (int32_t j = 0; j < v; ++j) {
                EXPECT_NEAR(out.means(n - 2, j), Stats(p, n).first, 1e-12);
                EXPECT_NEAR(out.sds(n - 2, j), Stats(p, n).second, 1e-12);
            }
    }
}

// The four values a new user tried: every point at size 2 is the mean of two
// of them (standard deviation with divisor 1), at size 3 of three.
TEST(GenerateClouds, FourValuesGivePairsAtTwoAndTriplesAtThree) {
    const std::vector<double> p = {0.0, 12.5, 13.1, 14.2, 11.8};
    const CloudTables out = Clouds(p, 100, 1, RandomSource());
    auto fromSubset = [&](double m, double sd, int k) {
        for (unsigned mask = 0; mask < 16; ++mask) {
            if (__builtin_popcount(mask) != k) continue;
            double s = 0.0, d = 0.0;
            for (int i = 0; i < 4; ++i) s += (mask >> i & 1) ? p[i + 1] : 0.0;
            for (int i = 0; i < 4; ++i) d += (mask >> i & 1) ? std::pow(p[i + 1] - s / k, 2) : 0.0;
            if (std::abs(m - s / k) < 1e-12 && std::abs(sd - std::sqrt(d / (k - 1))) < 1e-12)
                return true;
        }
        return false;
    };
    for (int32_t j = 0; j < 100; ++j)
        for (int k : {2, 3})
            ASSERT_TRUE(fromSubset(out.means(k - 2, j), out.sds(k - 2, j), k)) << j;
}

TEST(PausePacer, PausesAtMostOncePerOfferAndOnlyWhenDue) {
    test::Road fine(5, "40");
    fine.ui.clockStep = 1.0;  // a second per clock read: every offered pause happens
    fine.Generate();
    EXPECT_EQ(fine.ui.processEventsCalls, 80);  // every sample of phases 1 and 2
    test::Road coarse(5, "400");                // a millisecond per clock read
    coarse.ui.answers = {MsgAnswer::Yes};
    coarse.Generate();
    EXPECT_GT(coarse.ui.processEventsCalls, 2);
    EXPECT_LT(coarse.ui.processEventsCalls, 100);
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
    StopAtThree stop(Progress::Phase::Drawing);
    EXPECT_FALSE(GenerateClouds(p, 1000, 2, rng, stop, 2));
    EXPECT_EQ(stop.reached, 3);
}

// The 32-bit values come a generator state at a time: still the standard
// engine's outputs, high half first, also after single draws.
TEST(RandomSource, BufferedHalvesAreTheStandardEnginesOutputs) {
    RandomSource source(42);
    std::mt19937_64 reference(42);
    for (int i = 0; i < 5000; ++i) {
        const uint64_t raw = reference();
        ASSERT_EQ(source.Rnd(), static_cast<double>(raw >> 32) * 0x1.0p-32) << i;
        ASSERT_EQ(source.Rnd(), static_cast<double>(raw & 0xffffffffu) * 0x1.0p-32) << i;
    }
    Mt19937_64 own(7);
    std::mt19937_64 standard(7);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(own(), standard());
    uint32_t halves[2 * Mt19937_64::kN];
    own.NextHalves(halves);
    for (int k = 0; k < Mt19937_64::kN; ++k) {
        const uint64_t raw = standard();
        ASSERT_EQ(halves[2 * k], static_cast<uint32_t>(raw >> 32)) << k;
        ASSERT_EQ(halves[2 * k + 1], static_cast<uint32_t>(raw)) << k;
    }
    EXPECT_EQ(own(), standard());
}
