// Drawing of the virtual samples and their prefix statistics: row layout,
// the full arrangement behind every Jump, reproducibility, fairness of the
// draws, abort, and the pacing of pauses for events.
#include "engine/generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <vector>

#include "engine/progress.h"
#include "engine/random.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;

namespace {

std::vector<double> Units(int32_t n) {
    std::vector<double> p(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) p[static_cast<size_t>(i)] = 10.0 * i + (i % 3) * 0.25;
    return p;
}

// Every pause happens: the scripted clock moves a second per read.
ScriptedPlatform EveryStep() {
    ScriptedPlatform ui;
    ui.clockStep = 1.0;
    return ui;
}

Table2D Draw(int32_t n, int32_t v, int32_t jump, RandomSource rng) {
    Workspace ws;
    ws.Jump = jump;
    ScriptedPlatform ui;
    Table2D t(n + 1, v + 1);
    DrawVirtualSamples(t, n, v, ws, ui, rng);
    return t;
}

// Mean and sd (divisor c - 1) of the first c drawn values of column j.
std::pair<double, double> PrefixStats(const Table2D& draws, const std::vector<double>& p, int32_t j,
                                      int32_t c) {
    double s = 0.0;
    for (int32_t i = 1; i <= c; ++i) s += p[static_cast<size_t>(draws(i, j)) + 1];
    const double m = s / c;
    double d = 0.0;
    for (int32_t i = 1; i <= c; ++i) d += std::pow(p[static_cast<size_t>(draws(i, j)) + 1] - m, 2);
    return {m, std::sqrt(d / (c - 1))};
}

}  // namespace

TEST(RandomSource, PinnedSequenceAndBounds) {
    RandomSource a;
    // The standard engine's default seed: its 10000th raw value is fixed by
    // the C++ standard, so these values hold on every machine.
    std::mt19937_64 reference;
    reference.discard(9999);
    EXPECT_EQ(reference(), 9981545732273789042ULL);
    // Each raw draw gives two values, high half first.
    const uint64_t raw = std::mt19937_64()();
    EXPECT_EQ(a.Rnd(), static_cast<double>(raw >> 32) * 0x1.0p-32);
    EXPECT_EQ(a.Rnd(), static_cast<double>(raw & 0xffffffffu) * 0x1.0p-32);
    for (int i = 0; i < 100000; ++i) {
        const double u = a.Rnd();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        ASSERT_LT(a.Below(7), 7);
    }
    EXPECT_EQ(RandomSource().Below(1000), RandomSource().Below(1000));
}

TEST(JumpFor, CeilingOfNOverTwentyForEverySupportedN) {
    EXPECT_EQ(JumpFor(0), 1);
    EXPECT_EQ(JumpFor(3), 1);
    EXPECT_EQ(JumpFor(20), 1);
    EXPECT_EQ(JumpFor(21), 2);
    EXPECT_EQ(JumpFor(200), 10);
    EXPECT_EQ(JumpFor(201), 11);
    EXPECT_EQ(JumpFor(1000), 50);
}

