#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"

using namespace velta;

TEST(ParseNumber, AcceptsTheNumberForms) {
    EXPECT_EQ(ParseNumber("12"), 12.0);
    EXPECT_EQ(ParseNumber("  -3.5  "), -3.5);
    EXPECT_EQ(ParseNumber("+.5"), 0.5);
    EXPECT_EQ(ParseNumber("5."), 5.0);
    EXPECT_EQ(ParseNumber("1,25"), 1.25);  // decimal comma when there is no point
    EXPECT_EQ(ParseNumber("2.5e3"), 2500.0);
    EXPECT_EQ(ParseNumber("2.5E-3"), 0.0025);
    EXPECT_EQ(ParseNumber("\t7\t"), 7.0);
    EXPECT_EQ(ParseNumber("1e-400"), 0.0);  // underflow is zero, not an error
    EXPECT_EQ(ParseNumber("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(ParseNumber, RefusesEverythingElse) {
    for (const char* t : {"",         "   ",   "abc",    "1.2.3", "1,2.3", "1 2",   "--1", "e5",
                          "1e",       "1e+",   ".",      "-",     "nan",   "NaN",   "inf", "-inf",
                          "Infinity", "1e999", "-1e309", "0x10",  "12abc", "1'000", "1.5%"})
        EXPECT_FALSE(ParseNumber(t).has_value()) << '"' << t << '"';
}

TEST(WholeNumbers, RoundHalfToEvenAndOverflow) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(2.4999), 2);
    EXPECT_THROW(RoundToInt32(3e9), OverflowError);
    EXPECT_THROW(RoundToInt32(std::nan("")), OverflowError);
    EXPECT_TRUE(IsWholeNumber("250"));
    EXPECT_TRUE(IsWholeNumber(" 2.0e2 "));
    EXPECT_FALSE(IsWholeNumber("2.5"));
    EXPECT_FALSE(IsWholeNumber("abc"));
    EXPECT_FALSE(IsWholeNumber("1e12"));
    EXPECT_EQ(IntPart(-2.5), -3.0);
    EXPECT_EQ(IntPart(2.9), 2.0);
}

TEST(DisplayFormats, HashPatterns) {
    EXPECT_EQ(Format3(12), "12.");
    EXPECT_EQ(Format3(0.5), ".5");
    EXPECT_EQ(Format3(3.14159), "3.142");
    EXPECT_EQ(Format3(-0.5), "-.5");
    EXPECT_EQ(Format3(-12.25), "-12.25");
    EXPECT_EQ(Format3(0.0), ".");
    EXPECT_EQ(Format3(0.0004), ".");
    EXPECT_EQ(Format3(1.58113883), "1.581");
    EXPECT_EQ(Format3(0.70710678), ".707");
    EXPECT_EQ(Format2(1.58113883), "1.58");
    EXPECT_EQ(Format2(1.999), "2.");
    EXPECT_EQ(Format4(0.12345678), ".1235");
    EXPECT_EQ(Format3(123456789.0), "123456789.");
}

TEST(DisplayFormats, ScientificAxisGeneralInteger) {
    EXPECT_EQ(FormatScientific(184756), "1.85E+05");
    EXPECT_EQ(FormatScientific(6), "6.00E+00");
    EXPECT_EQ(FormatScientific(10), "1.00E+01");
    EXPECT_EQ(FormatScientific(0.00123), "1.23E-03");
    EXPECT_EQ(FormatScientific(2.7e299), "2.70E+299");
    EXPECT_EQ(FormatAxis(12), "12.0");
    EXPECT_EQ(FormatAxis(0.5), "0.5");
    EXPECT_EQ(FormatAxis(3.14159), "3.142");
    EXPECT_EQ(FormatAxis(-2), "-2.0");
    EXPECT_EQ(FormatGeneral(184756), "184756");
    EXPECT_EQ(FormatGeneral(10), "10");
    EXPECT_EQ(FormatGeneral(0.1), "0.1");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatInteger(-17), "-17");
}

TEST(DisplayFormats, ScientificTextReadsBackAsTheRoundedValue) {
    // The generation reads the maximum back from its caption text.
    EXPECT_EQ(ParseNumber(FormatScientific(184756)), 185000.0);
    EXPECT_EQ(ParseNumber(FormatScientific(252)), 252.0);
}

TEST(ParseNumber, AmbiguousCommaIsNotANumber) {
    // One comma and exactly three digits after a whole part other than 0.
    for (const char* t : {"1,234", "12,500", "-1,000", " +999,999 ", "0001,234"}) {
        EXPECT_TRUE(IsAmbiguousComma(t)) << t;
        EXPECT_FALSE(ParseNumber(t).has_value()) << t;
    }
    const std::pair<const char*, double> decimals[] = {
        {"12,5", 12.5},     {"0,125", 0.125},   {"1,2345", 1.2345}, {"1,23", 1.23},
        {"000,125", 0.125}, {"1,234e0", 1.234}, {"1.234", 1.234}};
    for (const auto& [t, v] : decimals) {
        EXPECT_FALSE(IsAmbiguousComma(t)) << t;
        EXPECT_EQ(ParseNumber(t), v) << t;
    }
}

TEST(DisplayFormats, ExactTextReadsBackBitForBit) {
    EXPECT_EQ(FormatExact(41.2), "41.2");
    EXPECT_EQ(FormatExact(1e-5), "1E-05");
    EXPECT_EQ(FormatExact(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(FormatExact(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(FormatExact(1.7976931348623157e308), "1.7976931348623157E+308");
    EXPECT_EQ(FormatExact(4.9406564584124654e-324), "4.94065645841247E-324");
    for (double v : {0.1, 123456.78901234567, -2.2250738585072014e-308, 6.02214076e23, 1e300})
        EXPECT_EQ(ParseNumber(FormatExact(v)), v) << FormatExact(v);
}
