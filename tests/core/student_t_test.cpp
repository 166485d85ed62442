// The Student-t sample size: the stored critical values against independent
// quantiles, the search, and the command on hand-made trimmed sessions.
#include "analysis/student_t.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "commands/student_t.h"
#include "road.h"

using namespace velta;

namespace {

// Two-sided Student-t quantiles to four decimals, computed with mpmath from
// the regularised incomplete beta function (df 1 .. 30) and the normal
// quantile (the last entry).
const double kReferenceQuantiles[3][31] = {
    {6.3138, 2.9200, 2.3534, 2.1318, 2.0150, 1.9432, 1.8946, 1.8595, 1.8331, 1.8125, 1.7959,
     1.7823, 1.7709, 1.7613, 1.7531, 1.7459, 1.7396, 1.7341, 1.7291, 1.7247, 1.7207, 1.7171,
     1.7139, 1.7109, 1.7081, 1.7056, 1.7033, 1.7011, 1.6991, 1.6973, 1.6449},
    {12.7062, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060, 2.2622, 2.2281, 2.2010,
     2.1788,  2.1604, 2.1448, 2.1314, 2.1199, 2.1098, 2.1009, 2.0930, 2.0860, 2.0796, 2.0739,
     2.0687,  2.0639, 2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423, 1.9600},
    {63.6567, 9.9248, 5.8409, 4.6041, 4.0321, 3.7074, 3.4995, 3.3554, 3.2498, 3.1693, 3.1058,
     3.0545,  3.0123, 2.9768, 2.9467, 2.9208, 2.8982, 2.8784, 2.8609, 2.8453, 2.8314, 2.8188,
     2.8073,  2.7969, 2.7874, 2.7787, 2.7707, 2.7633, 2.7564, 2.7500, 2.5758},
};

TEST(StudentTable, EveryEntryIsTheQuantileToTwoDecimals) {
    // The printed table rounds most entries and truncates a few (2.015 ->
    // 2.01), so an entry lies within a hundredth below or half a hundredth
    // above the true quantile. One entry is further off and kept as printed:
    // alpha 0.01 at n = 13 reads 3.04 for 3.0545.
    const char* alphas[3] = {"0.10", "0.05", "0.01"};
    for (int a = 0; a < 3; ++a)
        for (int32_t n = 2; n <= 32; ++n) {
            const double q = kReferenceQuantiles[a][n - 2];
            const double t = TableQuantile(alphas[a], n);
            EXPECT_EQ(t, StudentTable::values[a][n - 2]);
            EXPECT_LE(t, q + 0.005 + 1e-9) << alphas[a] << " n=" << n;
            const double below = (a == 2 && n == 13) ? 0.015 : 0.01;
            EXPECT_GT(t, q - below) << alphas[a] << " n=" << n;
        }
}

TEST(StudentTable, LookupEdges) {
    struct Case {
        const char* alpha;
        int32_t n;
        double t;
    } cases[] = {
        {"0.05", 2, 12.71}, {"0.05", 32, 1.96}, {"0.01", 2, 63.66}, {"0.10", 31, 1.70},
        {"0.05", 1, 0.0},   {"0.5", 10, 0.0},   {"", 10, 0.0},      {"0.050", 10, 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(TableQuantile(c.alpha, c.n), c.t) << c.alpha << " " << c.n;
    EXPECT_THROW(TableQuantile("0.05", 0), SubscriptOutOfRange);
    EXPECT_THROW(TableQuantile("0.05", 33), SubscriptOutOfRange);
}

TEST(StudentTSize, SmallestSufficientSize) {
    struct Case {
        double s, d;
        const char* alpha;
        int32_t n;
    } cases[] = {
        {2.5, 1.0, "0.05", 27},                     // worked example
        {0.0, 1e-9, "0.05", 2},                     // no spread
        {1.0, 0.3664, "0.05", 31},                  // just above 2.04 / sqrt(31)
        {1.0, 0.3663, "0.05", kNoStudentSize},      // just below: incoherent
        {1.0, 1.0, "0.01", 11},                     // 3.25 / sqrt(10) > 1, 3.17 / sqrt(11) <= 1
        {1.0, 1.0, "0.10", 5},                      // 2.13 / 2 > 1, 2.01 / sqrt(5) <= 1
        {5.0, 1.0, "bad alpha", 2},                 // every t is 0
        {1.0, 2.04 / std::sqrt(31.0), "0.05", 31},  // the bound itself is accepted
    };
    for (const auto& c : cases)
        EXPECT_EQ(StudentTSize(c.s, c.d, c.alpha), c.n) << c.s << " " << c.d << " " << c.alpha;
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
        int32_t units;
        const char* message;
    } cases[] = {
        {"abc", "1", 6, kInvalidStudentSdMessage},
        {"-0.1", "1", 6, kInvalidStudentSdMessage},
        {"", "1", 6, kInvalidStudentSdMessage},
        {"1", "0", 6, kInvalidStudentDifferenceMessage},
        {"1", "-1", 6, kInvalidStudentDifferenceMessage},
        {"1", "x", 6, kInvalidStudentDifferenceMessage},
        {"2.5", "1", 20, "The sample size computed using the Student-t (27) is higher than 19"},
        {"1", "1.3", 5, "The sample size computed using the Student-t (5) is higher than 4"},
        {"1", "0.3", 6, kIncoherentErrorMessage},
    };
    for (const auto& c : cases) {
        Bench b(c.units, 4, 1);
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
    // Not available before a trimming.
    test::Road r(6, "20");
    r.Generate();
    EXPECT_FALSE(r.Run(Command::StudentT));
    EXPECT_TRUE(r.ui.messages.empty());
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
    // No spread gives 2: unlike the manual size, the mark shows at any size;
    // the largest size (N - 1 = 5 here) is accepted, its mark on the last category.
    for (auto [N, sd, size] : {std::tuple{8, "0", 2}, {6, "1", 5}}) {
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
