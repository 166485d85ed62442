#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "base/errors.h"
#include "cases.h"

using namespace velta;

TEST(ParseNumber, AcceptsTheNumberFormsAndRefusesEverythingElse) {
    for (const test::Case& c : test::ReadCases("parse_number.txt")) {
        EXPECT_EQ(IsAmbiguousComma(c[0]), c[1] == "ambiguous") << '"' << c[0] << '"';
        if (c[1] == "ambiguous" || c[1] == "refused")
            EXPECT_FALSE(ParseNumber(c[0]).has_value()) << '"' << c[0] << '"';
        else
            EXPECT_EQ(ParseNumber(c[0]), std::strtod(c[1].c_str(), nullptr)) << c[0];
    }
}

TEST(WholeNumbers, RoundHalfToEvenAndOverflow) {
    for (const auto& [v, i] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}})
        EXPECT_EQ(RoundToInt32(v), i) << v;
    EXPECT_THROW(RoundToInt32(3e9), OverflowError);
    EXPECT_THROW(RoundToInt32(std::nan("")), OverflowError);
    for (const char* t : {"250", " 2.0e2 "}) EXPECT_TRUE(IsWholeNumber(t)) << t;
    for (const char* t : {"2.5", "abc", "1e12"}) EXPECT_FALSE(IsWholeNumber(t)) << t;
}

TEST(DisplayFormats, EveryPattern) {
    const std::map<std::string, std::string (*)(double)> formats = {
        {"F2", Format2}, {"F3", Format3}, {"F4", Format4}, {"S", FormatScientific},
        {"A", FormatAxis}, {"G", FormatGeneral}, {"E", FormatExact},
        {"S4", [](double v) { return FormatSignificant(v, 4); }},
        {"S10", [](double v) { return FormatSignificant(v, 10); }}};
    for (const test::Case& c : test::ReadCases("display_formats.txt"))
        EXPECT_EQ(formats.at(c[0])(std::strtod(c[1].c_str(), nullptr)), c[2]) << c[0] << " " << c[1];
    EXPECT_EQ(FormatInteger(-17), "-17");
    for (const auto& [v, text] : {std::pair<int64_t, const char*>{184756, "184,756"}, {0, "0"},
                                  {999, "999"}, {1000, "1,000"}, {-1234567, "-1,234,567"},
                                  {973469712824056, "973,469,712,824,056"}})
        EXPECT_EQ(FormatGrouped(v), text);
}

TEST(DisplayFormats, ExactTextsReadBack) {
    // The readers hand numbers to the pilot as texts.
    for (double v : {0.1, 123456.78901234567, -2.2250738585072014e-308, 6.02214076e23, 1e300})
        EXPECT_EQ(ParseNumber(FormatExact(v)), v) << FormatExact(v);
}
