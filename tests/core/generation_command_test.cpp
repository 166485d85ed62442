// "Generate the virtual samples" driven headless, and the chart model's line ladder.
#include "engine/generation_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include "app/commands.h"
#include "base/errors.h"
#include "engine/progress.h"
#include "headless.h"

using namespace velta;

namespace {

const std::string kInvalid = "The specified number of virtual samples is not valid";
const std::string kExceeds =
    "The specified number of virtual samples exceeds the maximum number, and it will "
    "generate redundant samples.\rDo you want to continue anyway?";
const std::string kHigh =
    "The specified number of virtual samples is high, and it may take a quite long time for "
    "generation.\rDo you want to continue anyway?";

// Every offered pause happens.
struct Session : test::Session {
    explicit Session(int32_t n, std::string v = "250") : test::Session(n, std::move(v)) {
        ui.clockStep = 1.0;
    }
    void Run() { Generate(); }
};

// Int of the extremes of a table over the given rows: {lower, upper}.
std::pair<int32_t, int32_t> Range(const Table2D& t, int32_t from, int32_t to, int32_t step,
                                  int32_t V) {
    double lo = 1e300, hi = -1e300;
    for (int32_t r = from; r <= to; r += step)
        for (int32_t j = 0; j < V; ++j) lo = std::min(lo, t(r, j)), hi = std::max(hi, t(r, j));
    return {static_cast<int32_t>(std::floor(lo)), static_cast<int32_t>(std::floor(hi)) + 1};
}

}  // namespace

TEST(GenerationCommand, ValidatesTheNumberAndAsksAboutRedundantOrManySamples) {
    // N = 10 allows 252 distinct samples, N = 6 allows 20, N = 24 allows
    // C(24, 12) = 2,704,156, shown rounded as 2.70E+06: the comparison is
    // with the exact maximum. Answering No stops.
    const struct {
        int32_t n;
        const char* v;
        std::string message;
    } cases[] = {{10, "0", kInvalid},    {10, "-3", kInvalid},
                 {10, "abc", kInvalid},  {10, "", kInvalid},
                 {10, "2.5", kInvalid},  {10, "1e12", kInvalid},
                 {10, "250", {}},        {10, "251", kHigh},
                 {10, "252", kHigh},     {10, "253", kExceeds},
                 {6, "21", kExceeds},    {6, "300", kExceeds},
                 {6, "20", {}},          {24, "2700001", kHigh},
                 {24, "2704156", kHigh}, {24, "2704157", kExceeds}};
    for (const auto& c : cases) {
        Session s(c.n, c.v);
        if (c.n == 24) {
            EXPECT_EQ(s.ws.Label17.text, "Maximum number: 2.70E+06");
        }
        s.ws.Label28.visible = true;
        s.ui.answers = {MsgAnswer::No};
        s.Run();
        // The start time is shown and the labels hidden whatever follows.
        EXPECT_EQ(s.ws.StatusBar1[5].text, "12:00:00");
        EXPECT_FALSE(s.ws.Label28.visible);
        EXPECT_EQ(s.ws.VirtualSampleTable.Empty(), !c.message.empty()) << c.v;
        if (c.message.empty()) {
            EXPECT_TRUE(s.ui.messages.empty()) << c.v;
            continue;
        }
        const bool invalid = c.message == kInvalid;
        ASSERT_EQ(s.ui.messages.size(), 1u) << c.v;
        EXPECT_EQ(s.ui.messages[0].buttons, invalid ? MsgButtons::Ok : MsgButtons::YesNo);
        test::ExpectOnlyMessage(s.ui, c.message, invalid ? MsgIcon::Critical : MsgIcon::None, c.v);
    }
}

TEST(GenerationCommand, BuildsBothCloudsWithMarkersOnTheDataRows) {
    for (auto [n, v, jump] : {std::tuple{10, 40, 1}, {45, 30, 3}}) {
        Session s(n, std::to_string(v));
        s.Run();
        ASSERT_TRUE(s.ui.messages.empty());
        EXPECT_EQ(s.ws.Jump, jump);
        const StatsTables& t = s.ws.VirtualSampleTable;
        for (const ChartModel* c : {&s.ws.VtChart1, &s.ws.VtChart2}) {
            ASSERT_EQ(c->RowCount(), n - 2);
            ASSERT_EQ(c->ColumnCount(), v);
            EXPECT_EQ(c->Axis().labelFormat, "##0.0##");
            EXPECT_FALSE(c->Axis().autoScale);
            for (int32_t d = 1; d <= n - 2; ++d) {
                EXPECT_EQ(c->RowLabel(d), std::to_string(d + 1));
                // Every Jump-th row but the last gets a marker.
                for (int32_t series : {1, v})
                    EXPECT_EQ(c->PointMarker(series, d).visible, d % jump == 0 && d < n - 2)
                        << n << " " << d;
                const Table2D& tab = c == &s.ws.VtChart1 ? t.means : t.sds;
                EXPECT_EQ(c->Value(d, v), tab(d - 1, v - 1));
                EXPECT_EQ(c->Value(d, 1) != 0.0, d % jump == 0);
            }
            EXPECT_EQ(c->PointMarker(1, jump).size, 5);
            EXPECT_FALSE(c->ShowLine(1));
        }
    }
}

