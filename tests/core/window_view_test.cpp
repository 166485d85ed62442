// What the window shows is computed from the session alone: the slider, the
// marks of the three answers on the charts, and the state during a generation.
#include "view/window_view.h"

#include <gtest/gtest.h>

#include "road.h"

using namespace velta;

TEST(WindowView, TheAnswersAndTheirOverlays) {
    test::Road r(16, "80");
    r.Trimmed();
    WindowView v = r.View();
    EXPECT_TRUE(v.trimmed && v.canAutomatic && v.canStudentT && !v.canManual);
    EXPECT_EQ(v.slider, (SliderView{2, 15, 1, 8, 0, true}));
    EXPECT_EQ(v.meansChart.categories, 14);
    EXPECT_TRUE(v.meansChart.marks.empty());

    ASSERT_TRUE(r.Run(Command::Automatic));
    const AutomaticAnswer& automatic = *r.analysis().automatic();
    ASSERT_TRUE(automatic.succeeded);
    ASSERT_TRUE(r.Slide(3));
    r.s.inputs.maxError = "1";
    r.s.inputs.studentSd = "0.8";
    ASSERT_TRUE(r.Run(Command::StudentT));
    v = r.View();
    EXPECT_EQ(v.slider.mark, automatic.size);
    EXPECT_EQ(v.slider.position, 3);  // the thumb stands at the manual size
    EXPECT_EQ(v.results[1][1], std::to_string(automatic.size));  // a size, not a table row
    // The manual size 3 has no visible mark; the automatic and Student-t ones do.
    EXPECT_EQ(v.meansChart.marks,
              (std::vector<SizeMark>{{SizeMark::Kind::Automatic, automatic.size - 1},
                                     {SizeMark::Kind::StudentT, 4}}));
    EXPECT_EQ(v.sdsChart.lines, automatic.sds);

    // While a generation runs, the old pictures are greyed and nothing can be started.
    r.s.generationRunning = true;
    r.s.runningSince = "10:05:00";
    v = r.View();
    EXPECT_TRUE(v.meansChart.greyed);
    EXPECT_EQ(v.generationStarted, "10:05:00");
    EXPECT_EQ(v.generationCompleted, "");
    EXPECT_FALSE(v.canTrim || v.canAutomatic || v.canStudentT || v.slider.enabled);
}
