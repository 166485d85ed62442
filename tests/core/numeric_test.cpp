#include "base/numeric.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/errors.h"

using namespace velta;

TEST(Factorial, ValuesOverflowBoundaryAndCombinations) {
    EXPECT_EQ(Factorial(0), 1.0);
    EXPECT_EQ(Factorial(5), 120.0);
    EXPECT_NEAR(Factorial(170) / 7.257415615307994e306, 1.0, 1e-14);
    EXPECT_THROW(Factorial(171), OverflowError);
    EXPECT_THROW(Factorial(-1), SubscriptOutOfRange);
    EXPECT_EQ(Combinations(7, 3), 35.0);
    EXPECT_EQ(Combinations(20, 10), 184756.0);
    EXPECT_THROW(Combinations(200, 100), OverflowError);
    EXPECT_THROW(Combinations(3, 5), SubscriptOutOfRange);
}

TEST(ArrayRoutines, PositionZeroIsNeverReadAndZerosCanBeSkipped) {
    const std::vector<double> y{1e300, 3, 7, 7, 1};
    EXPECT_EQ(ArrayMean(y), 4.5);
    EXPECT_EQ(IndexOfMax(y), 2);
    EXPECT_EQ(IndexOfMin(y), 4);
    // Ignoring a value skips it, unless nothing else is left.
    EXPECT_EQ(ArrayMin(std::vector<double>{9, 0, 3, 0, 2}, true, 0.0), 2.0);
    EXPECT_EQ(ArrayMin(std::vector<double>{9, 0, 0, 0}, true, 0.0), 0.0);
}

TEST(ArrayRoutines, EmptyArrays) {
    const std::vector<double> empty{0.0};
    EXPECT_THROW(ArrayMean(empty), DivisionByZero);
    EXPECT_THROW(ArrayMax(empty), SubscriptOutOfRange);
}
