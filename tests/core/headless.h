#pragma once
// Set-up shared by the tests that drive the commands headless.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "app/commands.h"
#include "data/presample.h"
#include "engine/generation_command.h"
#include "model/messages.h"
#include "platform/scripted/scripted_platform.h"

namespace velta::test {

// The one message shown: its text, icon and title. Forgets it, so that the
// next check starts from none.
inline void ExpectOnlyMessage(ScriptedPlatform& ui, const std::string& text, MsgIcon icon,
                              const std::string& where = "") {
    ASSERT_EQ(ui.messages.size(), 1u) << where << " " << ui.LastMessage();
    EXPECT_EQ(ui.messages[0].text, text) << where;
    EXPECT_EQ(ui.messages[0].icon, icon) << where;
    EXPECT_EQ(ui.messages[0].title, kVeltaTitle) << where;
    ui.messages.clear();
}

inline double SpreadUnit(int32_t i) {
    return 12.5 + std::fmod(i * 7.3, 5.1);
}

// An accepted pre-sample of n units unit(1 .. n), with v virtual samples
// typed in after the pre-sample capped the field.
struct Session {
    Workspace ws;
    ScriptedPlatform ui;
    RandomSource rng;

    explicit Session(int32_t n, std::string v = "250", double (*unit)(int32_t) = SpreadUnit) {
        Form_Load(ws);
        for (int32_t i = 1; i <= n; ++i) ws.sprMain.SetCell(1, i, unit(i));
        EXPECT_TRUE(ComputePreSampleStats(ws, ui));
        ws.txtLimite.text = std::move(v);
    }
    void Generate() { RunGeneration(ws, ui, rng); }
};

}  // namespace velta::test
