// The Student-t sample size: the quantiles and the search against R's qt(),
// and the command on hand-made trimmed sessions.
#include "analysis/student_t.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/numbers.h"
#include "cases.h"
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
    for (std::getline(in, line); std::getline(in, line);) rows.push_back(test::Split(line, ','));
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

TEST(StudentQuantile, AgreesWithRToFourteenDigitsFromOneToTenMillionDegrees) {
    // R's qt() for the three alphas at 205 degrees of freedom each, on both
    // sides of the switch from the exact series to the expansion.
    for (const auto& row : ReferenceRows("quantiles.csv")) {
        const double t = StudentQuantile(*AlphaOf(row[0]), std::stoll(row[1]));
        EXPECT_GE(reference::AgreeingDigits(t, std::stod(row[2])), 14.0)
            << row[0] << " df=" << row[1];
    }
}

TEST(StudentTSize, SmallestSufficientSizeAgreesWithR) {
    // 300 random standard deviations and errors (sizes 2 .. about 28,000),
    // each searched in R with qt().
    for (const auto& row : ReferenceRows("sizes.csv")) {
        const double s = std::stod(row[1]), d = std::stod(row[2]);
        EXPECT_EQ(StudentTSize(s, d, *AlphaOf(row[0])), std::stoi(row[3]))
            << row[0] << " s=" << row[1] << " d=" << row[2];
    }
    // No spread; about 18 million units ((2.5758 / 6e-4)^2); both sides of
    // the bound, where R's t(0.975, 9999999) = 1.9599642217672284.
    const double bound = 1.9599642217672284 / std::sqrt(1e7);
    for (auto [s, d, alpha, n] : {std::tuple{0.0, 1e-9, 0.05, std::optional<int32_t>(2)},
                                  {1.0, 6e-4, 0.01, std::nullopt},
                                  {1.0, 1.0000000001 * bound, 0.05, kLargestStudentSize},
                                  {1.0, 0.9999999999 * bound, 0.05, std::nullopt},
                                  {1e300, 1e-300, 0.05, std::nullopt}})
        EXPECT_EQ(StudentTSize(s, d, alpha), n) << s << " " << d << " " << alpha;
}

// A session trimmed by hand: N units, 4 virtual samples, jump J. Row r of
// the tables holds size r + 2; with J >= 2 only rows q*J - 1 hold data.
Session Bench(int32_t N, int32_t J, const std::string& sd, const std::string& d) {
    Session s = test::HandTrimmed(N, 4, J, [](int32_t r, int32_t c, bool mean) {
        return mean ? 10.0 + r + 0.5 * c : (c == 0 ? 0.0 : 1.0 + 0.25 * r + c);
    });
    s.inputs.studentSd = sd;
    s.inputs.maxError = d;
    return s;
}

// Each invalid input has its message (that the previous answer stays is the
// stale-results test's).
TEST(StudentCommand, RefusalsShowOneMessage) {
    for (const auto& [sd, d, message] :
         {std::tuple{"abc", "1", kInvalidStudentSdMessage},
          {"0", "1", kInvalidStudentSdMessage},
          {"1", "0", kInvalidStudentDifferenceMessage},
          {"1", "x", kInvalidStudentDifferenceMessage},
          {"1", "1e-5", kTooLargeStudentSizeMessage}}) {  // about 38 billion units
        Session s = Bench(6, 1, sd, d);
        ScriptedPlatform ui;
        ASSERT_TRUE(RunCommand(s, ui, Command::StudentT));
        test::ExpectOnlyMessage(ui, message, MsgIcon::Critical, d);
    }
    test::Road r(8, "20", [](int32_t) { return 7.0; });
    r.Trimmed();
    EXPECT_EQ(r.s.inputs.studentSd, "0");
    r.s.inputs.maxError = "1";
    r.ui.messages.clear();
    EXPECT_TRUE(r.Run(Command::StudentT));
    test::ExpectOnlyMessage(r.ui, kEqualValuesSdMessage, MsgIcon::Critical, "equal values");
}

// The mark shows at any size the charts have (unlike the manual size's),
// the smallest and the largest (N - 1) too. Size 5's statistics over the 4
// virtual samples: means 13 .. 14.5, sds 0 (skipped by the minimum), 2.75,
// 3.75, 4.75; with jump 2, size 4 is the zero row 2: halfway between rows 1
// and 3. Beyond the charts (27 from 2.5 / sqrt(26) * 2.0595 > 1 >= 2.5 /
// sqrt(27) * 2.0555), no mark or statistics, and a message says why.
TEST(StudentCommand, ASizeWithinOrBeyondTheChartsAndItsStatistics) {
    using Column = std::vector<double>;  // mean, max, min of the means, then of the sds
    for (const auto& [N, J, sd, d, size, column] :
         {std::tuple{8, 1, "1e-9", "1.3", 2, Column{}},
          {8, 1, "1", "1.3", 5, Column{13.75, 14.5, 13.0, (2.75 + 3.75 + 4.75) / 4, 4.75, 2.75}},
          {8, 2, "1", "2", 4, Column{12.75, 13.5, 12.0, (2.5 + 3.5 + 4.5) / 4, 4.5, 2.5}},
          {6, 1, "1", "1.3", 5, Column{}},
          {5, 1, "1", "1.3", 5, Column{}},
          {20, 1, "2.5", "1", 27, Column{}}}) {
        Session s = Bench(N, J, sd, d);
        ScriptedPlatform ui;
        ASSERT_TRUE(RunCommand(s, ui, Command::StudentT));
        const WindowView v = WindowViewOf(s);
        EXPECT_EQ(v.results[11],
                  (std::array<std::string, 3>{"Stud t SZ", std::to_string(size), ""}));
        if (size < N) {
            EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
            const std::vector<SizeMark> mark{{SizeMark::Kind::StudentT, size - 1}};
            EXPECT_EQ(std::pair(v.meansChart.marks, v.sdsChart.marks), std::pair(mark, mark));
            for (size_t r = 0; r < column.size(); ++r)
                EXPECT_NEAR(*ParseNumber(v.statistics[2][r]), column[r], 1e-12) << size << " " << r;
            continue;
        }
        test::ExpectOnlyMessage(ui, BeyondChartsMessage(size, N - 1), MsgIcon::Information);
        EXPECT_TRUE(v.meansChart.marks.empty() && v.sdsChart.marks.empty());
        for (const std::string& cell : v.statistics[2]) EXPECT_EQ(cell, kNotApplicable);
    }
    EXPECT_EQ(BeyondChartsMessage(27, 19),
              "The Student-t sample size is 27, more than the largest size the pre-sample gives "
              "(19): the charts cannot mark it, and the statistics of its virtual samples are not "
              "available.");
}

}  // namespace
