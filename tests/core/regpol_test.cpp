// Least squares and regression ANOVA of RegPol: hand-checked cases, the NIST
// StRD linear regression data sets and bad input.
#include "regression/regpol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;

namespace {

struct StrdSet {
    std::vector<double> x{0.0}, y{0.0};  // 1-based
    std::map<std::string, std::vector<double>> certified;
};

// Reads "[data]" rows "y x" and "[certified]" rows "key value ...".
StrdSet ReadStrd(const std::string& name) {
    std::ifstream in(std::string(VELTA_REFERENCE_DIR) + "/" + name + ".txt");
    EXPECT_TRUE(in.good()) << name;
    StrdSet s;
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line;
            continue;
        }
        std::istringstream ls(line);
        if (section == "[data]") {
            double y, x;
            if (ls >> y >> x) {
                s.y.push_back(y);
                s.x.push_back(x);
            }
        } else if (section == "[certified]") {
            std::string key;
            ls >> key;
            double v;
            while (ls >> v) s.certified[key].push_back(v);
        }
    }
    return s;
}

// Significant digits of agreement (log relative error), 16 when exact.
double Digits(double value, double reference) {
    const double rel = std::abs(value - reference) / std::abs(reference);
    return rel == 0.0 ? 16.0 : -std::log10(rel);
}

struct Fit {
    std::vector<double> a;
    Table2D covar{6, 6};
    double chisq = -1.0;
};

// Fits all ma coefficients with zero sig (equal weights).
Fit FitAll(RegPol& r, const std::vector<double>& x, const std::vector<double>& y, int ma) {
    Fit f;
    f.a.assign(7, 0.0);
    std::vector<double> sig(x.size(), 0.0);
    std::vector<double> lista{0, 1, 2, 3, 4, 5, 6};
    r.LFIT(x, y, sig, static_cast<int32_t>(x.size()) - 1, f.a, ma, lista, ma, f.covar, f.chisq);
    return f;
}

class RegPolTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    RegPol reg{platform};
};

}  // namespace

TEST_F(RegPolTest, StraightLineThroughThreePoints) {
    const std::vector<double> x{0, 1, 2, 3}, y{0, 1, 3, 5};
    const Fit f = FitAll(reg, x, y, 2);
    EXPECT_NEAR(f.a[1], -1.0, 1e-14);
    EXPECT_NEAR(f.a[2], 2.0, 1e-14);
    EXPECT_NEAR(f.chisq, 0.0, 1e-12);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(RegPolTest, ZeroSigmaBecomesTheUnitWeightInTheCallersArray) {
    const std::vector<double> x{0, 1, 2, 3, 4}, y{0, 2, 3, 7, 8};
    std::vector<double> sig{0, 0, 0, 0, 0}, a{0, 0, 0}, lista{0, 1, 2};
    Table2D covar(3, 3);
    double chisq = 0;
    reg.LFIT(x, y, sig, 4, a, 2, lista, 2, covar, chisq);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(sig[i], 0.0001);
    // Unweighted least squares: slope Sxy / Sxx = 11 / 5, intercept 5 - 2.5 slope.
    EXPECT_NEAR(a[2], 2.2, 1e-14);
    EXPECT_NEAR(a[1], -0.5, 1e-14);
    // chisq is the residual sum of squares (residuals 0.3, -0.9, 0.9, -0.3) over sig^2.
    EXPECT_NEAR(chisq / 1e8, 1.8, 1e-12);
    // The covariance of a straight line: sig^2 * [Sxx, -Sx; -Sx, n] / (n Sxx - Sx^2).
    const double det = 4 * 30 - 100;
    EXPECT_NEAR(covar(1, 1), 1e-8 * 30 / det, 1e-20);
    EXPECT_NEAR(covar(2, 2), 1e-8 * 4 / det, 1e-20);
    EXPECT_NEAR(covar(1, 2), -1e-8 * 10 / det, 1e-20);
    EXPECT_EQ(covar(1, 2), covar(2, 1));
}

TEST_F(RegPolTest, ListaOrderDoesNotChangeTheFitAndCovarComesBackInParameterOrder) {
    const std::vector<double> x{0, 1, 2, 3, 5}, y{0, 2.5, 3.1, 7.2, 9.9};
    std::vector<double> sig(5, 0.5), a1{0, 0, 0}, a2{0, 0, 0};
    std::vector<double> l1{0, 1, 2}, l2{0, 2, 1};
    Table2D c1(3, 3), c2(3, 3);
    double q1 = 0, q2 = 0;
    reg.LFIT(x, y, sig, 4, a1, 2, l1, 2, c1, q1);
    reg.LFIT(x, y, sig, 4, a2, 2, l2, 2, c2, q2);
    EXPECT_NEAR(a1[1], a2[1], 1e-13);
    EXPECT_NEAR(a1[2], a2[2], 1e-13);
    EXPECT_NEAR(q1, q2, 1e-12);
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 2; ++j) EXPECT_NEAR(c1(i, j), c2(i, j), 1e-14) << i << "," << j;
    EXPECT_LT(c1(1, 2), 0.0);  // intercept and slope anticorrelated for x > 0
}

