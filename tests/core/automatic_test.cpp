// "Automatic": the breakpoint search, a hand-built trimmed cloud against
// independent least-squares fits, the whole road, failures and errors.
#include "commands/automatic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/automatic_size.h"
#include "base/numbers.h"
#include "road.h"

using namespace velta;

namespace {

using Rows = std::vector<std::vector<double>>;

// A trimmed session: generated row q * J - 1 holds the V values means[q - 1]
// and sds[q - 1], repeated when V is larger; column V holds values no
// envelope may pick up.
Session Trimmed(int32_t N, int32_t V, const Rows& means, const Rows& sds, int32_t J = 1) {
    Session s = test::HandTrimmed(
        N, V, J,
        [&](int32_t r, int32_t j, bool mean) {
            const auto& row = mean ? means[size_t((r + 1) / J - 1)] : sds[size_t((r + 1) / J - 1)];
            return row[size_t(j) % row.size()];
        },
        {5, 20}, {0, 3});
    auto& t = const_cast<CloudTables&>(*s.analysis.trimming()->tables);
    for (int32_t r = 0; r < N; ++r) t.means(r, V) = 1e9, t.sds(r, V) = -1e9;
    return s;
}

// Least squares of y(1 .. n) on x = 1 .. n by the textbook sums.
struct Line {
    double intercept, slope;
};
Line Ols(std::vector<double> y) {
    const auto n = double(y.size());
    double mx = (n + 1) / 2, my = 0, sxx = 0, sxy = 0;
    for (double v : y) my += v / n;
    for (size_t i = 0; i < y.size(); ++i) {
        const double dx = double(i + 1) - mx, dy = y[i] - my;
        sxx += dx * dx, sxy += dx * dy;
    }
    return {my - sxy / sxx * mx, sxy / sxx};
}

// Upper, lower and middle sample of N = 10 rows (row 9 empty): envelope
// point k is row k. The quality sum first rises at the second candidate,
// K = 4: the result is row 4, size 5.
const std::vector<double> kUp{15, 14, 12, 12.6, 11, 10.5, 10.4, 10.45, 10.4};
const std::vector<double> kLo{5, 6, 7.5, 7.4, 9, 9.5, 9.6, 9.55, 9.6};
const std::vector<double> kSdUp{3, 2.8, 2.5, 2.6, 2.2, 2.1, 2.05, 2.0, 2.02};
const std::vector<double> kSdLo{0.5, 0.8, 1, 1.1, 1.4, 1.5, 1.52, 1.55, 1.56};

Session HandBuilt(int32_t V = 3, int32_t J = 1) {
    Rows m, s;
    for (size_t r = 0; r < kUp.size(); ++r) {
        m.push_back({kUp[r], kLo[r], (kUp[r] + kLo[r]) / 2});
        // A zero in the result's row: the lower coefficient passes over it.
        s.push_back({kSdUp[r], kSdLo[r], r == 3 ? 0.0 : 2.0});
    }
    return Trimmed(10 * J, V, m, s, J);
}

std::vector<double> Points(const std::vector<double>& v, size_t K) {
    return {v.begin() + 1, v.begin() + 1 + std::ptrdiff_t(K)};
}

using test::ExpectOnlyMessage;

}  // namespace

