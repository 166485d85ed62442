// Least squares of RegPol: hand-checked fits, the NIST StRD linear regression
// data sets and bad input.
#include "regression/regpol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "platform/scripted/scripted_platform.h"
#include "strd_reader.h"

using namespace velta;

namespace {

struct StrdSet {
    std::vector<double> x{0.0}, y{0.0};  // 1-based
    std::map<std::string, std::vector<double>> certified;
};

// The "y x" rows of a NIST StRD regression file as 1-based x and y.
StrdSet ReadStrd(const std::string& name) {
    const reference::StrdFile f = reference::ReadStrd(name);
    StrdSet s;
    for (const auto& row : f.rows) {
        s.y.push_back(row.at(0));
        s.x.push_back(row.at(1));
    }
    s.certified = f.certified;
    return s;
}

double Digits(double value, double certified) {
    return reference::AgreeingDigits(value, certified);
}

struct Fit {
    std::vector<double> a = std::vector<double>(7, 0.0);
    std::vector<double> sig;
    Table2D covar{6, 6};
    double chisq = -1.0;
};

// Fits ma coefficients, or the slope alone with the intercept held at 0.
Fit FitPoly(RegPol& r, const std::vector<double>& x, const std::vector<double>& y, int ma,
            bool slopeOnly = false) {
    Fit f;
    f.sig.assign(x.size(), 0.0);
    std::vector<double> lista{0, slopeOnly ? 2.0 : 1.0, 2, 3, 4, 5, 6};
    r.LFIT(x, y, f.sig, static_cast<int32_t>(x.size()) - 1, f.a, ma, lista, slopeOnly ? 1 : ma,
           f.covar, f.chisq);
    return f;
}

class RegPolTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    RegPol reg{platform};
};

}  // namespace

TEST_F(RegPolTest, StraightLinesByHand) {
    Fit f = FitPoly(reg, {0, 1, 2, 3}, {0, 1, 3, 5}, 2);
    EXPECT_NEAR(f.a[1], -1.0, 1e-15);
    EXPECT_NEAR(f.a[2], 2.0, 1e-15);
    EXPECT_NEAR(f.chisq, 0.0, 1e-12);

    // Zero sig becomes 0.0001 in the caller's array: an unweighted fit with
    // slope Sxy / Sxx = 11 / 5 and chisq = RSS (residuals .3 -.9 .9 -.3) / 1e-8.
    f = FitPoly(reg, {0, 1, 2, 3, 4}, {0, 2, 3, 7, 8}, 2);
    EXPECT_EQ(f.sig, (std::vector<double>{0, 1e-4, 1e-4, 1e-4, 1e-4}));
    EXPECT_NEAR(f.a[2], 2.2, 1e-15);
    EXPECT_NEAR(f.a[1], -0.5, 1e-15);
    EXPECT_NEAR(f.chisq * 1e-8, 1.8, 1e-13);
    // Covariance of a line: sig^2 [Sxx, -Sx; -Sx, n] / (n Sxx - Sx^2).
    EXPECT_NEAR(f.covar(1, 1), 1e-8 * 30 / 20, 1e-22);
    EXPECT_NEAR(f.covar(2, 2), 1e-8 * 4 / 20, 1e-22);
    EXPECT_NEAR(f.covar(1, 2), -1e-8 * 10 / 20, 1e-22);
    EXPECT_EQ(f.covar(2, 1), f.covar(1, 2));

    // lista (2, 1): the same fit, covar still in parameter order.
    std::vector<double> sig(5, 0.0), a{0, 0, 0}, lista{0, 2, 1};
    Table2D covar(3, 3);
    double chisq = 0;
    reg.LFIT(std::vector<double>{0, 1, 2, 3, 4}, std::vector<double>{0, 2, 3, 7, 8}, sig, 4, a, 2,
             lista, 2, covar, chisq);
    EXPECT_NEAR(a[2], 2.2, 1e-15);
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 2; ++j) EXPECT_NEAR(covar(i, j), f.covar(i, j), 1e-22);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(RegPolTest, HeldParameterKeepsItsValue) {
    std::vector<double> sig(4, 0.0), a{0, 1.5, 99}, lista{0, 2, 0};
    Table2D covar(3, 3);
    double chisq = 0;
    reg.LFIT(std::vector<double>{0, 1, 2, 3}, std::vector<double>{0, 4, 5, 8}, sig, 3, a, 2, lista,
             1, covar, chisq);
    EXPECT_EQ(a[1], 1.5);
    EXPECT_EQ(lista[2], 1.0);
    EXPECT_NEAR(a[2], (2.5 + 7 + 19.5) / 14.0, 1e-15);  // sum x (y - 1.5) / sum x^2
    EXPECT_EQ(covar(1, 1), 0.0);
    EXPECT_NEAR(covar(2, 2), 1e-8 / 14.0, 1e-22);
}