TEST(GenerationCommand, ValueRangesAndTheNormalEnding) {
    Session s(10, "40");
    s.ws.DataTrimmed = true;
    s.ws.Text5.text = "7";
    s.Run();
    const Workspace& ws = s.ws;
    // Over the visited rows 0 .. N-2 (row N-2 holds the whole pre-sample).
    const auto [lo, hi] = Range(ws.VirtualSampleTable.means, 0, 8, 1, 40);
    EXPECT_EQ(ws.MeansUpper, hi);
    EXPECT_EQ(ws.MeansLower, lo);
    EXPECT_EQ(ws.SDsLower, 0);
    EXPECT_EQ(ws.VtChart1.Axis().minimum, ws.MeansLower);
    EXPECT_EQ(ws.VtChart2.Axis().maximum, ws.SDsUpper);
    // Filter on, earlier results cleared, start and end times shown.
    EXPECT_TRUE(ws.cmdFilter.enabled);
    EXPECT_FALSE(ws.DataTrimmed);
    EXPECT_EQ(ws.Text5.text, "");
    EXPECT_EQ(ws.StatusBar1[5].text, "12:00:00");
    EXPECT_EQ(ws.StatusBar1[8].text, "12:00:00");
    EXPECT_TRUE(ws.StatusBar1[7].enabled);
    EXPECT_FALSE(ws.frmAvanzamento.shown);
    EXPECT_EQ(ws.DrawProgress + ws.StatsProgress + ws.mioI + ws.mioI1, 0);
    EXPECT_FALSE(ws.generationRunning);

    // With Jump >= 2 only the generated rows count; the zero rows never do.
    Session j(45, "50");
    j.Run();
    ASSERT_EQ(j.ws.Jump, 3);
    const auto means = Range(j.ws.VirtualSampleTable.means, 2, 43, 3, 50);
    const auto sds = Range(j.ws.VirtualSampleTable.sds, 2, 43, 3, 50);
    EXPECT_EQ(std::pair(j.ws.MeansLower, j.ws.MeansUpper), means);
    EXPECT_EQ(std::pair(j.ws.SDsLower, j.ws.SDsUpper), sds);
    EXPECT_GT(j.ws.MeansLower, 0);
}

TEST(GenerationCommand, FreshStartsGiveIdenticalTablesAndLaterRunsContinue) {
    StatsTables tables[2];
    for (StatsTables& t : tables) {
        ResetProcessRandomSource();
        Session s(12, "30");
        cmdEsegui_Click(s.ws, s.ui);
        t = s.ws.VirtualSampleTable;
        if (&t == &tables[1]) {
            cmdEsegui_Click(s.ws, s.ui);
            EXPECT_NE(s.ws.VirtualSampleTable.means, t.means);
        }
    }
    EXPECT_EQ(tables[0].means, tables[1].means);
    EXPECT_EQ(tables[0].sds, tables[1].sds);
}

TEST(GenerationCommand, ProgressWindowFollowsThePhases) {
    Session s(10, "4");
    std::vector<float> bar1AfterSecond;
    bool phase2Seen = false;
    s.ui.onProcessEvents = [&] {
        const ProgressWindowState& w = s.ws.frmAvanzamento;
        EXPECT_TRUE(w.shown);
        if (w.Label2.blue && s.ws.DrawProgress == 2) bar1AfterSecond.push_back(w.bars[1]);
        if (w.Label1.blue && !phase2Seen) {
            phase2Seen = true;
            EXPECT_TRUE(w.Label2.enabled && !w.Label2.blue);
            EXPECT_FALSE(w.Label3.enabled);
            EXPECT_EQ(w.bars[1], 100.0f);
        }
        // Other commands wait for the generation; About does not.
        EXPECT_FALSE(RunCommand(s.ws, s.ui, FormCommand::Generate));
        EXPECT_TRUE(RunCommand(s.ws, s.ui, FormCommand::About));
    };
    s.Run();
    EXPECT_EQ(bar1AfterSecond, std::vector<float>{50.0f});
    EXPECT_TRUE(phase2Seen);
}

