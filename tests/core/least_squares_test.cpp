// LeastSquares: the line and its analysis of variance against NIST's Norris,
// the upper-tail F probability against an independent table, and bad input.
#include "analysis/least_squares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "strd_reader.h"

using namespace velta;

namespace {

using V = std::vector<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Fit {
    V a = V(3, 0.0), sig;
    Table2D covar{6, 6};
    double chisq = -1.0;
};

// Fits the line y = a1 + a2 x, every sig 0, as the line finding does.
Fit FitLine(LeastSquares& r, const V& x, const V& y) {
    Fit f{.sig = V(x.size(), 0.0)};
    V order{0, 1, 2};
    r.Fit(x, y, f.sig, static_cast<int32_t>(x.size()) - 1, f.a, 2, order, 2, f.covar, f.chisq);
    return f;
}

class RegPolTest : public ::testing::Test {
  protected:
    // Analysis of variance of the line a(1) + a(2) x over x = 1, 2, 3.
    AnovaResult Line(const V& y, const V& a) { return reg.AnalyseVariance(xs, y, 2, a, true, 0.0); }
    LeastSquares reg;
    const V xs{0, 1, 2, 3};
};

}  // namespace

// A line that cannot be determined raises instead of returning a guess:
// one point, repeated x, no data, x vanishing in single precision. Values
// near the smallest double fit; residuals of 1e300 over sig = 0.0001 or a
// NaN do not.
TEST_F(RegPolTest, SingularSystemsExtremeMagnitudesAndNaN) {
    for (const V& x : {V{0, 3}, V{0, 2, 2, 2}, V{0}, V{0, 1e-30, 2e-30, 3e-30}})
        EXPECT_THROW(FitLine(reg, x, V(x.size(), 1.0)), DivisionByZero) << x.size();
    const V x{0, 1, 2, 3, 4};
    EXPECT_NEAR(FitLine(reg, x, {0, 1e-300, 3e-300, 2e-300, 5e-300}).a[2] / 1e-300, 1.1, 1e-13);
    EXPECT_THROW(FitLine(reg, x, {0, 1e300, 3e300, 2e300, 5e300}), OverflowError);
    EXPECT_THROW(FitLine(reg, x, {0, 1, kNaN, 2, 3}), OverflowError);
}

TEST_F(RegPolTest, NistNorrisLineRSquaredAndF) {
    const reference::StrdFile s = reference::ReadStrd("Norris");
    V x{0.0}, y{0.0};
    for (const auto& row : s.rows) y.push_back(row.at(0)), x.push_back(row.at(1));
    ASSERT_EQ(x.size(), 37u);
    auto digits = [&](double value, const std::string& key, size_t i = 0) {
        return reference::AgreeingDigits(value, s.Certified(key, i));
    };
    const Fit f = FitLine(reg, x, y);
    const AnovaResult r = reg.AnalyseVariance(x, y, 2, f.a, true, 0.0);
    EXPECT_GE(digits(f.a[1], "B0"), 10.0);
    EXPECT_GE(digits(f.a[2], "B1"), 10.0);
    EXPECT_GE(digits(r.R2, "r2"), 10.0);
    EXPECT_GE(digits(r.F, "regression", 3), 10.0);
    EXPECT_GE(digits(r.fittedDeviance, "regression", 1), 10.0);
    EXPECT_GE(digits(r.residualDeviance, "residual", 1), 9.0);
    EXPECT_GE(digits(f.chisq * 1e-8, "residual", 1), 9.0);
    EXPECT_EQ(r.sign, "++");
}

// Equal y: explained 2e-8 against the stand-in total 1e-6; more than the
// stand-in is clipped below 1. A line through every point is the best fit
// there is, not an error: R2 at the stand-in below 1, F infinite,
// probability 0.
TEST_F(RegPolTest, EqualValuesAndPerfectFits) {
    const AnovaResult equal = Line({0, 5, 5, 5}, {0, 5, 0.0001});
    EXPECT_NEAR(equal.R2, 0.02, 1e-12);
    EXPECT_NEAR(equal.residualDeviance, 0.98e-6, 1e-18);
    EXPECT_EQ(Line({0, 5, 5, 5}, {0, 0, 1}).R2, 0.999999);
    for (const auto& [y, a] :
         {std::pair{V{0, 1, 3, 5}, V{0, -1, 2}},   // exactly -1 + 2x
          {V{0, 0.1, 0.2, 0.3}, V{0, 0, 0.1}}}) {  // 1 - R2 rounds to 0 or below
        const AnovaResult r = Line(y, a);
        EXPECT_EQ(std::tuple(r.R2, r.F, r.probability, r.sign),
                  std::tuple(0.999999, INFINITY, 0.0, "++"));
    }
}

// fprob_reference.csv: d1, d2 in 1 .. 40, 50, 100 and F from 0.01 to 250, made
// with an arbitrary-precision incomplete beta function (see its header).
TEST_F(RegPolTest, FProbabilityAgreesWithTheReferenceTableOnTheWholeGrid) {
    std::ifstream in(std::string(VELTA_TEST_DATA_DIR) + "/fprob_reference.csv");
    ASSERT_TRUE(in.good());
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line[0] == 'd') continue;
        int d1, d2;
        double F, P;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%lf,%lf", &d1, &d2, &F, &P), 4) << line;
        const FProbability r = reg.UpperTailF(F, d1, d2);
        EXPECT_LE(std::abs(r.probability - P), 1e-10) << line << " got " << r.probability;
        // Marks follow wherever the reference is not within rounding of a limit.
        if (std::abs(P - 0.05) > 1e-12 && std::abs(P - 0.01) > 1e-12) {
            EXPECT_EQ(r.sign, P > 0.05 ? "ns" : (P >= 0.01 ? " +" : "++")) << line;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 42 * 42 * 18);
}

// 2 and 2 degrees of freedom: P = 1 / (1 + F), landing on both limits,
// which belong to " +"; then the edges of the arguments.
TEST_F(RegPolTest, FProbabilityMarkLimitsAndEdges) {
    for (auto [F, probability, sign] : {std::tuple{1.0, 0.5, "ns"},
                                        {18.9999, 1 / 19.9999, "ns"},
                                        {19.0, 0.05, " +"},
                                        {99.0, 0.01, " +"},
                                        {99.0001, 1 / 100.0001, "++"}}) {
        const FProbability r = reg.UpperTailF(F, 2, 2);
        EXPECT_DOUBLE_EQ(r.probability, probability) << F;
        EXPECT_EQ(r.sign, sign) << F;
    }
    for (double d : {1, 2, 7, 8}) {
        EXPECT_EQ(reg.UpperTailF(0, d, d + 1).probability, 1.0);
        EXPECT_EQ(reg.UpperTailF(INFINITY, d, d + 1).probability, 0.0);
        EXPECT_LT(reg.UpperTailF(1e300, d, d + 1).probability, 1e-100);
    }
    for (auto [d1, d2] : {std::pair{1.0, 0.0}, {0.0, 5.0}, {3.0, -2.0}})
        EXPECT_THROW(reg.UpperTailF(2, d1, d2), DivisionByZero) << d1 << " " << d2;
    EXPECT_THROW(reg.UpperTailF(kNaN, 1, 1), OverflowError);
}
