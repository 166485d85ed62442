#include "model/workspace.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "app/commands.h"
#include "data/presample.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;

namespace {

void ExpectLoadState(const Workspace& ws) {
    EXPECT_EQ(ws.txtLimite.text, "250");
    EXPECT_EQ(ws.txtPerc.text, "5");
    EXPECT_EQ(ws.cmbAlphaStud.text, "0.05");
    EXPECT_EQ(ws.cmbAlphaStud.items, (std::vector<std::string>{"0.01", "0.05", "0.10"}));
    EXPECT_EQ(ws.Label17.text, "Maximum number: ");
    for (const std::string* flag : {&ws.PreSampleReady, &ws.PreSampleSaved, &ws.AbortRequested,
                                    &ws.AutoSizeDone, &ws.StudentMarkDrawn})
        EXPECT_EQ(*flag, "0");
    EXPECT_FALSE(ws.DataTrimmed);
    for (const Field* b : {&ws.cmdEsegui, &ws.cmdFilter, &ws.cmdAutoSampleSize, &ws.Command1,
                           &ws.tStudentSampleSize})
        EXPECT_FALSE(b->enabled);
    for (const Field* f : {&ws.txtSampleMean, &ws.txtSampleStDev, &ws.txtSampleN, &ws.txtOrvoStDev,
                           &ws.Text1, &ws.Text2, &ws.Text3, &ws.Text4, &ws.Text5})
        EXPECT_EQ(f->text, "");
    EXPECT_EQ(ws.sprMain.DataRowCount(), 0);
    EXPECT_EQ(std::tuple(ws.VtChart1.RowCount(), ws.VtChart1.ColumnCount(), ws.VtChart2.RowCount()),
              std::tuple(1, 4, 1));
    EXPECT_EQ(std::tuple(ws.Slider1.min, ws.Slider1.max, ws.Slider1.selStart), std::tuple(2, 4, 3));
    const std::pair<int, const char*> status[] = {
        {1, "File name:"}, {2, ""}, {4, "Generation started:"}, {7, "Generation completed:"}};
    for (auto [panel, text] : status) EXPECT_EQ(ws.StatusBar1[panel].text, text) << panel;
    EXPECT_EQ(ws.caption, "VELTA 1.00");
}

}  // namespace

TEST(Workspace, LoadStateAndNewRestoresIt) {
    Workspace ws;
    Form_Load(ws);
    ExpectLoadState(ws);

    ScriptedPlatform ui;
    for (int r = 1; r <= 5; ++r) ws.sprMain.SetCell(1, r, std::to_string(r));
    ASSERT_TRUE(ComputePreSampleStats(ws, ui));
    ws.txtPerc.text = "7";
    ws.Jump = 3;
    ws.DataTrimmed = true;
    ws.AutoSizeDone = "1";
    ws.StatusBar1[2].text = "pilot.xls";
    ASSERT_TRUE(RunCommand(ws, ui, FormCommand::New));
    ExpectLoadState(ws);
    EXPECT_EQ(ws.Jump, 0);
    EXPECT_TRUE(ui.messages.empty());  // no confirmation is asked
}

TEST(Workspace, GridDataRowCountAndCells) {
    Grid g;
    for (int r = 1; r <= 5; ++r) g.SetCell(1, r, std::to_string(r));
    EXPECT_EQ(g.DataRowCount(), 5);
    EXPECT_EQ(g.CellText(1, 6), "");
    EXPECT_EQ(g.CellText(9, 9), "");
    g.SetCell(1, 3, "");
    EXPECT_EQ(g.DataRowCount(), 5);  // a gap does not shorten the data
    g.SetCell(1, 0, "Sampling units");
    EXPECT_EQ(g.DataRowCount(), 5);  // the header row is not data
    g.SetCell(2, 8, 2.5);
    EXPECT_EQ(g.CellText(2, 8), "2.5");
    EXPECT_EQ(g.DataRowCount(), 8);
    const uint64_t rev = g.Revision();
    g.ClearAll();
    EXPECT_NE(g.Revision(), rev);
    EXPECT_EQ(g.DataRowCount(), 0);
}

struct CommandsAtLoad : ::testing::Test {
    Workspace ws;
    ScriptedPlatform ui;
    void SetUp() override { Form_Load(ws); }
};

TEST_F(CommandsAtLoad, ToolbarDispatchesOnTheExactKey) {
    EXPECT_TRUE(Toolbar1_ButtonClick(ws, ui, "Help"));
    EXPECT_EQ(ui.helpShown, 1);
    for (const char* key : {"help", "HELP", "Help ", "", "Print"})
        EXPECT_FALSE(Toolbar1_ButtonClick(ws, ui, key)) << key;
    EXPECT_EQ(ui.helpShown, 1);

    ws.txtLimite.text = "99";
    EXPECT_TRUE(Toolbar1_ButtonClick(ws, ui, "New"));
    EXPECT_EQ(ws.txtLimite.text, "250");
}

TEST_F(CommandsAtLoad, ExitAboutAndManual) {
    EXPECT_TRUE(RunCommand(ws, ui, FormCommand::About));
    EXPECT_TRUE(RunCommand(ws, ui, FormCommand::About));
    EXPECT_EQ(ws.aboutRequests, 2);
    // "Manual" is disabled at load and does nothing when enabled.
    EXPECT_FALSE(RunCommand(ws, ui, FormCommand::Manual));
    ws.Command1.enabled = true;
    const Workspace before = ws;
    EXPECT_TRUE(RunCommand(ws, ui, FormCommand::Manual));
    EXPECT_EQ(ws.txtLimite.text, before.txtLimite.text);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(RunCommand(ws, ui, FormCommand::Exit));
    EXPECT_TRUE(ws.exitRequested);
}

TEST_F(CommandsAtLoad, OnlyHelpAboutAndExitRunDuringAGeneration) {
    ws.generationRunning = true;
    ws.txtLimite.text = "99";
    EXPECT_FALSE(RunCommand(ws, ui, FormCommand::New));
    EXPECT_FALSE(Toolbar1_ButtonClick(ws, ui, "New"));
    EXPECT_EQ(ws.txtLimite.text, "99");
    EXPECT_TRUE(RunCommand(ws, ui, FormCommand::Contents));
    EXPECT_TRUE(RunCommand(ws, ui, FormCommand::About));
}
