// Upper-tail F probability of RegPol::pf against an independent table, its
// marks and its bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "engine/errors.h"
#include "platform/scripted/scripted_platform.h"
#include "regression/regpol.h"

using namespace velta;

namespace {

class FProbTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    RegPol reg{platform};
};

std::string ExpectedMark(double p) {
    return p > 0.05 ? "ns" : (p >= 0.01 ? " +" : "++");
}

}  // namespace

// fprob_reference.csv: d1, d2 in 1 .. 40, 50, 100 and F from 0.01 to 250, made
// with an arbitrary-precision incomplete beta function (see its header).
TEST_F(FProbTest, AgreesWithTheReferenceTableOnTheWholeGrid) {
    std::ifstream in(std::string(VELTA_TEST_DATA_DIR) + "/fprob_reference.csv");
    ASSERT_TRUE(in.good());
    std::string line;
    int rows = 0;
    double maxErr = 0.0;
    std::string worst;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line[0] == 'd') continue;
        int d1, d2;
        double F, P;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%lf,%lf", &d1, &d2, &F, &P), 4) << line;
        const FProbability r = reg.pf(F, d1, d2);
        const double err = std::abs(r.prf - P);
        if (err > maxErr) {
            maxErr = err;
            worst = line;
        }
        EXPECT_LE(err, 1e-10) << line << " got " << r.prf;
        // Marks follow wherever the reference is not within rounding of a limit.
        if (std::abs(P - 0.05) > 1e-12 && std::abs(P - 0.01) > 1e-12) {
            EXPECT_EQ(r.sign, ExpectedMark(P)) << line;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 42 * 42 * 18);
    std::cout << "pf: " << rows << " reference points, max abs error " << maxErr << " at " << worst
              << "\n";
}

TEST_F(FProbTest, ClosedFormsAndMarkLimits) {
    FProbability r = reg.pf(1, 1, 1);  // theta = pi / 4
    EXPECT_DOUBLE_EQ(r.prf, 0.5);
    EXPECT_EQ(r.sign, "ns");
    // 2 and 2 degrees of freedom: P = 1 / (1 + F), landing on both limits.
    r = reg.pf(19, 2, 2);
    EXPECT_EQ(r.prf, 0.05);
    EXPECT_EQ(r.sign, " +");
    r = reg.pf(99, 2, 2);
    EXPECT_EQ(r.prf, 0.01);
    EXPECT_EQ(r.sign, " +");
    EXPECT_EQ(reg.pf(99.0001, 2, 2).sign, "++");
    EXPECT_EQ(reg.pf(18.9999, 2, 2).sign, "ns");
    // Both even with d2 < d1: one pass of the d1-even series.
    for (double F : {0.3, 1.0, 7.5}) {
        const double x = 1.0 / (1.0 + 2.0 * F);
        EXPECT_NEAR(reg.pf(F, 4, 2).prf, x * (1.0 + (1.0 - x)), 1e-15) << F;
        // The other order takes the d2-even series: 1 - (1 - y)(1 + y) = y^2
        // with y = 1 / (1 + F / 2).
        const double y = 1.0 / (1.0 + F / 2.0);
        EXPECT_NEAR(reg.pf(F, 2, 4).prf, y * y, 1e-15) << F;
    }
    // F with 1 and 2 degrees of freedom is t^2 with 2: P = 1 - t / sqrt(2 + t^2).
    EXPECT_NEAR(reg.pf(4, 1, 2).prf, 1.0 - 2.0 / std::sqrt(6.0), 1e-15);
    // Both odd, several passes of both terms (value from the reference table).
    EXPECT_NEAR(reg.pf(3, 7, 9).prf, 0.064006611235665503, 1e-15);
    // Degrees of freedom are rounded half to even.
    EXPECT_EQ(reg.pf(3, 2.5, 3.5).prf, reg.pf(3, 2, 4).prf);
}

TEST_F(FProbTest, EdgesOfTheArguments) {
    for (double d1 : {1, 2, 7, 8})
        for (double d2 : {1, 2, 7, 8}) {
            EXPECT_EQ(reg.pf(0, d1, d2).prf, 1.0);
            EXPECT_EQ(reg.pf(-3, d1, d2).prf, 1.0);
            EXPECT_EQ(reg.pf(std::numeric_limits<double>::infinity(), d1, d2).prf, 0.0);
            const FProbability huge = reg.pf(1e300, d1, d2);
            EXPECT_GE(huge.prf, 0.0);
            EXPECT_LT(huge.prf, 1e-100);
            EXPECT_EQ(huge.sign, "++");
            const FProbability tiny = reg.pf(1e-300, d1, d2);
            EXPECT_NEAR(tiny.prf, 1.0, 1e-15);
            EXPECT_EQ(tiny.sign, "ns");
        }
    EXPECT_THROW(reg.pf(2, 1, 0), DivisionByZero);
    EXPECT_THROW(reg.pf(2, 0, 5), DivisionByZero);
    EXPECT_THROW(reg.pf(2, 3, -2), DivisionByZero);
    EXPECT_THROW(reg.pf(std::numeric_limits<double>::quiet_NaN(), 1, 1), OverflowError);
    EXPECT_THROW(reg.pf(2, 1e12, 3), OverflowError);  // not a 32-bit whole number
    // Many degrees of freedom: the loops end and the result is a probability.
    const FProbability big = reg.pf(1.01, 30000, 30001);
    EXPECT_GT(big.prf, 0.0);
    EXPECT_LT(big.prf, 0.5);
}