TEST(AutomaticSampleSize, QualitySumSearchTakesTheFirstStrictRise) {
    const struct {
        std::vector<double> B;  // B(0) included
        int32_t expected;
    } cases[] = {
        {{0, 0.9, 0.8, 0.8, 1.1, 1.5}, 6},  // K = 3 .. 7: the rise at i = 4
        {{0, 0.9, 1.0}, 4},
        {{0, 1.9, 1.5, 1.5, 1.2}, 0},
        {{0, 1.0, 1.0, 1.0}, 0},
        {{0}, 0},
        {{0, 1.5, 1.2, 0.0}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FirstStrictRise(c.B), c.expected) << c.B.size();
}

TEST(AutomaticSampleSize, HandBuiltCloudGivesEveryLineAndResult) {
    Session s = HandBuilt();
    ScriptedPlatform ui;
    EXPECT_TRUE(MoveSlider(s, ui, 7));
    EXPECT_TRUE(RunCommand(s, ui, Command::Automatic));
    ExpectOnlyMessage(ui, kTrySliderMessage, MsgIcon::Information);
    const AutomaticAnswer& a = *s.analysis.automatic();
    EXPECT_EQ(std::tuple(a.succeeded, a.breakpoint, a.size), std::tuple(true, 4, 5));
    WindowView v = WindowViewOf(s);
    // The size is handed to the manual answer, and the slider stands there.
    EXPECT_EQ(std::tuple(v.automaticSize, v.manualSize, v.slider.mark, v.slider.position),
              std::tuple(std::string("5"), std::string("5"), 5, 5));
    EXPECT_TRUE(s.analysis.manual()->fromAutomatic);
    EXPECT_TRUE(v.canManual && v.canStudentT);

    // Every results row against independent fits.
    std::vector<double> sdLo = Points(kSdLo, 4);
    sdLo[2] = 0.0;  // the zero of row 3 is the lower envelope there
    const Line fit[] = {Ols(Points(kUp, 4)), Ols(Points(kLo, 4)), Ols(Points(kSdUp, 4)), Ols(sdLo)};
    // The lines in the sample size n (the fits are in the rows, n - 1).
    for (int32_t chart = 0; chart < 2; ++chart) {
        const FittedLines& lines = chart == 0 ? a.means : a.sds;
        for (int32_t k = 0; k < 2; ++k) {
            const Line& l = fit[2 * chart + k];
            const size_t r = 2 + 4 * chart + k;
            const double at = std::fabs(l.intercept) + std::fabs(l.slope);
            const double intercept = k == 0 ? lines.upperIntercept : lines.lowerIntercept;
            const double slope = k == 0 ? lines.upperSlope : lines.lowerSlope;
            const double level = k == 0 ? lines.upperLevel : lines.lowerLevel;
            EXPECT_NEAR(intercept, l.intercept - l.slope, 1e-12 * at) << r;
            EXPECT_NEAR(slope, l.slope, 1e-12 * at) << r;
            EXPECT_NEAR(level, l.intercept + 4 * l.slope, 1e-12 * at) << r;
            EXPECT_EQ(v.results[r][1], FormatResult(intercept)) << r;
            EXPECT_EQ(v.results[r][2], FormatResult(slope)) << r;
            EXPECT_EQ(v.results[r + 2][1], FormatResult(level)) << r;
            EXPECT_EQ(v.results[r + 2][2], "");
        }
    }
    // The right lines continue the left ones at the size; the automatic mark
    // at size 5 and the manual one over it.
    for (const FittedLines& lines : {a.means, a.sds}) {
        EXPECT_DOUBLE_EQ(lines.upperIntercept + lines.upperSlope * 5, lines.upperLevel);
        EXPECT_DOUBLE_EQ(lines.lowerIntercept + lines.lowerSlope * 5, lines.lowerLevel);
    }
    EXPECT_EQ(v.sdsChart.marks, (std::vector<SizeMark>{{SizeMark::Kind::Automatic, 4},
                                                       {SizeMark::Kind::Manual, 4}}));

    // The statistics of size 5: coefficients, both columns and labels.
    const double m = (kUp[3] + kLo[3] + (kUp[3] + kLo[3]) / 2) / 3;
    EXPECT_EQ(v.cvAutomaticLower, Format2(kSdLo[3] / m * 100));
    EXPECT_EQ(v.cvAutomaticUpper, "26");
    EXPECT_EQ(std::pair(v.cvManualLower, v.cvManualUpper),
              std::pair(v.cvAutomaticLower, v.cvAutomaticUpper));
    const double column[] = {m, kUp[3], kLo[3], (kSdUp[3] + kSdLo[3]) / 3, kSdUp[3], kSdLo[3]};
    const SizeStatistics& st = a.statistics;
    const double model[] = {st.meanA, st.maxA, st.minA, st.meanB, st.maxB,
                            st.minNonZeroB};
    for (size_t r = 0; r < 6; ++r) {
        EXPECT_NEAR(model[r], column[r], 1e-12 * std::fabs(column[r])) << r;
        EXPECT_EQ(v.statistics[1][r], FormatResult(model[r])) << r;
    }
    EXPECT_EQ(v.statistics[0], v.statistics[1]);
    EXPECT_EQ(v.meansAverageAutomatic, "average (auto): " + Format4(m));
    EXPECT_EQ(v.meansAverageManual, "average (manual): " + Format4(m));

}

// With a jump of 2 only every other row is generated, and a step of the
// envelopes is two rows: the same cloud spread that way gives the same
// breakpoint, lines whose slope per unit of n is halved, and the statistics
// and coefficients of the same row.
TEST(AutomaticSampleSize, AJumpOfTwoStepsOverTheRowsNotGenerated) {
    Session one = HandBuilt(), two = HandBuilt(3, 2);
    ScriptedPlatform ui;
    ASSERT_TRUE(RunCommand(one, ui, Command::Automatic) && RunCommand(two, ui, Command::Automatic));
    const AutomaticAnswer &a = *one.analysis.automatic(), &b = *two.analysis.automatic();
    EXPECT_EQ(std::pair(b.breakpoint, b.size), std::pair(4, 9));
    for (const auto& [l1, l2] : {std::pair(a.means, b.means), std::pair(a.sds, b.sds)}) {
        EXPECT_NEAR(l2.upperSlope, l1.upperSlope / 2, 1e-12);
        EXPECT_NEAR(l2.upperIntercept, l1.upperIntercept + l1.upperSlope / 2, 1e-12);
        EXPECT_NEAR(l2.lowerSlope, l1.lowerSlope / 2, 1e-12);
        EXPECT_NEAR(l2.lowerIntercept, l1.lowerIntercept + l1.lowerSlope / 2, 1e-12);
        EXPECT_NEAR(l2.upperLevel, l1.upperLevel, 1e-12);
        EXPECT_NEAR(l2.lowerLevel, l1.lowerLevel, 1e-12);
    }
    const WindowView v1 = WindowViewOf(one), v2 = WindowViewOf(two);
    EXPECT_EQ(v2.cvAutomaticLower + " " + v2.cvAutomaticUpper, v1.cvAutomaticLower + " " + v1.cvAutomaticUpper);
    EXPECT_EQ(v2.statistics[1], v1.statistics[1]);
}

TEST(AutomaticSampleSize, GeneratedAndTrimmedCloudsOfEverySampleSizeStep) {
    // The whole road. With jump >= 2 (N >= 21) only the rows q*jump - 1 hold
    // data: the result lies on one of them and its size names its category.
    for (int32_t N : {12, 21, 40, 100, 400}) {
        test::Road r(N, "250", [](int32_t i) { return 20.0 + std::fmod(i * 7.31, 9.7); });
        r.Trimmed();
        r.ui.messages.clear();
        ASSERT_TRUE(r.Run(Command::Automatic));
        ExpectOnlyMessage(r.ui, kTrySliderMessage, MsgIcon::Information);
        const int32_t J = r.analysis().generation()->jump;
        const AutomaticAnswer& a = *r.analysis().automatic();
        const int32_t row = a.size - 1;
        EXPECT_TRUE(row % J == 0 && row >= 4 * J && row <= N - 3 * J) << N << " " << a.size;
        const WindowView v = r.View();
        EXPECT_EQ(v.automaticSize, v.meansChart.CategoryLabel(row)) << N;
        EXPECT_EQ(v.results[1][1], FormatInteger(a.size));
    }
}

TEST(AutomaticSampleSize, FailuresAndTheErrorPath) {
    ScriptedPlatform ui;
    // A smooth funnel: the left fits only worsen as the breakpoint moves out.
    const auto funnel = [](int32_t N) {
        Rows m;
        for (int32_t r = 0; r + 1 < N; ++r) {
            const double d = 5 * std::exp(-r / 2.0) + 0.05 * (r % 2 ? -1 : 1);
            m.push_back({10 + d, 10 - d, 10});
        }
        return m;
    };
    // Earlier answers: a manual size and a Student-t size.
    const auto run = [&](Session& s) {
        s.inputs.maxError = "40";
        s.inputs.studentSd = "1";
        MoveSlider(s, ui, 3);
        RunCommand(s, ui, Command::StudentT);
        ASSERT_TRUE(s.analysis.manual() && s.analysis.studentT());
        Automatic(s, ui);
    };

    // Not trimmed: the message and nothing else.
    test::Road generated(10, "30");
    generated.Generate();
    Automatic(generated.s, ui);
    ExpectOnlyMessage(ui, kApplyFilterMessage, MsgIcon::Information);
    EXPECT_FALSE(generated.analysis().automatic());

    // No room for a breakpoint (N = 3, 4), no candidate (N = 5) or a sum
    // that never rises: no result, the other answers stay.
    for (int32_t N : {3, 4, 5, 10, 20}) {
        Session s = Trimmed(N, 3, funnel(N), funnel(N));
        run(s);
        ExpectOnlyMessage(ui, kAutomaticFailedMessage, MsgIcon::Critical);
        ASSERT_TRUE(s.analysis.automatic());
        EXPECT_FALSE(s.analysis.automatic()->succeeded);
        const WindowView v = WindowViewOf(s);
        EXPECT_EQ(v.automaticSize + v.cvAutomaticLower + v.results[1][0], "");
        EXPECT_EQ(v.manualSize, std::to_string(std::min(N - 1, 3)));  // as the slider left it
        EXPECT_FALSE(v.canManual);
    }
    // Means that average 0 (the hand-built cloud moved down by 10: the same
    // fits) give the size; a coefficient of variation over a zero mean is "n/a".
    Session down = HandBuilt();
    auto& means = const_cast<CloudTables&>(*down.analysis.trimming()->tables);
    for (int32_t r = 0; r < 9; ++r)
        for (int32_t j = 0; j < 3; ++j) means.means(r, j) -= 10;
    run(down);
    ExpectOnlyMessage(ui, kTrySliderMessage, MsgIcon::Information);
    const WindowView v = WindowViewOf(down);
    EXPECT_EQ(v.automaticSize + " " + v.manualSize, "5 5");
    EXPECT_EQ(v.cvAutomaticLower + " " + v.cvAutomaticUpper + " " + v.cvManualLower + " " +
                  v.cvManualUpper,
              "n/a n/a n/a n/a");
}

// Envelope pieces that are exactly straight (small pilots, equal values)
// are the best fits, not errors: the procedure answers or says it cannot.
TEST(AutomaticSampleSize, PerfectFitsAreAnsweredLikeAnyOtherPilot) {
    static const double pilot[] = {12.1, 13.4, 11.8, 12.9, 13.1, 12.2, 14.0, 11.5};
    test::Road r(8, "250", [](int32_t i) { return pilot[i - 1]; });
    r.Trimmed();
    r.ui.messages.clear();
    ASSERT_TRUE(r.Run(Command::Automatic));
    ExpectOnlyMessage(r.ui, kTrySliderMessage, MsgIcon::Information);
    EXPECT_TRUE(r.analysis().automatic()->succeeded);
    EXPECT_NE(r.View().automaticSize, "");

    test::Road same(8, "250", [](int32_t) { return 7.0; });
    same.Trimmed();
    same.ui.messages.clear();
    ASSERT_TRUE(same.Run(Command::Automatic));
    ASSERT_EQ(same.ui.messages.size(), 1u);
    EXPECT_NE(same.ui.LastMessage(), kUnexpectedErrorMessage);
    ASSERT_TRUE(same.analysis().automatic());
}
