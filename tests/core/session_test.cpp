// A fresh session, New, and the commands without an analysis of their own.
#include "view/session.h"

#include <gtest/gtest.h>

#include "road.h"

using namespace velta;

TEST(Session, NewRestoresTheLoadState) {
    test::Road r(5, "10");
    r.s.inputs.trimPercent = "7";
    r.Generate();
    ASSERT_TRUE(r.Run(Command::New));
    const WindowView v = r.View();
    const WindowView fresh = WindowViewOf(Session());
    EXPECT_EQ(v.inputs, fresh.inputs);
    EXPECT_EQ(v.inputs.virtualSamples + v.inputs.trimPercent + v.inputs.alpha, "3000050.05");
    EXPECT_EQ(v.maximumNumber, "Maximum number: ");
    EXPECT_EQ(v.n + v.mean + v.fileName, "");
    EXPECT_EQ(r.s.units.DataRowCount(), 0);
    EXPECT_FALSE(r.analysis().pilot());
    EXPECT_TRUE(r.ui.messages.empty());  // no confirmation is asked
    EXPECT_EQ(std::vector<std::string>(kAlphaChoices.begin(), kAlphaChoices.end()),
              (std::vector<std::string>{"0.01", "0.05", "0.10"}));
}

TEST(Session, ToolbarDispatchesOnTheExactKey) {
    Session s;
    ScriptedPlatform ui;
    EXPECT_TRUE(RunToolbarKey(s, ui, "Help"));
    EXPECT_EQ(ui.helpShown, 1);
    for (const char* key : {"help", "HELP", "Help ", "", "Print"})
        EXPECT_FALSE(RunToolbarKey(s, ui, key)) << key;
    EXPECT_EQ(ui.helpShown, 1);
    s.inputs.virtualSamples = "99";
    EXPECT_TRUE(RunToolbarKey(s, ui, "New"));
    EXPECT_EQ(s.inputs.virtualSamples, "30000");
}

TEST(Session, ExitAboutAndManual) {
    Session s;
    ScriptedPlatform ui;
    EXPECT_TRUE(RunCommand(s, ui, Command::About));
    EXPECT_TRUE(RunCommand(s, ui, Command::About));
    EXPECT_EQ(s.aboutRequests, 2);
    // "Manual" waits for an automatic size and does nothing then.
    EXPECT_FALSE(RunCommand(s, ui, Command::Manual));
    EXPECT_TRUE(RunCommand(s, ui, Command::Exit));
    EXPECT_TRUE(s.exitRequested);
    // During a generation only Help, About and Exit are taken.
    Session busy;
    busy.generationRunning = true;
    busy.inputs.virtualSamples = "99";
    EXPECT_FALSE(RunCommand(busy, ui, Command::New));
    EXPECT_FALSE(RunToolbarKey(busy, ui, "New"));
    EXPECT_EQ(busy.inputs.virtualSamples, "99");
    EXPECT_TRUE(RunCommand(busy, ui, Command::Help));
    EXPECT_TRUE(RunCommand(busy, ui, Command::About));
}