TEST_F(RegPolTest, ImproperListaShowsTheMessageAndLeavesResultsAlone) {
    std::vector<double> sig(4, 0.0), a{0, 7, 8};
    Table2D covar(3, 3);
    covar(1, 1) = 42;
    double chisq = 13;
    // A parameter named twice; a parameter that does not exist.
    for (auto [lista, mfit] : {std::pair{std::vector<double>{0, 1, 1}, 2},
                               std::pair{std::vector<double>{0, 3, 0, 0}, 1}}) {
        platform.messages.clear();
        reg.LFIT(std::vector<double>{0, 1, 2, 3}, std::vector<double>{0, 1, 3, 5}, sig, 3, a, 2,
                 lista, mfit, covar, chisq);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, "Improper set in LISTA");
        EXPECT_EQ(platform.messages[0].icon, MsgIcon::None);
        EXPECT_EQ(platform.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(platform.messages[0].title, "");  // the application title
        EXPECT_EQ(a, (std::vector<double>{0, 7, 8}));
        EXPECT_EQ(covar(1, 1), 42);
        EXPECT_EQ(chisq, 13);
    }
}

TEST_F(RegPolTest, FiveBasisFunctionsAtMost) {
    std::vector<double> af(6, -1.0);
    reg.FUNCS(2.0, af, 5);
    EXPECT_EQ(af, (std::vector<double>{-1, 1, 2, 4, 8, 16}));
    EXPECT_THROW(reg.FUNCS(1e200, af, 3), OverflowError);
    // Wampler1's degree-5 model needs a sixth; so does ma = 6 without data.
    const StrdSet w = ReadStrd("Wampler1");
    ASSERT_EQ(w.x.size(), 22u);
    EXPECT_THROW(FitPoly(reg, w.x, w.y, 6), SubscriptOutOfRange);
    EXPECT_THROW(FitPoly(reg, {0.0}, {0.0}, 6), SubscriptOutOfRange);
    EXPECT_NO_THROW(FitPoly(reg, w.x, w.y, 5));
    // The Gaussian basis writes the same five places.
    reg.FGauss(1.25, std::vector<double>{0, 2.0, 1.0, 0.5}, 3);
    EXPECT_DOUBLE_EQ(reg.afunc()[1], std::exp(-0.25));
    EXPECT_DOUBLE_EQ(reg.afunc()[3], 2.0 * std::exp(-0.25));
    EXPECT_THROW(reg.FGauss(1.0, std::vector<double>(7, 1.0), 6), SubscriptOutOfRange);
    EXPECT_THROW(reg.FGauss(1.0, std::vector<double>{0, 1, 0, 0}, 3), DivisionByZero);
}

