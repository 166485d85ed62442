#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"

using namespace velta;

TEST(ParseNumber, AcceptsTheNumberFormsAndRefusesEverythingElse) {
    // "1,25": decimal comma when there is no point; "1e-400": underflow is zero, not an error.
    const std::pair<const char*, double> good[] = {
        {"12", 12.0},       {"  -3.5  ", -3.5},
        {"+.5", 0.5},       {"5.", 5.0},
        {"1,25", 1.25},     {"2.5e3", 2500.0},
        {"2.5E-3", 0.0025}, {"\t7\t", 7.0},
        {"1e-400", 0.0},    {"1.7976931348623157e308", 1.7976931348623157e308}};
    for (const auto& [t, v] : good) EXPECT_EQ(ParseNumber(t), v) << t;
    for (const char* t : {"",         "   ",   "abc",    "1.2.3", "1,2.3", "1 2",   "--1", "e5",
                          "1e",       "1e+",   ".",      "-",     "nan",   "NaN",   "inf", "-inf",
                          "Infinity", "1e999", "-1e309", "0x10",  "12abc", "1'000", "1.5%"})
        EXPECT_FALSE(ParseNumber(t).has_value()) << '"' << t << '"';
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

TEST(WholeNumbers, RoundHalfToEvenAndOverflow) {
    for (const auto& [v, i] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}})
        EXPECT_EQ(RoundToInt32(v), i) << v;
    EXPECT_THROW(RoundToInt32(3e9), OverflowError);
    EXPECT_THROW(RoundToInt32(std::nan("")), OverflowError);
    for (const char* t : {"250", " 2.0e2 "}) EXPECT_TRUE(IsWholeNumber(t)) << t;
    for (const char* t : {"2.5", "abc", "1e12"}) EXPECT_FALSE(IsWholeNumber(t)) << t;
    EXPECT_EQ(IntPart(-2.5), -3.0);
    EXPECT_EQ(IntPart(2.9), 2.0);
}

TEST(DisplayFormats, EveryPattern) {
    // Format2/3/4, Significant, Grouped, Scientific, Axis, General, Exact.
    using Fn = std::string (*)(double);
    const Fn F2 = Format2, F3 = Format3, F4 = Format4, S = FormatScientific, A = FormatAxis,
             G = FormatGeneral, E = FormatExact;
    const Fn S4 = [](double v) { return FormatSignificant(v, 4); };
    const Fn S10 = [](double v) { return FormatSignificant(v, 10); };
    // clang-format off
    const struct {
        Fn format;
        double value;
        const char* text;
    } cases[] = {
        // A leading zero, no lone or trailing point, zero as "0", no sign on a shown zero.
        {F3, 12, "12"}, {F3, 0.5, "0.5"}, {F3, 3.14159, "3.142"}, {F3, -0.5, "-0.5"},
        {F3, -12.25, "-12.25"}, {F3, 0.0, "0"}, {F3, 0.0004, "0"}, {F3, -0.0004, "0"},
        {F3, -0.0, "0"}, {F3, 1.58113883, "1.581"}, {F3, 0.70710678, "0.707"},
        {F3, 123456789.0, "123456789"}, {F2, 1.58113883, "1.58"}, {F2, 1.999, "2"},
        {F2, 65.0, "65"}, {F4, 0.12345678, "0.1235"}, {F4, -0.00005, "-0.0001"},
        {F3, 1e300, "1.00E+300"}, {F3, HUGE_VAL, "inf"},
        // Significant digits: small scales keep their digits, noise goes.
        {S4, 0.0041234, "0.004123"}, {S4, 2.4504, "2.45"}, {S4, 9.9996, "10"},
        {S4, -0.00012346, "-0.0001235"}, {S4, 0.0, "0"}, {S4, 123456.7, "123457"},
        {S10, 0.41499999999999998, "0.415"}, {S10, 12.462499999999999, "12.4625"},
        {S10, 1e-20, "1.00E-20"}, {S10, 2e17, "2.00E+17"},
        {S, 184756, "1.85E+05"}, {S, 6, "6.00E+00"}, {S, 10, "1.00E+01"}, {S, 0.00123, "1.23E-03"},
        {S, 2.7e299, "2.70E+299"}, {A, 12, "12.0"}, {A, 0.5, "0.5"}, {A, 3.14159, "3.142"},
        {A, -2, "-2.0"}, {G, 184756, "184756"}, {G, 10, "10"}, {G, 0.1, "0.1"},
        {G, 1.0 / 3.0, "0.333333333333333"}, {E, 41.2, "41.2"}, {E, 1e-5, "1E-05"},
        {E, 0.1 + 0.2, "0.30000000000000004"}, {E, 1.0 / 3.0, "0.3333333333333333"},
        {E, 1.7976931348623157e308, "1.7976931348623157E+308"},
        {E, 4.9406564584124654e-324, "4.94065645841247E-324"}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(c.format(c.value), c.text) << c.value;
    EXPECT_EQ(FormatInteger(-17), "-17");
    for (const auto& [v, text] : {std::pair<int64_t, const char*>{184756, "184,756"}, {0, "0"},
                                  {999, "999"}, {1000, "1,000"}, {-1234567, "-1,234,567"},
                                  {973469712824056, "973,469,712,824,056"}})
        EXPECT_EQ(FormatGrouped(v), text);
}

TEST(DisplayFormats, TextsReadBack) {
    // The generation reads the maximum back from its caption text.
    EXPECT_EQ(ParseNumber(FormatScientific(184756)), 185000.0);
    EXPECT_EQ(ParseNumber(FormatScientific(252)), 252.0);
    for (double v : {0.1, 123456.78901234567, -2.2250738585072014e-308, 6.02214076e23, 1e300})
        EXPECT_EQ(ParseNumber(FormatExact(v)), v) << FormatExact(v);
}
