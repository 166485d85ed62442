// The Student-t sample size: the quantiles and the search against R's qt(),
// and the command on hand-made trimmed sessions.
#include "analysis/student_t.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "commands/student_t.h"
#include "road.h"
#include "strd_reader.h"

using namespace velta;

namespace {

// Rows of a reference file written by R (tests/data/student), header skipped.
std::vector<std::vector<std::string>> ReferenceRows(const std::string& name) {
    std::ifstream in(std::string(VELTA_TEST_DATA_DIR) + "/student/" + name);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream fs(line);
        for (std::string f; std::getline(fs, f, ',');) fields.push_back(f);
        rows.push_back(fields);
    }
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

TEST(StudentQuantile, AgreesWithRToFourteenDigitsFromOneToTenMillionDegrees) {
    // R's qt() for the three alphas at 205 degrees of freedom each, on both
    // sides of the switch from the exact series to the expansion.
    double worst = 17;
    for (const auto& row : ReferenceRows("quantiles.csv")) {
        const double alpha = *AlphaOf(row[0]);
        const int64_t df = std::stoll(row[1]);
        const double expected = std::stod(row[2]);
        const double digits = reference::AgreeingDigits(StudentQuantile(alpha, df), expected);
        EXPECT_GE(digits, 14.0) << row[0] << " df=" << df;
        worst = std::min(worst, digits);
    }
    RecordProperty("worstDigits", std::to_string(worst));
    // The normal quantiles the expansion starts from.
    EXPECT_NEAR(NormalUpperQuantile(0.025), 1.959963984540054, 1e-15);
    EXPECT_NEAR(NormalUpperQuantile(0.005), 2.5758293035489004, 1e-15);
    EXPECT_NEAR(NormalUpperQuantile(0.975), -1.959963984540054, 1e-15);
}

TEST(StudentTSize, SmallestSufficientSizeAgreesWithR) {
    // 300 random standard deviations and errors (sizes 2 .. about 28,000),
    // each searched in R with qt().
    for (const auto& row : ReferenceRows("sizes.csv")) {
        const double s = std::stod(row[1]), d = std::stod(row[2]);
        EXPECT_EQ(StudentTSize(s, d, *AlphaOf(row[0])), std::stoi(row[3]))
            << row[0] << " s=" << row[1] << " d=" << row[2];
    }
    struct Case {
        double s, d, alpha;
        std::optional<int32_t> n;
    } cases[] = {
        {2.5, 1.0, 0.05, 27},          // 2.0595 * 2.5 / sqrt(26) > 1 >= 2.0555 * 2.5 / sqrt(27)
        {0.0, 1e-9, 0.05, 2},          // no spread
        {3.138139, 1.0, 0.05, 41},     // trees' girth: beyond its 31 values
        {1.0, 1.0, 0.01, 11},          // 3.2498 / sqrt(10) > 1 >= 3.1693 / sqrt(11)
        {1.0, 6e-4, 0.01, std::nullopt},  // (2.5758 / 6e-4)^2 is about 18 million
        // At the bound: R's t(0.975, 9999999) = 1.9599642217672284.
        {1.0, 1.0000000001 * 1.9599642217672284 / std::sqrt(1e7), 0.05, kLargestStudentSize},
        {1.0, 0.9999999999 * 1.9599642217672284 / std::sqrt(1e7), 0.05, std::nullopt},
        {1e300, 1e-300, 0.05, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StudentTSize(c.s, c.d, c.alpha), c.n) << c.s << " " << c.d << " " << c.alpha;
    EXPECT_EQ(AlphaOf("0.050"), std::nullopt);
    EXPECT_EQ(AlphaOf(""), std::nullopt);
}

// A session trimmed by hand: N units, V virtual samples, jump J. Row r of the
// tables holds size r + 2; with J >= 2 only rows q*J - 1 hold data.
struct Bench {
    Session s;
    ScriptedPlatform ui;

    Bench(int32_t N, int32_t V, int32_t J)
        : s(test::HandTrimmed(N, V, J, [](int32_t r, int32_t c, bool mean) {
              return mean ? 10.0 + r + 0.5 * c : (c == 0 ? 0.0 : 1.0 + 0.25 * r + c);
          })) {
        s.inputs.studentSd = "1";
        s.inputs.maxError = "1.3";  // n = 5 at alpha 0.05
    }
    void Run() { ASSERT_TRUE(RunCommand(s, ui, Command::StudentT)); }
    WindowView View() const { return WindowViewOf(s); }
    // The Student-t statistics: mean, max, min of the means, then of the
    // standard deviations.
    void ExpectColumn(const double (&expected)[6]) const {
        const WindowView v = View();
        for (size_t r = 0; r < 6; ++r)
            EXPECT_NEAR(*ParseNumber(v.statistics[2][r]), expected[r], 1e-12) << r;
    }
};

std::vector<SizeMark> StudentMarkAt(int32_t category) {
    return {{SizeMark::Kind::StudentT, category}};
}

TEST(StudentCommand, RefusalsShowOneMessageAndKeepTheResult) {
    struct Case {
        const char* sd;
        const char* d;
        const char* message;
    } cases[] = {
        {"abc", "1", kInvalidStudentSdMessage},
        {"-0.1", "1", kInvalidStudentSdMessage},
        {"0", "1", kInvalidStudentSdMessage},
        {"", "1", kInvalidStudentSdMessage},
        {"1", "0", kInvalidStudentDifferenceMessage},
        {"1", "-1", kInvalidStudentDifferenceMessage},
        {"1", "x", kInvalidStudentDifferenceMessage},
        {"1", "1e-5", kTooLargeStudentSizeMessage},  // about 38 billion units
    };
    for (const auto& c : cases) {
        Bench b(6, 4, 1);
        b.s.inputs.maxError = "2";  // n = 4 first
        b.Run();
        ASSERT_EQ(b.View().studentTSize, "4");
        b.s.inputs.studentSd = c.sd;
        b.s.inputs.maxError = c.d;
        b.Run();
        test::ExpectOnlyMessage(b.ui, c.message, MsgIcon::Critical);
        const WindowView v = b.View();
        EXPECT_EQ(v.studentTSize, "4") << c.message;
        EXPECT_EQ(v.meansChart.marks, StudentMarkAt(3));
        EXPECT_EQ(b.s.analysis.studentT()->maxErrorText, "2");
    }
    // The messages say what is accepted.
    EXPECT_NE(std::string(kInvalidStudentSdMessage).find("greater than 0"), std::string::npos);
    EXPECT_NE(std::string(kInvalidStudentDifferenceMessage).find("greater than 0"),
              std::string::npos);
    // Not available before a trimming.
    test::Road r(6, "20");
    r.Generate();
    EXPECT_FALSE(r.Run(Command::StudentT));
    EXPECT_TRUE(r.ui.messages.empty());
}

TEST(StudentCommand, ASizeBeyondTheChartsIsAnsweredWithoutMarkOrStatistics) {
    // 2.5 / sqrt(26) * 2.0595 > 1 >= 2.5 / sqrt(27) * 2.0555, with 19 the
    // largest size of 20 values; 5 with 5 values (largest 4).
    for (auto [N, sd, d, size] : {std::tuple{20, "2.5", "1", 27}, {5, "1", "1.3", 5}}) {
        Bench b(N, 4, 1);
        b.s.inputs.studentSd = sd;
        b.s.inputs.maxError = d;
        b.Run();
        test::ExpectOnlyMessage(b.ui, BeyondChartsMessage(size, N - 1), MsgIcon::Information);
        const WindowView v = b.View();
        EXPECT_EQ(v.studentTSize, std::to_string(size));
        EXPECT_EQ(v.results[11][1], std::to_string(size));
        EXPECT_TRUE(v.meansChart.marks.empty());
        EXPECT_TRUE(v.sdsChart.marks.empty());
        for (const std::string& cell : v.statistics[2]) EXPECT_EQ(cell, kNotApplicable);
        EXPECT_FALSE(b.s.analysis.studentT()->WithinCharts());
    }
    EXPECT_EQ(BeyondChartsMessage(27, 19),
              "The Student-t sample size is 27, more than the largest size the pre-sample gives "
              "(19): the charts cannot mark it, and the statistics of its virtual samples are not "
              "available.");
}

TEST(StudentCommand, EqualValuesSayWhyTheirStandardDeviationCannotServe) {
    test::Road r(8, "20", [](int32_t) { return 7.0; });
    r.Trimmed();
    EXPECT_EQ(r.s.inputs.studentSd, "0");
    r.s.inputs.maxError = "1";
    r.ui.messages.clear();
    EXPECT_TRUE(r.Run(Command::StudentT));
    test::ExpectOnlyMessage(r.ui, kEqualValuesSdMessage, MsgIcon::Critical);
    EXPECT_FALSE(r.analysis().studentT());
    r.s.inputs.studentSd = "0.5";
    EXPECT_TRUE(r.Run(Command::StudentT));
    EXPECT_TRUE(r.ui.messages.empty()) << r.ui.LastMessage();
    EXPECT_EQ(r.View().studentTSize, "4");  // 0.5 / 2 * 3.1824 <= 1
}

TEST(StudentCommand, TheSizeItsMarkAndItsStatistics) {
    Bench b(8, 4, 1);
    b.Run();
    ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
    WindowView v = b.View();
    EXPECT_EQ(v.studentTSize, "5");
    EXPECT_EQ(v.results[11], (std::array<std::string, 3>{"Stud t SZ", "5", ""}));
    EXPECT_EQ(v.meansChart.marks, StudentMarkAt(4));
    EXPECT_EQ(v.sdsChart.marks, StudentMarkAt(4));
    const StudentTAnswer& t = *b.s.analysis.studentT();
    EXPECT_EQ(std::tuple(t.alpha, t.maxErrorText, t.sdText, t.size),
              std::tuple(std::string("0.05"), std::string("1.3"), std::string("1"), 5));
    // Statistics of row 3 over the V virtual samples: means 13, 13.5, 14,
    // 14.5; standard deviations 0 (skipped by the minimum), 2.75, 3.75, 4.75.
    b.ExpectColumn({13.75, 14.5, 13.0, (2.75 + 3.75 + 4.75) / 4, 4.75, 2.75});

    // Run again with other inputs: the mark moves; a manual size keeps its own.
    ASSERT_TRUE(MoveSlider(b.s, b.ui, 6));
    b.s.inputs.maxError = "2";  // n = 4
    b.Run();
    v = b.View();
    EXPECT_EQ(v.meansChart.marks, (std::vector<SizeMark>{{SizeMark::Kind::Manual, 5},
                                                         {SizeMark::Kind::StudentT, 3}}));
    // The boxes edited afterwards do not change the answer.
    b.s.inputs.maxError = "7";
    b.s.inputs.alpha = "0.01";
    EXPECT_EQ(b.View().studentTSize, "4");
    EXPECT_EQ(b.s.analysis.studentT()->alpha, "0.05");
}

TEST(StudentCommand, SmallestAndLargestSizesAndSizesBetweenGeneratedRows) {
    // A tiny spread gives 2: unlike the manual size, the mark shows at any
    // size; the largest size (N - 1 = 5 here) is accepted, its mark on the
    // last category.
    for (auto [N, sd, size] : {std::tuple{8, "1e-9", 2}, {6, "1", 5}}) {
        Bench b(N, 4, 1);
        b.s.inputs.studentSd = sd;
        b.Run();
        ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
        EXPECT_EQ(b.View().studentTSize, std::to_string(size));
        EXPECT_EQ(b.View().meansChart.marks, StudentMarkAt(size - 1));
    }
    // Jump 2: rows 1, 3, 5 hold data; n = 4 is row 2, which the generation
    // leaves at zero. Its statistics lie halfway between rows 1 and 3.
    Bench b(8, 4, 2);
    b.s.inputs.maxError = "2";  // n = 4
    b.Run();
    ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
    EXPECT_EQ(b.View().studentTSize, "4");
    b.ExpectColumn({12.75, 13.5, 12.0, (2.5 + 3.5 + 4.5) / 4, 4.5, 2.5});
}

}  // namespace