TEST_F(RegPolTest, GaussJordanAndSingularSystems) {
    Table2D a(4, 4), b(4, 2);
    const double m[3][3] = {{2, 1, 1}, {1, 3, 2}, {1, 0, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) a(i + 1, j + 1) = m[i][j];
    b(1, 1) = 4, b(2, 1) = 5, b(3, 1) = 6;
    ASSERT_TRUE(reg.GAUSSJ(a, 3, b, 1));
    EXPECT_NEAR(b(1, 1), 6, 1e-13);  // x = (6, 15, -23)
    EXPECT_NEAR(b(2, 1), 15, 1e-13);
    EXPECT_NEAR(b(3, 1), -23, 1e-13);
    // a becomes the inverse, whose last row is (3, -1, -5).
    EXPECT_NEAR(a(3, 1), 3.0, 1e-14);
    EXPECT_NEAR(a(3, 2), -1.0, 1e-14);
    EXPECT_NEAR(a(3, 3), -5.0, 1e-14);
    Table2D s(3, 3), sb(3, 2);
    s(1, 1) = 1, s(1, 2) = 2, s(2, 1) = 2, s(2, 2) = 4;
    EXPECT_FALSE(reg.GAUSSJ(s, 2, sb, 1));
    s(1, 1) = 1e-50;  // zero in single precision
    EXPECT_FALSE(reg.GAUSSJ(s, 1, sb, 1));
    EXPECT_THROW(reg.GAUSSJ(s, 3, sb, 1), SubscriptOutOfRange);

    // LFIT reports a line it cannot determine instead of returning a guess:
    // one point, repeated x, no data, x vanishing in single precision.
    EXPECT_THROW(FitPoly(reg, {0, 3}, {0, 1}, 2), DivisionByZero);
    EXPECT_THROW(FitPoly(reg, {0, 2, 2, 2}, {0, 1, 2, 3}, 2), DivisionByZero);
    EXPECT_THROW(FitPoly(reg, {0}, {0}, 2), DivisionByZero);
    EXPECT_THROW(FitPoly(reg, {0, 1e-30, 2e-30, 3e-30}, {0, 1, 2, 3}, 2), DivisionByZero);
}

TEST_F(RegPolTest, ExtremeMagnitudesAndNaN) {
    const std::vector<double> x{0, 1, 2, 3, 4};
    Fit f = FitPoly(reg, x, {0, 1e-300, 3e-300, 2e-300, 5e-300}, 2);
    EXPECT_NEAR(f.a[2] / 1e-300, 1.1, 1e-13);
    f = FitPoly(reg, {0, 1e300, 2e300, 3e300}, {0, 1, 2, 3}, 2);
    EXPECT_NEAR(f.a[2] * 1e300, 1.0, 1e-13);
    EXPECT_NEAR(f.a[1], 0.0, 1e-13);
    // Residuals of 1e300 over sig = 0.0001 do not fit a double.
    EXPECT_THROW(FitPoly(reg, x, {0, 1e300, 3e300, 2e300, 5e300}, 2), OverflowError);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(FitPoly(reg, x, {0, 1, nan, 2, 3}, 2), OverflowError);
    EXPECT_THROW(FitPoly(reg, {0, 1, nan, 2, 3}, x, 2), OverflowError);
    std::vector<double> sig(3, 0.0), a{0, 0, 0}, lista{0, 1, 2};
    Table2D covar(3, 3);
    double chisq = 0;
    EXPECT_THROW(reg.LFIT(x, x, sig, 4, a, 2, lista, 2, covar, chisq), SubscriptOutOfRange);
}

TEST_F(RegPolTest, MeanAndDeviances) {
    const std::vector<double> v{123.0, 2, 4, 9};  // position 0 never read
    EXPECT_EQ(reg.Media(v), 5.0);
    EXPECT_EQ(reg.Devianza(v), 26.0);
    EXPECT_EQ(reg.DevianzaMediaEsterna(v, 4.0), 29.0);
    EXPECT_THROW(reg.Media(std::vector<double>{0}), DivisionByZero);
    EXPECT_EQ(reg.Devianza(std::vector<double>{0}), 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(reg.Devianza(std::vector<double>{0, 1e300, -1e300}), OverflowError);
    // Sums are carried wider than a double: only a result out of range overflows.
    EXPECT_EQ(reg.Media(std::vector<double>{0, 1e308, 1e308}), 1e308);
    EXPECT_THROW(reg.Devianza(std::vector<double>{0, 1, nan}), OverflowError);
}

TEST(RegPolNist, NorrisLineRSquaredAndF) {
    ScriptedPlatform platform;
    RegPol reg(platform);
    const StrdSet s = ReadStrd("Norris");
    ASSERT_EQ(s.x.size(), 37u);
    const Fit f = FitPoly(reg, s.x, s.y, 2);
    const AnovaResult r = reg.ANOVARegPol(s.x, s.y, 2, f.a, true, 0.0);
    const double b0 = s.certified.at("B0")[0], b1 = s.certified.at("B1")[0];
    const double r2 = s.certified.at("r2")[0], F = s.certified.at("regression")[3];
    std::cout << "Norris digits: B0 " << Digits(f.a[1], b0) << ", B1 " << Digits(f.a[2], b1)
              << ", R2 " << Digits(r.R2, r2) << ", F " << Digits(r.F, F) << "\n";
    EXPECT_GE(Digits(f.a[1], b0), 10.0);
    EXPECT_GE(Digits(f.a[2], b1), 10.0);
    EXPECT_GE(Digits(r.R2, r2), 10.0);
    EXPECT_GE(Digits(r.F, F), 10.0);
    EXPECT_GE(Digits(r.DevianzaStimati, s.certified.at("regression")[1]), 10.0);
    EXPECT_GE(Digits(r.Errore, s.certified.at("residual")[1]), 9.0);
    EXPECT_GE(Digits(f.chisq * 1e-8, s.certified.at("residual")[1]), 9.0);
    EXPECT_LT(r.prf, 1e-15);
    EXPECT_EQ(r.sign, "++");
}

TEST(RegPolNist, PontiusQuadratic) {
    ScriptedPlatform platform;
    RegPol reg(platform);
    const StrdSet s = ReadStrd("Pontius");
    ASSERT_EQ(s.x.size(), 41u);
    const Fit f = FitPoly(reg, s.x, s.y, 3);
    std::cout << "Pontius digits:";
    for (int j = 0; j < 3; ++j) {
        const double c = s.certified.at("B" + std::to_string(j))[0];
        std::cout << " B" << j << " " << Digits(f.a[j + 1], c);
        EXPECT_GE(Digits(f.a[j + 1], c), 8.0) << "B" << j;
    }
    std::cout << "\n";
}

TEST(RegPolNist, NoInterceptHoldsTheInterceptAtZero) {
    for (const char* name : {"NoInt1", "NoInt2"}) {
        ScriptedPlatform platform;
        RegPol reg(platform);
        const StrdSet s = ReadStrd(name);
        const Fit f = FitPoly(reg, s.x, s.y, 2, true);
        const double b1 = s.certified.at("B1")[0];
        std::cout << name << " digits: B1 " << Digits(f.a[2], b1) << "\n";
        EXPECT_EQ(f.a[1], 0.0) << name;
        EXPECT_GE(Digits(f.a[2], b1), 10.0) << name;
        EXPECT_GE(Digits(f.chisq * 1e-8, s.certified.at("residual")[1]), 10.0) << name;
        EXPECT_TRUE(platform.messages.empty());
    }
}
