// What the window shows is computed from the session alone: each result
// appears with its stage and goes with it.
#include "view/window_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/trimming.h"
#include "base/version.h"

using namespace velta;

namespace {

Session WithPilot(std::vector<double> values) {
    Session s;
    std::vector<std::string> texts;
    for (double v : values) texts.push_back(std::to_string(v));
    bool finite = false;
    s.analysis.SetPilot(MakePilot(texts, values, {"pilot.xls", "Data", 0, ""}, finite));
    return s;
}

void GenerateAndTrim(Session& s, int32_t V, int32_t P) {
    const Pilot& p = *s.analysis.pilot();
    Generation g;
    g.samples = V;
    g.jump = JumpFor(p.Size());
    RandomSource rng(11);
    auto tables = std::make_shared<CloudTables>(
        *GenerateClouds(p.OneBased(), V, g.jump, rng, NoProgress()));
    g.meansAxis = ValueRangeOf(tables->means, p.Size(), V, g.jump, true);
    g.sdsAxis = ValueRangeOf(tables->sds, p.Size(), V, g.jump, false);
    g.tables = tables;
    g.startedAt = "10:00:00";
    g.completedAt = "10:00:01";
    s.analysis.SetGeneration(g);
    s.analysis.SetTrimming({P, std::make_shared<CloudTables>(TrimClouds(*tables, P))});
}

}  // namespace

TEST(WindowView, TheAnswersAndTheirOverlays) {
    Session s = WithPilot({12.1, 13.4, 11.8, 12.9, 13.1, 12.2, 14.0, 11.5, 12.7, 13.3, 12.0,
                           13.8, 12.6, 11.9, 13.0, 12.4});
    GenerateAndTrim(s, 80, 5);
    WindowView v = WindowViewOf(s);
    EXPECT_TRUE(v.trimmed && v.canAutomatic && v.canStudentT && !v.canManual);
    EXPECT_EQ(v.slider, (SliderView{2, 15, 1, 8, 0, true}));
    EXPECT_EQ(v.meansChart.categories, 14);
    EXPECT_TRUE(v.meansChart.marks.empty());

    const Trimming& t = *s.analysis.trimming();
    const AutomaticAnswer automatic = FindAutomaticSize(*t.tables, 1);
    ASSERT_TRUE(automatic.succeeded);
    s.analysis.SetAutomatic(automatic);
    s.analysis.SetManual(ManualAnswerAt(t, 1, 3, &automatic));
    s.analysis.SetStudentT({"0.05", "1", 1.0, "0.8", 0.8, 5, StatisticsAtSize(*t.tables, 1, 5)});
    v = WindowViewOf(s);
    EXPECT_EQ(v.slider.mark, automatic.size);
    EXPECT_EQ(v.slider.position, 3);  // the thumb stands at the manual size
    EXPECT_EQ(v.results[1][1], std::to_string(automatic.size));  // a size, not a table row
    // The manual size 3 has no visible mark; the automatic and Student-t ones do.
    EXPECT_EQ(v.meansChart.marks,
              (std::vector<SizeMark>{{SizeMark::Kind::Automatic, automatic.size - 1},
                                     {SizeMark::Kind::StudentT, 4}}));
    EXPECT_EQ(v.sdsChart.lines, automatic.sds);

    // While a generation runs, the old pictures are greyed and nothing can be started.
    s.generationRunning = true;
    s.runningSince = "10:05:00";
    v = WindowViewOf(s);
    EXPECT_TRUE(v.meansChart.greyed);
    EXPECT_EQ(v.generationStarted, "10:05:00");
    EXPECT_EQ(v.generationCompleted, "");
    EXPECT_FALSE(v.canTrim || v.canAutomatic || v.canStudentT || v.slider.enabled);
}