TEST_F(RegPolTest, HeldParameterKeepsItsValue) {
    const std::vector<double> x{0, 1, 2, 3}, y{0, 4, 5, 8};
    std::vector<double> sig(4, 0.0), a{0, 1.5, 99}, lista{0, 2, 0};
    Table2D covar(3, 3);
    double chisq = 0;
    reg.LFIT(x, y, sig, 3, a, 2, lista, 1, covar, chisq);
    EXPECT_EQ(a[1], 1.5);
    EXPECT_EQ(lista[2], 1.0);
    // Slope of y - 1.5 through the origin: sum x (y - 1.5) / sum x^2.
    EXPECT_NEAR(a[2], (2.5 + 7 + 19.5) / 14.0, 1e-14);
    // The held parameter has no variance.
    EXPECT_EQ(covar(1, 1), 0.0);
    EXPECT_NEAR(covar(2, 2), 1e-8 / 14.0, 1e-22);
}

TEST_F(RegPolTest, ImproperListaShowsTheMessageAndLeavesResultsAlone) {
    const std::vector<double> x{0, 1, 2, 3}, y{0, 1, 3, 5};
    std::vector<double> sig(4, 0.0), a{0, 7, 8};
    Table2D covar(3, 3);
    covar(1, 1) = 42;
    double chisq = 13;
    for (std::vector<double> lista :
         {std::vector<double>{0, 1, 1}, std::vector<double>{0, 3, 0, 0}}) {
        platform.messages.clear();
        reg.LFIT(x, y, sig, 3, a, 2, lista, lista[2] == 0 ? 1 : 2, covar, chisq);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, "Improper set in LISTA");
        EXPECT_EQ(platform.messages[0].icon, MsgIcon::None);
        EXPECT_EQ(platform.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(platform.messages[0].title, "");  // the application title
        EXPECT_EQ(a[1], 7);
        EXPECT_EQ(a[2], 8);
        EXPECT_EQ(covar(1, 1), 42);
        EXPECT_EQ(chisq, 13);
    }
}

TEST_F(RegPolTest, BasisFunctionsAndTheirLimit) {
    std::vector<double> af(6, -1.0);
    reg.FUNCS(2.0, af, 5);
    EXPECT_EQ(af, (std::vector<double>{-1, 1, 2, 4, 8, 16}));
    std::vector<double> big(8, 0.0);
    EXPECT_NO_THROW(reg.FUNCS(2.0, big, 7));  // the caller's array sets the limit here
    EXPECT_THROW(reg.FUNCS(1e200, af, 3), OverflowError);

    // The member afunc holds five functions: a sixth coefficient does not fit,
    // even without data.
    const StrdSet w = ReadStrd("Wampler1");
    ASSERT_EQ(w.x.size(), 22u);
    EXPECT_THROW(FitAll(reg, w.x, w.y, 6), SubscriptOutOfRange);
    EXPECT_THROW(FitAll(reg, {0.0}, {0.0}, 6), SubscriptOutOfRange);
    // Five coefficients (degree 4) still fit: the quartic part of Wampler1's
    // 1 + x + ... + x^5 is not exact, so only check that it runs.
    EXPECT_NO_THROW(FitAll(reg, w.x, w.y, 5));
}

