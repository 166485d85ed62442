// Envelopes of a cloud piece and the lines judged against them.
#include "analysis/line_finding.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "base/errors.h"

using namespace velta;

namespace {

// A cloud piece of rows x V virtual samples plus the column V that callers
// use for fitted lines: filled with a value no envelope may pick up.
Table2D Cloud(const std::vector<std::vector<double>>& rows) {
    const auto V = static_cast<int32_t>(rows[0].size());
    Table2D c(static_cast<int32_t>(rows.size()), V + 1);
    for (int32_t r = 0; r < c.Rows(); ++r) {
        for (int32_t j = 0; j < V; ++j)
            c(r, j) = rows[static_cast<size_t>(r)][static_cast<size_t>(j)];
        c(r, V) = (r % 2 == 0) ? 1e9 : -1e9;
    }
    return c;
}

// An envelope holding `values` in rows 0, 1, ...
Table2D Env(const std::vector<double>& values) {
    Table2D e(static_cast<int32_t>(values.size()), 2);
    for (size_t r = 0; r < values.size(); ++r) e(static_cast<int32_t>(r), 1) = values[r];
    return e;
}

class LineFindingTest : public ::testing::Test {
  protected:
    std::vector<double> a{0, 0, 0};
    double Left(const Table2D& e) {
        return FitLine(e, 2, a, true, e.Rows() - 1, 0.0);
    }
};

}  // namespace

TEST_F(LineFindingTest, LeftEnvelopesAndTheirLines) {
    // Row 0 is never read on the left; column 2 (= V) holds a fitted line.
    const Table2D c = Cloud({{50, -50}, {1, 0.5}, {2, 1.5}, {3.5, 4}});
    Table2D env;
    Envelope(true, 2, 3, c, env, true, 0, 1);
    EXPECT_EQ(env, Env({0, 1, 2, 4}));
    // Envelope 1, 2, 4 at x = 1, 2, 3: explained 4.5 of 14/3.
    EXPECT_NEAR(Left(env), 27.0 / 28.0, 1e-15);
    EXPECT_NEAR(a[1], -2.0 / 3.0, 1e-15);
    EXPECT_NEAR(a[2], 1.5, 1e-15);
    Envelope(false, 2, 3, c, env, true, 0, 1);
    EXPECT_EQ(env, Env({0, 0.5, 1.5, 3.5}));
}

TEST_F(LineFindingTest, RightPiecesFollowJumpAndScoreZero) {
    // N = 10, Jump = 1, breakpoint K = 3: rows 0 .. 6 of the piece are read
    // (slots 3 .. 9), the last row of the envelope stays 0.
    std::vector<std::vector<double>> rows;
    for (int r = 0; r < 8; ++r) rows.push_back({10.0 + r, 20.0 - r, 15.0});
    Table2D env;
    Envelope(true, 3, 3, Cloud(rows), env, false, 10, 1);
    EXPECT_EQ(env, Env({20, 19, 18, 17, 16, 15, 16, 0}));
    // Jump = 2: slots up to round(10 / 2 - 1) = 4, so rows 0 .. 1.
    Envelope(false, 3, 3, Cloud(rows), env, false, 10, 2);
    EXPECT_EQ(env, Env({10, 11, 0, 0, 0, 0, 0, 0}));
    // An empty right range reads nothing.
    Envelope(true, 2, 9, Cloud({{1, 2}, {3, 4}, {5, 6}}), env, false, 5, 1);
    EXPECT_EQ(env.Rows(), 3);

    // A horizontal line explains nothing, and a right piece leaves a alone.
    a = {0, 11, 22};
    for (double level : {0.1, 3.3, -7.0, 1e6})
        EXPECT_NEAR(
            FitLine(Env({3.1, 0.2, 7.7, 2.9, 4.4, 5.0}), 2, a, false, 4, level), 0.0,
            1e-15)
            << level;
    EXPECT_EQ(a, (std::vector<double>{0, 11, 22}));

    // Flat envelopes: the stand-in for the zero total variation keeps R2 at 0
    // instead of 0 / 0.
    const Table2D flat = Cloud(std::vector<std::vector<double>>(9, std::vector<double>(4, 0.3)));
    for (bool alto : {true, false}) {
        Envelope(alto, 4, 8, flat, env, true, 0, 1);
        EXPECT_NEAR(Left(env), 0.0, 1e-12);
        EXPECT_NEAR(a[1], 0.3, 1e-15);
        EXPECT_NEAR(a[2], 0.0, 1e-15);
        Envelope(alto, 4, 3, flat, env, false, 9, 1);
        EXPECT_NEAR(FitLine(env, 2, a, false, 3, 0.3), 0.0, 1e-12);
    }
}

TEST_F(LineFindingTest, BadArgumentsRaiseRunTimeErrors) {
    EXPECT_EQ(Left(Env({0, 1, 2, 3})), 0.999999);  // perfect fit: the best R2 there is
    EXPECT_THROW(Left(Env({0, 1, 5})), DivisionByZero);     // n = ma
    EXPECT_THROW(FitLine(Env({0, 4}), 2, a, false, 1, 4.0), DivisionByZero);  // one point

    const Table2D c = Cloud({{1, 2}, {3, 4}, {5, 6}});
    Table2D env;
    EXPECT_THROW(Envelope(true, 2, 3, c, env, true, 0, 1), SubscriptOutOfRange);  // row 3
}
