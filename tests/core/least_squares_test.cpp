// LeastSquares: least squares and analysis of variance against hand-checked fits
// and the NIST StRD linear regression data sets, the upper-tail F probability
// against an independent table, and bad input.
#include "analysis/least_squares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "base/errors.h"
#include "strd_reader.h"

using namespace velta;

namespace {

using V = std::vector<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Fit {
    V a, sig;
    Table2D covar{6, 6};
    double chisq = -1.0;
};

// Fits the parameters order(1 .. mfit) (all ma by default) of
// y = a1 + a2 x + ... with every sig 0; the others keep their values from a.
Fit Lfit(LeastSquares& r, const V& x, const V& y, int ma, V order = {0, 1, 2, 3, 4, 5, 6}, int mfit = 0,
         V a = V(7, 0.0)) {
    Fit f{std::move(a), V(x.size(), 0.0)};
    r.Fit(x, y, f.sig, static_cast<int32_t>(x.size()) - 1, f.a, ma, order, mfit ? mfit : ma,
           f.covar, f.chisq);
    return f;
}

// A NIST file's "y x" rows as 1-based x and y.
struct Strd {
    reference::StrdFile file;
    V x{0.0}, y{0.0};
    explicit Strd(const std::string& name) : file(reference::ReadStrd(name)) {
        for (const auto& row : file.rows) y.push_back(row.at(0)), x.push_back(row.at(1));
    }
    double Digits(double value, const std::string& key, size_t i = 0) const {
        return reference::AgreeingDigits(value, file.Certified(key, i));
    }
};

class RegPolTest : public ::testing::Test {
  protected:
    // Analysis of variance of the line a(1) + a(2) x over x = 1, 2, 3.
    AnovaResult Line(const V& y, const V& a) { return reg.AnalyseVariance(xs, y, 2, a, true, 0.0); }
    std::vector<std::string> messages;
    LeastSquares reg{[this](const std::string& m) { messages.push_back(m); }};
    const V xs{0, 1, 2, 3};
};

}  // namespace

TEST_F(RegPolTest, ImproperListsBasisLimitAndSingularSystems) {
    // A parameter named twice: the message, and the results left alone.
    const Fit bad = Lfit(reg, {0, 1, 2, 3}, {0, 1, 3, 5}, 2, {0, 1, 1}, 2, {0, 7, 8});
    EXPECT_EQ(messages, std::vector<std::string>{"Improper set in LISTA"});
    EXPECT_EQ(bad.a, (V{0, 7, 8}));
    EXPECT_EQ(bad.chisq, -1.0);
    // Wampler1's degree-5 model needs a sixth basis function.
    const Strd w("Wampler1");
    EXPECT_THROW(Lfit(reg, w.x, w.y, 6), SubscriptOutOfRange);
    EXPECT_NO_THROW(Lfit(reg, w.x, w.y, 5));
    V basis(6);
    EXPECT_THROW(reg.PowerBasis(1e200, basis, 3), OverflowError);
    // A line that cannot be determined raises instead of returning a guess:
    // one point, repeated x, no data, x vanishing in single precision.
    for (const V& x : {V{0, 3}, V{0, 2, 2, 2}, V{0}, V{0, 1e-30, 2e-30, 3e-30}})
        EXPECT_THROW(Lfit(reg, x, V(x.size(), 1.0), 2), DivisionByZero) << x.size();
}

TEST_F(RegPolTest, ExtremeMagnitudesAndNaN) {
    const V x{0, 1, 2, 3, 4};
    const Fit f = Lfit(reg, x, {0, 1e-300, 3e-300, 2e-300, 5e-300}, 2);
    EXPECT_NEAR(f.a[2] / 1e-300, 1.1, 1e-13);
    // Residuals of 1e300 over sig = 0.0001 do not fit a double.
    EXPECT_THROW(Lfit(reg, x, {0, 1e300, 3e300, 2e300, 5e300}, 2), OverflowError);
    EXPECT_THROW(Lfit(reg, x, {0, 1, kNaN, 2, 3}, 2), OverflowError);
}

TEST_F(RegPolTest, NistNorrisLineRSquaredAndF) {
    const Strd s("Norris");
    ASSERT_EQ(s.x.size(), 37u);
    const Fit f = Lfit(reg, s.x, s.y, 2);
    const AnovaResult r = reg.AnalyseVariance(s.x, s.y, 2, f.a, true, 0.0);
    EXPECT_GE(s.Digits(f.a[1], "B0"), 10.0);
    EXPECT_GE(s.Digits(f.a[2], "B1"), 10.0);
    EXPECT_GE(s.Digits(r.R2, "r2"), 10.0);
    EXPECT_GE(s.Digits(r.F, "regression", 3), 10.0);
    EXPECT_GE(s.Digits(r.fittedDeviance, "regression", 1), 10.0);
    EXPECT_GE(s.Digits(r.residualDeviance, "residual", 1), 9.0);
    EXPECT_GE(s.Digits(f.chisq * 1e-8, "residual", 1), 9.0);
    EXPECT_EQ(r.sign, "++");
}