TEST(GenerationCommand, AbortInEachPhase) {
    // Before the first virtual sample: nothing made, counters left at 0.
    Session e(8, "30");
    e.ui.onProcessEvents = [&] { cmdAbort_Click(e.ws); };
    e.Run();
    EXPECT_TRUE(e.ws.VirtualSampleTable.Empty());
    EXPECT_EQ(e.ws.DrawProgress, 0);
    EXPECT_EQ(e.ws.AbortRequested, "0");
    EXPECT_FALSE(e.ws.cmdFilter.enabled || e.ws.frmAvanzamento.shown);

    Session s(10, "30");
    s.Run();
    const StatsTables first = s.ws.VirtualSampleTable;
    for (int phase : {1, 2, 3}) {
        s.ui.onProcessEvents = [&] {
            const int32_t counter[] = {0, s.ws.DrawProgress, s.ws.StatsProgress, s.ws.mioI};
            if (counter[phase] >= 5) cmdAbort_Click(s.ws);
        };
        s.Run();
        // Drawing and statistics fill fresh tables, so the previous ones
        // survive; the markers phase stops part way over the new ones (the
        // first pause it offers is at series 20).
        EXPECT_EQ(s.ws.VirtualSampleTable.means == first.means, phase < 3) << phase;
        EXPECT_EQ(s.ws.VtChart1.RowCount(), phase < 3 ? 1 : 8);  // 1: the placeholder
        if (phase == 3) {
            EXPECT_TRUE(s.ws.VtChart1.PointMarker(19, 1).visible);
            EXPECT_FALSE(s.ws.VtChart1.PointMarker(20, 1).visible);
        }
        EXPECT_EQ(s.ws.AbortRequested, "0");
        EXPECT_FALSE(s.ws.frmAvanzamento.shown);
        EXPECT_EQ(s.ws.DrawProgress + s.ws.StatsProgress + s.ws.mioI, 0);
        EXPECT_FALSE(s.ws.cmdFilter.enabled);
        EXPECT_EQ(s.ws.StatusBar1[8].text, "");
    }
    // The next generation starts with empty bars and greyed captions.
    bool firstPause = true;
    s.ui.onProcessEvents = [&] {
        if (!std::exchange(firstPause, false)) return;
        const ProgressWindowState& w = s.ws.frmAvanzamento;
        EXPECT_EQ(w.bars[1] + w.bars[2] + w.bars[3], 0.0f);
        EXPECT_FALSE(w.Label1.enabled || w.Label3.enabled);
    };
    s.Run();
    EXPECT_TRUE(s.ws.cmdFilter.enabled);
}

TEST(GenerationCommand, ABadCellEndsInTheUnexpectedErrorMessage) {
    Session s(10, "20");
    s.ws.Text3.text = "5";
    s.ws.Text5.text = "9";
    s.ws.sprMain.SetCell(1, 4, "abc");
    s.Run();
    test::ExpectOnlyMessage(s.ui, kUnexpectedErrorMessage, MsgIcon::Critical);
    EXPECT_EQ(s.ws.Text3.text, "");
    EXPECT_FALSE(s.ws.frmAvanzamento.shown);
    EXPECT_FALSE(s.ws.generationRunning);
}

