// "Generate the virtual samples" driven headless: validation and questions,
// the clouds on the charts, value ranges, markers, progress window, abort in
// each phase and the error handler; and the chart model's line ladder.
#include "engine/generation_command.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/commands.h"
#include "data/numbers.h"
#include "data/presample.h"
#include "engine/errors.h"
#include "engine/progress.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;

namespace {

struct Session {
    Workspace ws;
    ScriptedPlatform ui;
    RandomSource rng;

    explicit Session(int32_t n, std::string v = "250") {
        Form_Load(ws);
        for (int32_t i = 1; i <= n; ++i) ws.sprMain.SetCell(1, i, 12.5 + std::fmod(i * 7.3, 5.1));
        EXPECT_TRUE(ComputePreSampleStats(ws, ui));
        ws.txtLimite.text = std::move(v);
        ui.clockStep = 1.0;  // every offered pause happens
    }
    void Run() { RunGeneration(ws, ui, rng); }
};

}  // namespace

TEST(GenerationCommand, RefusesEntriesThatAreNotAPositiveWholeNumber) {
    for (const char* t : {"0", "-3", "abc", "", "2.5", "1e12"}) {
        Session s(10, t);
        s.ws.Label28.visible = true;
        s.Run();
        ASSERT_EQ(s.ui.messages.size(), 1u) << t;
        EXPECT_EQ(s.ui.messages[0].text, "The specified number of virtual samples is not valid");
        EXPECT_EQ(s.ui.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(s.ui.messages[0].title, "VELTA");
        // The start time is shown and the labels hidden even so.
        EXPECT_EQ(s.ws.StatusBar1[5].text, "12:00:00");
        EXPECT_FALSE(s.ws.Label28.visible);
        EXPECT_TRUE(s.ws.VirtualSampleTable.Empty());
    }
}

TEST(GenerationCommand, AsksAboutRedundantOrManySamples) {
    const std::string exceeds = kRedundantSamplesQuestion;
    const std::string high = kHighSamplesQuestion;
    EXPECT_NE(exceeds.find("samples.\rDo you"), std::string::npos);
    struct Case {
        int32_t n;
        const char* v;
        std::string question;
    };
    for (const Case& c : {Case{10, "250", ""}, Case{10, "251", high}, Case{10, "252", high},
                          Case{10, "253", exceeds}, Case{6, "21", exceeds}, Case{6, "300", exceeds},
                          Case{6, "20", ""}}) {
        Session s(c.n);
        s.ws.txtLimite.text = c.v;  // after the pre-sample capped the field
        s.ui.answers = {MsgAnswer::No};
        s.Run();
        if (c.question.empty()) {
            EXPECT_TRUE(s.ui.messages.empty()) << c.v;
            EXPECT_FALSE(s.ws.VirtualSampleTable.Empty());
        } else {
            ASSERT_EQ(s.ui.messages.size(), 1u) << c.v;
            EXPECT_EQ(s.ui.messages[0].text, c.question);
            EXPECT_EQ(s.ui.messages[0].buttons, MsgButtons::YesNo);
            EXPECT_TRUE(s.ws.VirtualSampleTable.Empty()) << "No stops";
        }
    }
}

TEST(GenerationCommand, BuildsBothCloudsWithMarkersOnTheDataRows) {
    Session s(10, "40");
    s.ws.DataTrimmed = true;
    s.ws.Text5.text = "7";
    s.Run();
    ASSERT_TRUE(s.ui.messages.empty());
    const Workspace& ws = s.ws;
    EXPECT_EQ(ws.Jump, 1);
    for (const ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        ASSERT_EQ(c->RowCount(), 8);
        ASSERT_EQ(c->ColumnCount(), 40);
        EXPECT_EQ(c->RowLabel(1), "2");
        EXPECT_EQ(c->RowLabel(8), "9");
        EXPECT_EQ(c->Axis().labelFormat, "##0.0##");
        EXPECT_FALSE(c->Axis().autoScale);
        for (int32_t s2 : {1, 40}) {
            for (int32_t d = 1; d <= 7; ++d) {
                EXPECT_TRUE(c->PointMarker(s2, d).visible);
                EXPECT_EQ(c->PointMarker(s2, d).size, 5);
            }
            EXPECT_FALSE(c->PointMarker(s2, 8).visible);  // the last row gets none
            EXPECT_FALSE(c->ShowLine(s2));
        }
    }
    EXPECT_EQ(ws.VtChart1.Value(3, 5), ws.VirtualSampleTable.means(2, 4));
    EXPECT_EQ(ws.VtChart2.Value(8, 40), ws.VirtualSampleTable.sds(7, 39));
    // Value ranges: Int of the extremes over the visited rows; the all-zero
    // row N-2 lowers the standard deviations' bound to 0 but not the means'.
    double lo = 1e300, hi = -1e300;
    for (int32_t r = 0; r <= 7; ++r)
        for (int32_t j = 0; j < 40; ++j) {
            lo = std::min(lo, ws.VirtualSampleTable.means(r, j));
            hi = std::max(hi, ws.VirtualSampleTable.means(r, j));
        }
    EXPECT_EQ(ws.MeansUpper, static_cast<int32_t>(std::floor(hi)) + 1);
    EXPECT_EQ(ws.MeansLower, static_cast<int32_t>(std::floor(lo)));
    EXPECT_GT(ws.MeansLower, 0);
    EXPECT_EQ(ws.SDsLower, 0);
    EXPECT_EQ(ws.VtChart1.Axis().minimum, ws.MeansLower);
    EXPECT_EQ(ws.VtChart2.Axis().maximum, ws.SDsUpper);
    // Normal ending.
    EXPECT_TRUE(ws.cmdFilter.enabled);
    EXPECT_FALSE(ws.cmdAutoSampleSize.enabled);
    EXPECT_FALSE(ws.DataTrimmed);
    EXPECT_EQ(ws.Text5.text, "");
    EXPECT_EQ(ws.StatusBar1[8].text, "12:00:00");
    EXPECT_TRUE(ws.StatusBar1[7].enabled);
    EXPECT_FALSE(ws.frmAvanzamento.shown);
    EXPECT_EQ(ws.TotI, 40);
    EXPECT_EQ(ws.DrawProgress + ws.StatsProgress + ws.mioI + ws.mioI1, 0);
    EXPECT_EQ(ws.Slider1.max, 4);
    EXPECT_EQ(ws.Slider1.selStart, 3);
    EXPECT_FALSE(ws.generationRunning);
}

TEST(GenerationCommand, LargerJumpMarksEveryJumpthRow) {
    Session s(45, "30");
    s.Run();
    EXPECT_EQ(s.ws.Jump, 3);
    const ChartModel& c = s.ws.VtChart1;
    ASSERT_EQ(c.RowCount(), 43);
    for (int32_t d = 1; d <= 43; ++d) EXPECT_EQ(c.PointMarker(7, d).visible, d % 3 == 0 && d <= 42);
    EXPECT_EQ(c.Value(3, 1), s.ws.VirtualSampleTable.means(2, 0));
    EXPECT_NE(c.Value(3, 1), 0.0);
    EXPECT_EQ(c.Value(2, 1), 0.0);
}

TEST(GenerationCommand, FreshStartsGiveIdenticalTables) {
    ResetProcessRandomSource();
    Session a(12, "30");
    cmdEsegui_Click(a.ws, a.ui);
    ResetProcessRandomSource();
    Session b(12, "30");
    cmdEsegui_Click(b.ws, b.ui);
    EXPECT_EQ(a.ws.VirtualSampleTable.means, b.ws.VirtualSampleTable.means);
    EXPECT_EQ(a.ws.VirtualSampleTable.sds, b.ws.VirtualSampleTable.sds);
    cmdEsegui_Click(b.ws, b.ui);  // the sequence goes on within a run
    EXPECT_NE(a.ws.VirtualSampleTable.means, b.ws.VirtualSampleTable.means);
}

TEST(GenerationCommand, ProgressWindowFollowsThePhases) {
    Session s(10, "4");
    std::vector<float> bar1AfterSecond;
    bool phase2Seen = false;
    s.ui.onProcessEvents = [&] {
        const ProgressWindowState& w = s.ws.frmAvanzamento;
        EXPECT_TRUE(w.shown);
        EXPECT_EQ(w.V, 4);
        if (w.Label2.blue && s.ws.DrawProgress == 2) bar1AfterSecond.push_back(w.bars[1]);
        if (w.Label1.blue && !phase2Seen) {
            phase2Seen = true;
            EXPECT_TRUE(w.Label2.enabled);
            EXPECT_FALSE(w.Label2.blue);
            EXPECT_FALSE(w.Label3.enabled);
            EXPECT_EQ(w.bars[1], 100.0f);
        }
        // Other commands wait for the generation; About does not.
        EXPECT_FALSE(RunCommand(s.ws, s.ui, Command::Generate));
        EXPECT_TRUE(RunCommand(s.ws, s.ui, Command::About));
    };
    s.Run();
    EXPECT_EQ(bar1AfterSecond, std::vector<float>{50.0f});
    EXPECT_TRUE(phase2Seen);
}

TEST(GenerationCommand, AbortInPhasesOneOrTwoKeepsThePreviousTables) {
    Session s(10, "30");
    s.Run();
    const StatsTables first = s.ws.VirtualSampleTable;
    for (int phase : {1, 2}) {
        s.ui.onProcessEvents = [&] {
            if ((phase == 1 ? s.ws.DrawProgress : s.ws.StatsProgress) == 5) cmdAbort_Click(s.ws);
        };
        s.Run();
        EXPECT_EQ(s.ws.VirtualSampleTable.means, first.means);
        EXPECT_EQ(s.ws.AbortRequested, "0");
        EXPECT_FALSE(s.ws.frmAvanzamento.shown);
        EXPECT_EQ(s.ws.DrawProgress + s.ws.StatsProgress, 0);
        EXPECT_FALSE(s.ws.cmdFilter.enabled);
        EXPECT_EQ(s.ws.StatusBar1[8].text, "");
        EXPECT_EQ(s.ws.VtChart1.RowCount(), 1);  // the placeholder
    }
    // The next generation starts with empty bars and greyed captions.
    bool firstPause = true;
    s.ui.onProcessEvents = [&] {
        if (!firstPause) return;
        firstPause = false;
        const ProgressWindowState& w = s.ws.frmAvanzamento;
        EXPECT_EQ(w.bars[1] + w.bars[2] + w.bars[3], 0.0f);
        EXPECT_FALSE(w.Label1.enabled || w.Label3.enabled);
    };
    s.Run();
    EXPECT_TRUE(s.ws.cmdFilter.enabled);
}

TEST(GenerationCommand, AbortInPhaseThreeKeepsTheNewTablesAndPartialMarkers) {
    Session s(10, "100");
    s.ui.answers = {};
    s.ws.txtLimite.text = "100";
    s.ui.onProcessEvents = [&] {
        if (s.ws.mioI >= 40) cmdAbort_Click(s.ws);
    };
    s.Run();
    EXPECT_EQ(s.ws.VirtualSampleTable.means.Cols(), 101);
    EXPECT_EQ(s.ws.VtChart1.ColumnCount(), 100);
    EXPECT_EQ(s.ws.VtChart1.CloudRule().series, 59);
    EXPECT_TRUE(s.ws.VtChart1.PointMarker(59, 1).visible);
    EXPECT_FALSE(s.ws.VtChart1.PointMarker(60, 1).visible);
    EXPECT_FALSE(s.ws.cmdFilter.enabled);
    EXPECT_EQ(s.ws.StatusBar1[8].text, "");
    EXPECT_EQ(s.ws.mioI, 0);
    EXPECT_EQ(s.ws.AbortRequested, "0");
}

TEST(GenerationCommand, ABadCellEndsInTheUnexpectedErrorMessage) {
    Session s(10, "20");
    s.ws.Text3.text = "5";
    s.ws.Text5.text = "9";
    s.ws.sprMain.SetCell(1, 4, "abc");
    s.Run();
    ASSERT_EQ(s.ui.messages.size(), 1u);
    EXPECT_EQ(s.ui.LastMessage(),
              "An unexpected error occurred. Try to change settings or contact the software "
              "developer");
    EXPECT_EQ(s.ui.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(s.ws.Text3.text, "");
    EXPECT_FALSE(s.ws.frmAvanzamento.shown);
    EXPECT_FALSE(s.ws.generationRunning);
}

TEST(GenerationCommand, HandlesCloudsBeyondTheSixteenBitBound) {
    Session s(20, "40000");
    s.Run();
    ASSERT_TRUE(s.ui.messages.empty() || s.ui.messages[0].buttons == MsgButtons::YesNo);
    EXPECT_EQ(s.ws.VtChart1.ColumnCount(), 40000);
    EXPECT_TRUE(s.ws.cmdFilter.enabled);
    EXPECT_GT(s.ws.MeansUpper, s.ws.MeansLower);
}

TEST(ChartModel, LadderFormattingAndRemoval) {
    const int32_t V = 3, N = 6;
    Table2D t(N, V + 1);
    WidenTable(t, V + kLineColumnCount);
    EXPECT_EQ(t.Cols(), V + 35);
    StoreLadder(t, 2, V + 19, 10.0, 25.0);
    EXPECT_EQ(t(2, V + 19), 0.0);
    EXPECT_EQ(t(2, V + 20), 10.0);
    EXPECT_DOUBLE_EQ(t(2, V + 34), 24.0);  // one step below the upper bound

    ChartModel c;
    c.SetDataGrid(N - 2, V);
    c.SetCloudSeries(V);
    c.MarkCloudSeries(V, 1, N - 3, 5);
    const uint64_t cloud = c.CloudRevision();
    c.SetDataGrid(N - 2, V + 35);
    c.LoadBlock(t, N - 2, V + 35);
    EXPECT_NE(c.CloudRevision(), cloud);  // resizing clears the data
    const uint64_t loaded = c.CloudRevision();
    FormatVerticalLine(c, 3, kManualLineColour);
    for (int32_t s = V + 20; s <= V + 35; ++s) {
        EXPECT_TRUE(c.PointMarker(s, 3).visible);
        EXPECT_EQ(c.PointMarker(s, 3).fill, kManualLineColour);
        EXPECT_EQ(c.PointMarker(s, 3).size, 7);
        EXPECT_FALSE(c.ShowLine(s));
    }
    EXPECT_FALSE(c.PointMarker(V + 19, 3).visible);
    EXPECT_TRUE(c.ShowLine(V + 1));  // fitted-line series draw lines
    // Moving the line reloads the same cloud: only the lines change.
    StoreLadder(t, 1, V + 19, 10.0, 25.0);
    c.LoadBlock(t, N - 2, V + 35);
    EXPECT_EQ(c.CloudRevision(), loaded);
    RemoveVerticalLine(c, 3);
    EXPECT_FALSE(c.PointMarker(V + 35, 3).visible);
    // Back to V columns (a trimming): the line series and their markers go.
    c.SetDataGrid(N - 2, V);
    EXPECT_TRUE(c.MarkerOverrides().empty());
    EXPECT_TRUE(c.PointMarker(V, 1).visible);
    EXPECT_THROW(c.PointMarker(V + 1, 1), SubscriptOutOfRange);
}