TEST_F(RegPolTest, GaussianBasisAndItsDerivatives) {
    const std::vector<double> a{0, 2.0, 1.0, 0.5};  // height, centre, width
    reg.FGauss(1.25, a, 3);
    const double arg = 0.5, ex = std::exp(-0.25), fac = 2.0 * ex * 2.0 * arg;
    EXPECT_DOUBLE_EQ(reg.afunc()[1], ex);
    EXPECT_DOUBLE_EQ(reg.afunc()[2], fac / 0.5);
    EXPECT_DOUBLE_EQ(reg.afunc()[3], fac * arg / 0.5);
    EXPECT_THROW(reg.FGauss(1.0, std::vector<double>{0, 1, 0, 0}, 3), DivisionByZero);
    const std::vector<double> two{0, 1, 1, 1, 1, 1, 1};
    EXPECT_THROW(reg.FGauss(1.0, two, 6), SubscriptOutOfRange);  // afunc(6)
}

TEST_F(RegPolTest, GaussJordanSolvesAndInvertsAndReportsSingularity) {
    Table2D a(4, 4), b(4, 2);
    const double m[3][3] = {{2, 1, 1}, {1, 3, 2}, {1, 0, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) a(i + 1, j + 1) = m[i][j];
    b(1, 1) = 4;
    b(2, 1) = 5;
    b(3, 1) = 6;
    const Table2D orig = a;
    ASSERT_TRUE(reg.GAUSSJ(a, 3, b, 1));
    // A x = b with x = (6, 15, -23).
    EXPECT_NEAR(b(1, 1), 6, 1e-13);
    EXPECT_NEAR(b(2, 1), 15, 1e-13);
    EXPECT_NEAR(b(3, 1), -23, 1e-13);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) {
            double s = 0;
            for (int k = 1; k <= 3; ++k) s += orig(i, k) * a(k, j);
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-13);
        }

    Table2D s(3, 3), sb(3, 2);
    s(1, 1) = 1, s(1, 2) = 2, s(2, 1) = 2, s(2, 2) = 4;
    EXPECT_FALSE(reg.GAUSSJ(s, 2, sb, 1));
    // Tiny but regular: zero in single precision counts as singular.
    Table2D t(2, 2), tb(2, 2);
    t(1, 1) = 1e-50;
    EXPECT_FALSE(reg.GAUSSJ(t, 1, tb, 1));
    EXPECT_THROW(reg.GAUSSJ(t, 2, tb, 1), SubscriptOutOfRange);
}

TEST_F(RegPolTest, SingularFitRaisesDivisionByZero) {
    // One point, or several at one x, do not determine a line.
    EXPECT_THROW(FitAll(reg, {0, 3}, {0, 1}, 2), DivisionByZero);
    EXPECT_THROW(FitAll(reg, {0, 2, 2, 2}, {0, 1, 2, 3}, 2), DivisionByZero);
    EXPECT_THROW(FitAll(reg, {0}, {0}, 2), DivisionByZero);
    // x so small that x^2 / sig^2 vanishes in single precision.
    EXPECT_THROW(FitAll(reg, {0, 1e-30, 2e-30, 3e-30}, {0, 1, 2, 3}, 2), DivisionByZero);
}

TEST_F(RegPolTest, ExtremeMagnitudesAndNaN) {
    const std::vector<double> x{0, 1, 2, 3, 4};
    // Tiny y: the fit scales exactly.
    Fit f = FitAll(reg, x, {0, 1e-300, 3e-300, 2e-300, 5e-300}, 2);
    EXPECT_NEAR(f.a[2] / 1e-300, 1.1, 1e-13);
    EXPECT_NEAR(f.a[1] / 1e-300, 0.0, 1e-13);
    // Huge x with a line: the normal equations stay in range, the fit is exact.
    f = FitAll(reg, {0, 1e300, 2e300, 3e300}, {0, 1, 2, 3}, 2);
    EXPECT_NEAR(f.a[2] * 1e300, 1.0, 1e-13);
    EXPECT_NEAR(f.a[1], 0.0, 1e-13);
    // Huge y: the weighted residuals overflow a double.
    EXPECT_THROW(FitAll(reg, x, {0, 1e300, 3e300, 2e300, 5e300}, 2), OverflowError);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(FitAll(reg, x, {0, 1, nan, 2, 3}, 2), OverflowError);
    EXPECT_THROW(FitAll(reg, {0, 1, nan, 2, 3}, {0, 1, 2, 3, 4}, 2), OverflowError);
    // Too few points in the arrays for NDATA.
    std::vector<double> sig(3, 0.0), a{0, 0, 0}, lista{0, 1, 2};
    Table2D covar(3, 3);
    double chisq = 0;
    EXPECT_THROW(reg.LFIT(x, x, sig, 4, a, 2, lista, 2, covar, chisq), SubscriptOutOfRange);
}

