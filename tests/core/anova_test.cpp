// Regression analysis of variance of RegPol::ANOVARegPol.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "engine/errors.h"
#include "platform/scripted/scripted_platform.h"
#include "regression/regpol.h"

using namespace velta;

namespace {

class AnovaTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    RegPol reg{platform};
    const std::vector<double> x{0, 1, 2, 3};
};

}  // namespace

TEST_F(AnovaTest, SlopedAndHorizontalLines) {
    AnovaResult r = reg.ANOVARegPol(x, std::vector<double>{0, 1, 2, 4}, 2,
                                    std::vector<double>{0, -2.0 / 3.0, 1.5}, true, 0.0);
    EXPECT_NEAR(r.DevianzaStimati, 4.5, 1e-14);
    EXPECT_NEAR(r.R2, 27.0 / 28.0, 1e-15);
    EXPECT_NEAR(r.Errore, 1.0 / 6.0, 1e-14);
    EXPECT_NEAR(r.F, 27.0, 1e-12);
    // 1 and 1 degrees of freedom: P = 1 - 2 atan(sqrt(F)) / pi.
    EXPECT_NEAR(r.prf, 1.0 - 2.0 * std::atan(std::sqrt(27.0)) / std::numbers::pi, 1e-14);
    EXPECT_EQ(r.sign, "ns");
    EXPECT_NEAR(reg.oneMinusR2(), 1.0 / 28.0, 1e-15);
    EXPECT_NEAR(reg.rootOneMinusR2(), std::sqrt(1.0 / 28.0), 1e-15);

    // A horizontal line explains nothing, whatever the data and the level.
    const std::vector<double> y{0, 3.3, -1, 8.25, 0.1, 2}, x5{0, 5, 6, 7, 8, 9};
    for (double level : {0.1, 2.0, -1e5}) {
        r = reg.ANOVARegPol(x5, y, 2, std::vector<double>{}, false, level);
        EXPECT_NEAR(r.DevianzaStimati, 0.0, 1e-20) << level;
        EXPECT_NEAR(r.R2, 0.0, 1e-20);
        EXPECT_NEAR(r.F, 0.0, 1e-18);
        EXPECT_NEAR(r.prf, 1.0, 1e-15);
        EXPECT_EQ(r.sign, "ns");
    }
}

TEST_F(AnovaTest, AllEqualYUsesTheStandInTotal) {
    const std::vector<double> y{0, 5, 5, 5};
    // Explained 2e-8 against the stand-in 1e-6.
    AnovaResult r = reg.ANOVARegPol(x, y, 2, std::vector<double>{0, 5, 0.0001}, true, 0.0);
    EXPECT_NEAR(r.R2, 0.02, 1e-12);
    EXPECT_NEAR(r.Errore, 0.98e-6, 1e-18);
    // More than the stand-in is clipped below 1.
    r = reg.ANOVARegPol(x, y, 2, std::vector<double>{0, 0, 1}, true, 0.0);
    EXPECT_EQ(r.R2, 0.999999);
    EXPECT_EQ(r.sign, "++");
    r = reg.ANOVARegPol(x, y, 2, std::vector<double>{0, 5, 0}, true, 0.0);
    EXPECT_EQ(r.R2, 0.0);
    EXPECT_EQ(r.prf, 1.0);
}

TEST_F(AnovaTest, ErrorsForNoDegreesOfFreedomPerfectFitAndBadNumbers) {
    const std::vector<double> y{0, 1, 3, 2}, a{0, 0.5, 0.5}, one{0, 2};
    EXPECT_THROW(reg.ANOVARegPol(x, y, 1, a, true, 0.0), DivisionByZero);  // ma = 1
    EXPECT_THROW(reg.ANOVARegPol(x, y, 3, a, true, 0.0), DivisionByZero);  // n = ma
    EXPECT_THROW(reg.ANOVARegPol(x, y, 4, a, true, 0.0), DivisionByZero);  // n < ma
    EXPECT_THROW(reg.ANOVARegPol(one, one, 2, a, false, 2.0), DivisionByZero);
    // Exactly -1 + 2x.
    EXPECT_THROW(reg.ANOVARegPol(x, std::vector<double>{0, 1, 3, 5}, 2,
                                 std::vector<double>{0, -1, 2}, true, 0.0),
                 DivisionByZero);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(reg.ANOVARegPol(x, std::vector<double>{0, 1, nan, 2}, 2, a, true, 0.0),
                 OverflowError);
    EXPECT_THROW(reg.ANOVARegPol(x, y, 2, std::vector<double>{0, nan, 0.5}, true, 0.0),
                 OverflowError);
    EXPECT_THROW(reg.ANOVARegPol(x, y, 2, std::vector<double>{0, 0, 1e308}, true, 0.0),
                 OverflowError);
    EXPECT_THROW(reg.ANOVARegPol(x, y, 2, std::vector<double>{0}, true, 0.0), SubscriptOutOfRange);
}