TEST_F(RegPolTest, AnovaOfASlopedLineAndOfEqualValues) {
    AnovaResult r = Line({0, 1, 2, 4}, {0, -2.0 / 3.0, 1.5});
    EXPECT_NEAR(r.fittedDeviance, 4.5, 1e-14);
    EXPECT_NEAR(r.R2, 27.0 / 28.0, 1e-15);
    EXPECT_NEAR(r.residualDeviance, 1.0 / 6.0, 1e-14);
    EXPECT_NEAR(r.F, 27.0, 1e-12);
    // 1 and 1 degrees of freedom: P = 1 - 2 atan(sqrt(F)) / pi.
    EXPECT_NEAR(r.probability, 1.0 - 2.0 * std::atan(std::sqrt(27.0)) / std::numbers::pi, 1e-14);
    EXPECT_EQ(r.sign, "ns");
    EXPECT_NEAR(reg.rootOneMinusR2(), std::sqrt(1.0 / 28.0), 1e-15);

    // Equal y: explained 2e-8 against the stand-in total 1e-6.
    const V y{0, 5, 5, 5};
    r = Line(y, {0, 5, 0.0001});
    EXPECT_NEAR(r.R2, 0.02, 1e-12);
    EXPECT_NEAR(r.residualDeviance, 0.98e-6, 1e-18);
    // More than the stand-in is clipped below 1.
    r = Line(y, {0, 0, 1});
    EXPECT_EQ(r.R2, 0.999999);
    EXPECT_EQ(r.sign, "++");
}

// A line through every point is the best fit there is, not an error: R2
// at the stand-in below 1, F infinite, probability 0.
TEST_F(RegPolTest, PerfectFitsAreTheBestFits) {
    for (const auto& [y, a] : {std::pair{V{0, 1, 3, 5}, V{0, -1, 2}},      // exactly -1 + 2x
                              std::pair{V{0, 0.1, 0.2, 0.3}, V{0, 0, 0.1}}}) {  // 1 - R2 rounds to 0 or below
        const AnovaResult r = Line(y, a);
        EXPECT_EQ(r.R2, 0.999999);
        EXPECT_EQ(r.F, std::numeric_limits<double>::infinity());
        EXPECT_EQ(r.probability, 0.0);
        EXPECT_EQ(r.sign, "++");
        EXPECT_NEAR(reg.oneMinusR2(), 1e-6, 1e-15);
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

TEST_F(RegPolTest, FProbabilityClosedFormsAndMarkLimits) {
    // 2 and 2 degrees of freedom: P = 1 / (1 + F), landing on both limits,
    // which belong to " +".
    const struct {
        double F, probability;
        const char* sign;
    } marks[] = {{1, 0.5, "ns"},
                 {18.9999, 1 / 19.9999, "ns"},
                 {19, 0.05, " +"},
                 {99, 0.01, " +"},
                 {99.0001, 1 / 100.0001, "++"}};
    for (const auto& m : marks) {
        const FProbability r = reg.UpperTailF(m.F, 2, 2);
        EXPECT_DOUBLE_EQ(r.probability, m.probability) << m.F;
        EXPECT_EQ(r.sign, m.sign) << m.F;
    }
    // F with 1 and 2 degrees of freedom is t^2 with 2: P = 1 - t / sqrt(2 + t^2).
    EXPECT_NEAR(reg.UpperTailF(4, 1, 2).probability, 1.0 - 2.0 / std::sqrt(6.0), 1e-15);
}

TEST_F(RegPolTest, FProbabilityAtTheEdgesOfTheArguments) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double d : {1, 2, 7, 8}) {
        EXPECT_EQ(reg.UpperTailF(0, d, d + 1).probability, 1.0);
        EXPECT_EQ(reg.UpperTailF(inf, d, d + 1).probability, 0.0);
        EXPECT_LT(reg.UpperTailF(1e300, d, d + 1).probability, 1e-100);
    }
    for (auto [d1, d2] : {std::pair{1.0, 0.0}, {0.0, 5.0}, {3.0, -2.0}})
        EXPECT_THROW(reg.UpperTailF(2, d1, d2), DivisionByZero) << d1 << " " << d2;
    EXPECT_THROW(reg.UpperTailF(kNaN, 1, 1), OverflowError);
}