TEST(GenerationCommand, SmallestSampleAndCloudsBeyondTheSixteenBitBound) {
    Session s(3, "3");  // a single category and no markers
    s.Run();
    ASSERT_TRUE(s.ui.messages.empty());
    EXPECT_EQ(s.ws.VtChart1.RowCount(), 1);
    EXPECT_EQ(s.ws.VtChart1.RowLabel(1), "2");
    for (int32_t j = 1; j <= 3; ++j) EXPECT_FALSE(s.ws.VtChart1.PointMarker(j, 1).visible);
    EXPECT_TRUE(s.ws.cmdFilter.enabled);

    Session big(20, "40000");
    big.ui.answers = {MsgAnswer::Yes};
    big.Run();
    EXPECT_EQ(big.ws.VtChart1.ColumnCount(), 40000);
    EXPECT_TRUE(big.ws.cmdFilter.enabled);
    EXPECT_GT(big.ws.MeansUpper, big.ws.MeansLower);
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
    c.SetDataGrid(N - 2, V + 35);
    c.LoadBlock(t, N - 2, V + 35);
    const uint64_t loaded = c.CloudRevision();
    FormatVerticalLine(c, 3, kManualLineColour);
    for (int32_t s = V + 20; s <= V + 35; ++s) {
        EXPECT_TRUE(c.PointMarker(s, 3).visible);
        EXPECT_EQ(c.PointMarker(s, 3).fill, kManualLineColour);
        EXPECT_EQ(c.PointMarker(s, 3).size, 7);
        EXPECT_FALSE(c.ShowLine(s));
    }
    EXPECT_FALSE(c.PointMarker(V + 19, 3).visible);
    // No series draws a line until a writer asks for one: a loaded ladder
    // would otherwise draw spikes from 0.
    EXPECT_FALSE(c.ShowLine(V + 1));
    c.SetShowLine(V + 1, true);
    EXPECT_TRUE(c.ShowLine(V + 1));
    c.SetShowLine(1, true);  // never for the cloud
    EXPECT_FALSE(c.ShowLine(1));
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

// A generation that cannot fit in the memory at hand is refused before any
// question; a V whose line columns overflow 32 bits is not valid.
TEST(GenerationCommand, RefusesWhatMemoryOrIntegersCannotHold) {
    Session s(30, "5000000");
    s.ui.availableMemory = uint64_t{1} << 30;
    s.Run();
    ASSERT_EQ(s.ui.messages.size(), 1u);
    const auto& m = s.ui.messages[0];
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    EXPECT_EQ(m.title, "VELTA");
    EXPECT_NE(m.text.find("5000000 virtual samples"), std::string::npos) << m.text;
    EXPECT_NE(m.text.find("1024 MB are available"), std::string::npos) << m.text;
    EXPECT_TRUE(s.ws.VirtualSampleTable.Empty());
    EXPECT_FALSE(s.ws.generationRunning);

    for (const char* v : {"2147483647", "2147483613"}) {
        Session big(30, v);
        big.ui.availableMemory = ~uint64_t{0};
        big.Run();
        ASSERT_EQ(big.ui.messages.size(), 1u) << v;
        EXPECT_EQ(big.ui.messages[0].text, kInvalid);
    }
}

// Yes to "exceeds" goes on, after everything that depended on the previous
// generation is reset.
TEST(GenerationCommand, YesGoesOnAndEarlierResultsAreReset) {
    Session s(6, "21");
    Workspace& ws = s.ws;
    ws.Slider1 = {2, 5, 1, 4, 5, true};
    ws.cmdAutoSampleSize.enabled = true;
    const std::initializer_list<Field*> fields = {&ws.txtAutoMeanAlto,
                                                  &ws.txtAutoMeanBasso,
                                                  &ws.txtManualMeanAlto,
                                                  &ws.txtManualMeanBasso,
                                                  &ws.Text3,
                                                  &ws.Text4,
                                                  &ws.Text5};
    for (Field* f : fields) f->text = "9";
    s.ui.answers = {MsgAnswer::Yes};
    s.Run();
    ASSERT_EQ(s.ui.messages.size(), 1u);
    EXPECT_EQ(ws.VirtualSampleTable.V, 21);
    EXPECT_EQ(ws.VtChart1.ColumnCount(), 21);
    EXPECT_EQ(std::tuple(ws.Slider1.min, ws.Slider1.max, ws.Slider1.selStart), std::tuple(2, 4, 3));
    EXPECT_FALSE(ws.cmdAutoSampleSize.enabled);
    for (Field* f : fields) EXPECT_EQ(f->text, "");
}

// Edits after acceptance make the pre-sample unaccepted until it is accepted
// again; Exit is taken during a generation (it aborts it, like the close box).
TEST(Commands, EditedUnitsAndExitDuringAGeneration) {
    Session s(6);
    Workspace& ws = s.ws;
    ASSERT_EQ(ws.PreSampleReady, "1");
    UnitsEdited(ws);
    EXPECT_EQ(ws.PreSampleReady, "0");
    EXPECT_FALSE(ws.cmdEsegui.enabled);
    EXPECT_EQ(ws.statusNote, kUnitsEditedNote);
    EXPECT_FALSE(RunCommand(ws, s.ui, FormCommand::Generate));
    EXPECT_TRUE(ComputePreSampleStats(ws, s.ui));
    EXPECT_TRUE(ws.cmdEsegui.enabled);
    EXPECT_EQ(ws.statusNote, "");

    ws.generationRunning = true;
    EXPECT_TRUE(RunCommand(ws, s.ui, FormCommand::Exit));
    EXPECT_TRUE(ws.exitRequested);
}
