// The slider: a manual size with its own statistics, coefficients and mark,
// on clouds built by hand.
#include "analysis/size_statistics.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "road.h"

using namespace velta;

namespace {

struct Trimmed {
    Session s;
    ScriptedPlatform ui;
    Trimmed(int32_t N, int32_t V, int32_t J,
            const std::function<double(int32_t, int32_t, bool)>& value)
        : s(test::HandTrimmed(N, V, J, value)) {}
    bool Slide(int32_t S) { return MoveSlider(s, ui, S); }
    WindowView View() const { return WindowViewOf(s); }
};

double Plain(int32_t r, int32_t c, bool mean) {
    return mean ? 15.0 + r + 0.25 * c : 1.0 + 0.5 * r + 0.125 * c;
}

std::vector<SizeMark> ManualMarkAt(int32_t category) {
    return {{SizeMark::Kind::Manual, category}};
}

}  // namespace

TEST(ManualSize, TheSizeItsStatisticsCoefficientsAndMark) {
    Trimmed t(10, 4, 1, Plain);
    t.s.inputs.virtualSamples = "999";  // edited after the generation: V comes from the tables
    ASSERT_TRUE(t.Slide(6));
    EXPECT_TRUE(t.ui.messages.empty());
    WindowView v = t.View();
    EXPECT_EQ(v.manualSize, "6");
    EXPECT_EQ(v.slider.position, 6);
    // Row 4: means 19 .. 19.75, standard deviations 3 .. 3.375.
    EXPECT_EQ(v.cvManualLower, Format2(3.0 / 19.375 * 100.0));
    EXPECT_EQ(v.cvManualUpper, "17.42");
    EXPECT_EQ(v.statistics[0],
              (std::array<std::string, 6>{"19.375", "19.75", "19", "3.1875", "3.375", "3"}));
    EXPECT_EQ(v.statistics[1][0], "");
    EXPECT_EQ(std::tuple(v.meansAverageManual, v.sdsAverageManual, v.meansAverageAutomatic),
              std::tuple(std::string("average (manual): 19.375"),
                         std::string("average (manual): 3.1875"), std::string()));
    EXPECT_EQ(v.meansChart.marks, ManualMarkAt(5));
    EXPECT_EQ(v.sdsChart.marks, ManualMarkAt(5));
    EXPECT_TRUE(v.canStudentT);

    // A move moves the mark.
    ASSERT_TRUE(t.Slide(8));
    v = t.View();
    EXPECT_EQ(v.meansChart.marks, ManualMarkAt(7));
    EXPECT_EQ(v.manualSize, "8");
}

TEST(ManualSize, SmallSizesAndTheRowsBetweenAndBeyondTheGeneratedOnes) {
    // Sizes 2 and 3 show no mark and no coefficients, and keep none of an
    // earlier size.
    for (int32_t S : {2, 3, 4}) {
        Trimmed t(10, 4, 1, Plain);
        ASSERT_TRUE(t.Slide(7));
        ASSERT_TRUE(t.Slide(S));
        const WindowView v = t.View();
        EXPECT_EQ(v.manualSize, std::to_string(S));
        EXPECT_EQ(v.meansChart.marks.empty(), S < 4) << S;
        EXPECT_EQ(v.cvManualUpper.empty(), S < 4) << S;
        EXPECT_EQ(v.cvManualLower.empty(), S < 4) << S;
        EXPECT_NE(v.statistics[0][0], "");
    }
    // N = 12, jump 3: rows 2, 5 and 8 (sizes 4, 7 and 10) hold data.
    auto value = [](int32_t r, int32_t c, bool mean) { return mean ? 30.0 + 3.0 * r + c : 2.0 + r; };
    const std::pair<int32_t, double> cases[] = {
        {4, 36.0},               // a generated row (s = 3)
        {5, 39.0},  {6, 42.0},   // a third, two thirds to row 5
        {2, 36.0},  {3, 36.0},   // below the first row: that row
        {10, 54.0}, {11, 54.0},  // beyond the last row: that row
    };
    for (const auto& [S, mean0] : cases) {
        Trimmed t(12, 3, 3, value);
        const CloudTables& c = *t.s.analysis.trimming()->tables;
        std::vector<double> a, b;
        VectorsAtSize(c.means, c.sds, 3, 3, S - 1, a, b);
        ASSERT_EQ(a.size(), 4u);
        EXPECT_DOUBLE_EQ(a[1], mean0) << S;
        EXPECT_DOUBLE_EQ(a[3], mean0 + 2.0) << S;
        EXPECT_DOUBLE_EQ(b[2], (mean0 - 30.0) / 3.0 + 2.0) << S;
        ASSERT_TRUE(t.Slide(S));
        EXPECT_EQ(t.View().statistics[0][2], FormatGeneral(mean0)) << S;
        if (S == 2) {
            EXPECT_THROW(VectorsAtSize(c.means, c.sds, 3, 3, 0, a, b), SubscriptOutOfRange);
        }
    }
}

TEST(ManualSize, ZerosAndRefusals) {
    // Row 6 skips zero standard deviations; the lower coefficient does not.
    Trimmed t(8, 5, 1, [](int32_t r, int32_t c, bool mean) {
        return mean ? 20.0 : (c % 2 == 0 ? 0.0 : 2.0 + c + r);
    });
    ASSERT_TRUE(t.Slide(5));
    EXPECT_EQ(t.View().statistics[0][5], "6");  // 2 + 1 + 3
    EXPECT_EQ(t.View().cvManualLower, Format2(0.0));
    EXPECT_EQ(t.View().cvManualUpper, "40");
    // Not trimmed: the message and nothing else; refused outright while a
    // generation runs.
    test::Road n(10, "40");
    n.Generate();
    ASSERT_TRUE(n.Slide(6));
    test::ExpectOnlyMessage(
        n.ui, "You have to trim the data before trying to manually select a sample size",
        MsgIcon::Information);
    EXPECT_EQ(n.View().manualSize, "");
    EXPECT_EQ(n.View().slider.position, 5);  // back in the middle of sizes 2 .. 9
    n.s.generationRunning = true;
    EXPECT_FALSE(n.Slide(7));
}
