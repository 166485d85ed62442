// Envelopes of a cloud piece and the lines judged against them.
#include "regression/trovaretta.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/errors.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;

namespace {

// A cloud piece of rows x V virtual samples plus the column V that callers
// use for fitted lines: filled with a value no envelope may pick up.
Table2D Cloud(const std::vector<std::vector<double>>& rows) {
    const int32_t V = static_cast<int32_t>(rows[0].size());
    Table2D c(static_cast<int32_t>(rows.size()), V + 1);
    for (int32_t r = 0; r < c.Rows(); ++r) {
        for (int32_t j = 0; j < V; ++j)
            c(r, j) = rows[static_cast<size_t>(r)][static_cast<size_t>(j)];
        c(r, V) = (r % 2 == 0) ? 1e9 : -1e9;
    }
    return c;
}

class TrovaRettaTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    std::vector<double> a{0, 0, 0};
};

}  // namespace

TEST_F(TrovaRettaTest, LeftEnvelopesAndTheirLines) {
    // Row 0 is never read on the left; column 2 (= V) holds a fitted line.
    const Table2D c = Cloud({{50, -50}, {1, 0.5}, {2, 1.5}, {3.5, 4}});
    Table2D env;
    Inviluppo(true, 2, 3, c, env, true, 0, 1);
    ASSERT_EQ(env.Rows(), 4);
    EXPECT_EQ(env(0, 1), 0.0);
    EXPECT_EQ(env(1, 1), 1.0);
    EXPECT_EQ(env(2, 1), 2.0);
    EXPECT_EQ(env(3, 1), 4.0);
    EXPECT_EQ(env(1, 0), 0.0);
    // Envelope 1, 2, 4 at x = 1, 2, 3: explained 4.5 of 14/3.
    const double r2 = AdattaRetta(env, 2, a, true, 3, 0.0, platform);
    EXPECT_NEAR(a[1], -2.0 / 3.0, 1e-15);
    EXPECT_NEAR(a[2], 1.5, 1e-15);
    EXPECT_NEAR(r2, 27.0 / 28.0, 1e-15);

    Inviluppo(false, 2, 3, c, env, true, 0, 1);
    EXPECT_EQ(env(1, 1), 0.5);
    EXPECT_EQ(env(2, 1), 1.5);
    EXPECT_EQ(env(3, 1), 3.5);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(TrovaRettaTest, RightEnvelopeRowsFollowJump) {
    // N = 10, Jump = 1, breakpoint K = 3: rows 0 .. 6 of the piece are read
    // (slots 3 .. 9), the last row of the envelope stays 0.
    std::vector<std::vector<double>> rows;
    for (int r = 0; r < 8; ++r) rows.push_back({10.0 + r, 20.0 - r, 15.0});
    const Table2D c = Cloud(rows);
    Table2D env;
    Inviluppo(true, 3, 3, c, env, false, 10, 1);
    ASSERT_EQ(env.Rows(), 8);
    for (int r = 0; r <= 6; ++r) EXPECT_EQ(env(r, 1), std::max(10.0 + r, 20.0 - r)) << r;
    EXPECT_EQ(env(7, 1), 0.0);
    // Jump = 2 with N = 10: slots up to round(10 / 2 - 1) = 4, so rows 0 .. 1.
    Inviluppo(false, 3, 3, c, env, false, 10, 2);
    EXPECT_EQ(env(0, 1), 10.0);
    EXPECT_EQ(env(1, 1), 11.0);
    EXPECT_EQ(env(2, 1), 0.0);
}

TEST_F(TrovaRettaTest, RightPiecesAndFlatCloudsScoreZero) {
    Table2D env(6, 2);
    const double values[] = {3.1, 0.2, 7.7, 2.9, 4.4, 5.0};
    for (int r = 0; r < 6; ++r) env(r, 1) = values[r];
    a = {0, 11, 22};
    for (double level : {0.1, 3.3, -7.0, 1e6})
        EXPECT_NEAR(AdattaRetta(env, 2, a, false, 4, level, platform), 0.0, 1e-15) << level;
    EXPECT_EQ(a, (std::vector<double>{0, 11, 22}));  // a right piece leaves a alone

    // Flat envelopes: the stand-in for the zero total variation keeps R2 at 0
    // up to rounding instead of 0 / 0.
    const Table2D c = Cloud(std::vector<std::vector<double>>(9, std::vector<double>(4, 0.3)));
    for (bool alto : {true, false}) {
        Inviluppo(alto, 4, 8, c, env, true, 0, 1);
        EXPECT_NEAR(AdattaRetta(env, 2, a, true, 8, 0.0, platform), 0.0, 1e-12);
        EXPECT_NEAR(a[1], 0.3, 1e-15);
        EXPECT_NEAR(a[2], 0.0, 1e-15);
        Inviluppo(alto, 4, 3, c, env, false, 9, 1);
        EXPECT_NEAR(AdattaRetta(env, 2, a, false, 3, 0.3, platform), 0.0, 1e-12);
    }
}

TEST_F(TrovaRettaTest, TooFewPointsOrPerfectFitRaiseDivisionByZero) {
    Table2D env(4, 2);
    env(1, 1) = 1, env(2, 1) = 2, env(3, 1) = 3;
    EXPECT_THROW(AdattaRetta(env, 2, a, true, 3, 0.0, platform), DivisionByZero);  // R2 = 1
    Table2D two(3, 2);
    two(1, 1) = 1, two(2, 1) = 5;
    EXPECT_THROW(AdattaRetta(two, 2, a, true, 2, 0.0, platform), DivisionByZero);  // n = ma
    Table2D one(2, 2);
    one(1, 1) = 4;
    EXPECT_THROW(AdattaRetta(one, 2, a, true, 1, 0.0, platform), DivisionByZero);  // one point
    EXPECT_THROW(AdattaRetta(one, 2, a, false, 1, 4.0, platform), DivisionByZero);
    EXPECT_THROW(AdattaRetta(Table2D(1, 2), 2, a, true, 0, 0.0, platform), DivisionByZero);
}

TEST_F(TrovaRettaTest, SubscriptAndArgumentErrors) {
    const Table2D c = Cloud({{1, 2}, {3, 4}, {5, 6}});
    Table2D env;
    EXPECT_THROW(Inviluppo(true, 0, 2, c, env, true, 0, 1), SubscriptOutOfRange);  // no samples
    EXPECT_THROW(Inviluppo(true, 2, 3, c, env, true, 0, 1), SubscriptOutOfRange);  // row 3
    EXPECT_THROW(Inviluppo(true, 2, -1, c, env, true, 0, 1), SubscriptOutOfRange);
    EXPECT_THROW(Inviluppo(true, 4, 2, c, env, true, 0, 1), SubscriptOutOfRange);  // columns
    EXPECT_THROW(Inviluppo(true, 2, 1, c, env, false, 10, 1), SubscriptOutOfRange);
    EXPECT_THROW(Inviluppo(true, 2, 1, c, env, false, 10, 0), DivisionByZero);
    EXPECT_THROW(Inviluppo(true, 2, 1, Table2D(), env, false, 10, 1), SubscriptOutOfRange);
    // An empty right range reads nothing.
    Inviluppo(true, 2, 9, c, env, false, 5, 1);
    EXPECT_EQ(env.Rows(), 3);
    // Only five basis functions exist.
    Table2D big(10, 2);
    for (int r = 1; r < 10; ++r) big(r, 1) = r * r * 0.5 + (r % 3);
    std::vector<double> a6(7, 0.0);
    EXPECT_THROW(AdattaRetta(big, 6, a6, true, 9, 0.0, platform), SubscriptOutOfRange);
    EXPECT_THROW(AdattaRetta(big, 3, a, true, 9, 0.0, platform), SubscriptOutOfRange);  // a(3)
    EXPECT_THROW(AdattaRetta(Table2D(4, 1), 2, a, true, 3, 0.0, platform), SubscriptOutOfRange);
}

TEST_F(TrovaRettaTest, ExtremeMagnitudesAndNaN) {
    // Tiny values: the fit scales, the total variation underflows to 0 and the
    // stand-in makes R2 0.
    Table2D env(5, 2);
    const double tiny[] = {0, 1e-300, 3e-300, 2e-300, 5e-300};
    for (int r = 1; r < 5; ++r) env(r, 1) = tiny[r];
    EXPECT_EQ(AdattaRetta(env, 2, a, true, 4, 0.0, platform), 0.0);
    EXPECT_NEAR(a[2] / 1e-300, 1.1, 1e-13);
    // Huge values overflow the residual sums.
    for (int r = 1; r < 5; ++r) env(r, 1) = tiny[r] * 1e300 * 1e300;
    EXPECT_THROW(AdattaRetta(env, 2, a, true, 4, 0.0, platform), OverflowError);
    EXPECT_THROW(AdattaRetta(env, 2, a, false, 4, 1e300, platform), OverflowError);
    // A huge level over a flat envelope: nothing to explain.
    for (int r = 0; r < 5; ++r) env(r, 1) = 1e300;
    EXPECT_EQ(AdattaRetta(env, 2, a, false, 4, 1e300, platform), 0.0);

    // NaN in the first virtual sample becomes the envelope and is refused; in
    // later samples the comparisons pass over it.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Table2D first = Cloud({{0, 0}, {nan, 1}, {2, 3}, {4, 4.5}, {5, 7}});
    Table2D e;
    Inviluppo(true, 2, 4, first, e, true, 0, 1);
    EXPECT_THROW(AdattaRetta(e, 2, a, true, 4, 0.0, platform), OverflowError);
    Inviluppo(true, 2, 3, first, e, false, 5, 1);
    EXPECT_THROW(AdattaRetta(e, 2, a, false, 1, 2.0, platform), OverflowError);
    const Table2D later = Cloud({{0, 0}, {1, nan}, {2, 3}, {4, 4.5}, {5, 7}});
    Inviluppo(true, 2, 4, later, e, true, 0, 1);
    EXPECT_EQ(e(1, 1), 1.0);
    const double r2 = AdattaRetta(e, 2, a, true, 4, 0.0, platform);
    EXPECT_GT(r2, 0.9);
    EXPECT_LT(r2, 1.0);
}
