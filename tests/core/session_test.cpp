// A fresh session, New, and the commands without an analysis of their own.
#include "view/session.h"

#include <gtest/gtest.h>

#include "road.h"

using namespace velta;

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