TEST(DrawVirtualSamples, EveryColumnIsAFullArrangementWhateverTheJump) {
    for (auto [n, jump] : {std::pair{1, 1}, {5, 1}, {21, 2}, {200, 10}}) {
        const int32_t v = 30;
        const Table2D t = Draw(n, v, jump, RandomSource(42));
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

TEST(DrawVirtualSamples, FreshStartsGiveTheSameDrawsAndLaterOnesContinue) {
    RandomSource rng;
    const Table2D a = Draw(6, 4, 1, RandomSource());
    const Table2D b = Draw(6, 4, 1, RandomSource());
    EXPECT_EQ(a, b);
    // The first arrangement of the default source, pinned.
    std::vector<int> first;
    for (int32_t i = 1; i <= 6; ++i) first.push_back(static_cast<int>(a(i, 1)));
    EXPECT_EQ(first, (std::vector<int>{4, 5, 1, 3, 0, 2}));
    // Within one run the sequence goes on: a second drawing differs.
    Workspace ws;
    ws.Jump = 1;
    ScriptedPlatform ui;
    Table2D c(7, 5);
    DrawVirtualSamples(c, 6, 4, ws, ui, rng);
    Table2D d(7, 5);
    DrawVirtualSamples(d, 6, 4, ws, ui, rng);
    EXPECT_EQ(c, a);
    EXPECT_NE(d, a);
}

TEST(DrawVirtualSamples, EachUnitTakesEachPositionEquallyOften) {
    const int32_t n = 6, v = 30000;
    const Table2D t = Draw(n, v, 1, RandomSource(7));
    std::vector<double> count(static_cast<size_t>(n * n), 0.0);
    for (int32_t j = 1; j <= v; ++j)
        for (int32_t i = 1; i <= n; ++i) ++count[static_cast<size_t>((i - 1) * n + t(i, j))];
    const double expected = static_cast<double>(v) / n;
    double chi2 = 0.0;
    for (double c : count) chi2 += (c - expected) * (c - expected) / expected;
    // (n - 1)^2 = 25 degrees of freedom; the 99.99 % point is about 61.
    EXPECT_LT(chi2, 61.0);
}

TEST(DrawVirtualSamples, AbortBeforeTheFirstSampleLeavesEverythingZero) {
    Workspace ws;
    ws.Jump = 1;
    ws.DrawProgress = 17;
    ScriptedPlatform ui;
    ui.onProcessEvents = [&] { cmdAbort_Click(ws); };
    Table2D t(6, 4);
    RandomSource rng;
    DrawVirtualSamples(t, 5, 3, ws, ui, rng);
    EXPECT_EQ(t, Table2D(6, 4));
    EXPECT_EQ(ws.DrawProgress, 17);
    EXPECT_TRUE(ws.frmAvanzamento.Label2.blue);
}

TEST(GenerateVirtualSamples, RowLayoutWithJumpOne) {
    const std::vector<double> p = {0, 10, 20, 30, 40, 50};
    Workspace ws;
    ws.Jump = 1;
    ScriptedPlatform ui;
    RandomSource rng(3), copy(3);
    StatsTables out;
    ASSERT_TRUE(GenerateVirtualSamples(p, 2, out, ws, ui, rng));
    const Table2D draws = Draw(5, 2, 1, copy);
    ASSERT_EQ(out.means.Rows(), 5);
    ASSERT_EQ(out.means.Cols(), 3);
    for (int32_t j = 1; j <= 2; ++j) {
        EXPECT_DOUBLE_EQ(out.means(0, j - 1), PrefixStats(draws, p, j, 3).first);
        EXPECT_DOUBLE_EQ(out.sds(1, j - 1), PrefixStats(draws, p, j, 4).second);
        EXPECT_DOUBLE_EQ(out.means(2, j - 1), 30.0);
        EXPECT_NEAR(out.sds(2, j - 1), 15.81139, 5e-6);
        for (int32_t r : {3, 4}) EXPECT_EQ(out.means(r, j - 1), 0.0);
    }
    for (int32_t r = 0; r < 5; ++r) EXPECT_EQ(out.means(r, 2), 0.0);
    EXPECT_EQ(ws.StatsProgress, 2);
    EXPECT_TRUE(ws.frmAvanzamento.Label3.enabled && ws.frmAvanzamento.Label3.blue);
    EXPECT_FALSE(ws.frmAvanzamento.Label1.blue);
}

// With Jump >= 2 a row holds a prefix of consecutive drawn values, so the
// sample it stands for really has that many units.
TEST(GenerateVirtualSamples, RowsWithLargerJumpHoldTrueSubsets) {
    for (int32_t n : {21, 22, 45}) {
        const int32_t jump = JumpFor(n), v = 5;
        const std::vector<double> p = Units(n);
        Workspace ws;
        ws.Jump = jump;
        ScriptedPlatform ui;
        RandomSource rng(11), copy(11);
        StatsTables out;
        ASSERT_TRUE(GenerateVirtualSamples(p, v, out, ws, ui, rng));
        const Table2D draws = Draw(n, v, jump, copy);
        for (int32_t r = 0; r < n; ++r) {
            const bool dataRow = (r + 1) % jump == 0 && r + 3 <= n;
            for (int32_t j = 1; j <= v; ++j) {
                if (!dataRow) {
                    ASSERT_EQ(out.means(r, j - 1), 0.0) << n << " row " << r;
                    ASSERT_EQ(out.sds(r, j - 1), 0.0);
                    continue;
                }
                const auto [m, sd] = PrefixStats(draws, p, j, r + 3);
                ASSERT_NEAR(out.means(r, j - 1), m, 1e-9) << n << " row " << r;
                ASSERT_NEAR(out.sds(r, j - 1), sd, 1e-9);
            }
        }
    }
    // N = 21: row 19 would need 22 values and stays 0; N = 22 fills it.
    Workspace ws;
    ws.Jump = 2;
    ScriptedPlatform ui;
    RandomSource rng;
    StatsTables out;
    GenerateVirtualSamples(Units(22), 3, out, ws, ui, rng);
    EXPECT_NE(out.means(19, 0), 0.0);
}

TEST(GenerateVirtualSamples, FullPrefixHasThePreSampleMeanAndSd) {
    const int32_t n = 20;
    const std::vector<double> p = Units(n);
    double s = 0;
    for (int32_t i = 1; i <= n; ++i) s += p[static_cast<size_t>(i)];
    const double mean = s / n;
    double d = 0;
    for (int32_t i = 1; i <= n; ++i) d += std::pow(p[static_cast<size_t>(i)] - mean, 2);
    Workspace ws;
    ws.Jump = 1;
    ScriptedPlatform ui;
    RandomSource rng;
    StatsTables out;
    GenerateVirtualSamples(p, 50, out, ws, ui, rng);
    for (int32_t j = 0; j < 50; ++j) {
        EXPECT_NEAR(out.means(n - 3, j), mean, 1e-12);
        EXPECT_NEAR(out.sds(n - 3, j), std::sqrt(d / (n - 1)), 1e-12);
    }
}

TEST(GenerateVirtualSamples, AbortInEitherPhaseKeepsThePreviousTables) {
    for (int32_t phase : {1, 2}) {
        Workspace ws;
        ws.Jump = 1;
        ScriptedPlatform ui = EveryStep();
        StatsTables out;
        out.means = Table2D(2, 2);
        out.means(1, 1) = 99.0;
        const StatsTables before = out;
        ui.onProcessEvents = [&] {
            if ((phase == 1 ? ws.DrawProgress : ws.StatsProgress) == 3) cmdAbort_Click(ws);
        };
        RandomSource rng;
        EXPECT_FALSE(GenerateVirtualSamples(Units(8), 10, out, ws, ui, rng));
        EXPECT_EQ(out.means, before.means);
        EXPECT_EQ(phase == 1 ? ws.DrawProgress : ws.StatsProgress, 3);
    }
}

TEST(EventPacer, PausesAtMostOncePerOfferAndOnlyWhenDue) {
    Workspace ws;
    ws.Jump = 1;
    ScriptedPlatform fine = EveryStep();
    StatsTables out;
    RandomSource rng;
    GenerateVirtualSamples(Units(5), 40, out, ws, fine, rng);
    EXPECT_EQ(fine.processEventsCalls, 80);  // every sample of phases 1 and 2

    ScriptedPlatform coarse;  // a millisecond per clock read
    GenerateVirtualSamples(Units(5), 400, out, ws, coarse, rng);
    EXPECT_GT(coarse.processEventsCalls, 2);
    EXPECT_LT(coarse.processEventsCalls, 100);
}