TEST(RegPolNist, NorrisLineRSquaredAndF) {
    ScriptedPlatform platform;
    RegPol reg(platform);
    const StrdSet s = ReadStrd("Norris");
    ASSERT_EQ(s.x.size(), 37u);
    const Fit f = FitAll(reg, s.x, s.y, 2);
    const double b0 = s.certified.at("B0")[0], b1 = s.certified.at("B1")[0];
    const AnovaResult r = reg.ANOVARegPol(s.x, s.y, 2, f.a, true, 0.0);
    const double r2 = s.certified.at("r2")[0], F = s.certified.at("regression")[3];
    std::cout << "Norris digits: B0 " << Digits(f.a[1], b0) << ", B1 " << Digits(f.a[2], b1)
              << ", R2 " << Digits(r.R2, r2) << ", F " << Digits(r.F, F) << "\n";
    EXPECT_GE(Digits(f.a[1], b0), 10.0);
    EXPECT_GE(Digits(f.a[2], b1), 10.0);
    EXPECT_GE(Digits(r.R2, r2), 10.0);
    EXPECT_GE(Digits(r.F, F), 10.0);
    EXPECT_GE(Digits(r.DevianzaStimati, s.certified.at("regression")[1]), 10.0);
    EXPECT_GE(Digits(r.Errore, s.certified.at("residual")[1]), 9.0);
    EXPECT_LT(r.prf, 1e-15);
    EXPECT_EQ(r.sign, "++");
    EXPECT_NEAR(reg.oneMinusR2(), 1.0 - r.R2, 0.0);
    EXPECT_NEAR(reg.rootOneMinusR2(), std::sqrt(1.0 - r.R2), 0.0);
    // chisq is the residual sum of squares over 0.0001^2.
    EXPECT_GE(Digits(f.chisq * 1e-8, s.certified.at("residual")[1]), 9.0);
}

TEST(RegPolNist, PontiusQuadratic) {
    ScriptedPlatform platform;
    RegPol reg(platform);
    const StrdSet s = ReadStrd("Pontius");
    ASSERT_EQ(s.x.size(), 41u);
    const Fit f = FitAll(reg, s.x, s.y, 3);
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
        std::vector<double> sig(s.x.size(), 0.0), a{0, 0, 0}, lista{0, 2, 0};
        Table2D covar(3, 3);
        double chisq = 0;
        reg.LFIT(s.x, s.y, sig, static_cast<int32_t>(s.x.size()) - 1, a, 2, lista, 1, covar, chisq);
        const double b1 = s.certified.at("B1")[0];
        std::cout << name << " digits: B1 " << Digits(a[2], b1) << "\n";
        EXPECT_EQ(a[1], 0.0) << name;
        EXPECT_GE(Digits(a[2], b1), 10.0) << name;
        EXPECT_GE(Digits(chisq * 1e-8, s.certified.at("residual")[1]), 10.0) << name;
        EXPECT_TRUE(platform.messages.empty());
    }
}

TEST_F(RegPolTest, MeanAndDeviances) {
    const std::vector<double> v{123.0, 2, 4, 9};  // position 0 never read
    EXPECT_EQ(reg.Media(v), 5.0);
    EXPECT_EQ(reg.Devianza(v), 26.0);
    EXPECT_EQ(reg.DevianzaMediaEsterna(v, 4.0), 4 + 0 + 25);
    EXPECT_THROW(reg.Media(std::vector<double>{0}), DivisionByZero);
    EXPECT_THROW(reg.Media(std::vector<double>{}), DivisionByZero);
    EXPECT_EQ(reg.Devianza(std::vector<double>{0}), 0.0);
    EXPECT_THROW(reg.Devianza(std::vector<double>{0, 1e300, -1e300}), OverflowError);
    EXPECT_THROW(reg.Media(std::vector<double>{0, 1e308, 1e308}), OverflowError);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(reg.Media(std::vector<double>{0, 1, nan}), OverflowError);
    EXPECT_THROW(reg.Devianza(std::vector<double>{0, 1, nan}), OverflowError);
}
