#pragma once
// Set-up shared by the tests that drive the commands headless: a session with
// an accepted pilot, the scripted platform that answers its dialogs, and a
// random source of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "commands/command_table.h"
#include "commands/generate.h"
#include "commands/messages.h"
#include "commands/pilot_commands.h"
#include "commands/trim.h"
#include "platform/scripted/scripted_platform.h"
#include "view/window_view.h"

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

// Types values into column 1 of the grid.
inline void TypeUnits(Session& s, const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i)
        s.units.SetCell(1, static_cast<int32_t>(i) + 1, cells[i]);
}

// A session trimmed by hand: N units 1 .. N, V virtual samples, step J; the
// rows q*J - 1 (q*J + 1 <= N) hold value(row, column, mean?), the others 0.
inline Session HandTrimmed(int32_t N, int32_t V, int32_t J,
                           const std::function<double(int32_t, int32_t, bool)>& value,
                           AxisRange meansAxis = {10, 25}, AxisRange sdsAxis = {0, 15}) {
    Session s;
    std::vector<std::string> texts;
    std::vector<double> values;
    for (int32_t i = 1; i <= N; ++i) {
        values.push_back(i);
        texts.push_back(std::to_string(i));
    }
    bool finite = false;
    s.analysis.SetPilot(MakePilot(texts, values, {}, finite));
    auto t = std::make_shared<CloudTables>();
    t->means.Resize(N, V + 1);
    t->sds.Resize(N, V + 1);
    t->samples = V;
    for (int32_t q = 1; q * J + 1 <= N; ++q)
        for (int32_t c = 0; c < V; ++c) {
            t->means(q * J - 1, c) = value(q * J - 1, c, true);
            t->sds(q * J - 1, c) = value(q * J - 1, c, false);
        }
    Generation g;
    g.samples = V;
    g.jump = J;
    g.tables = t;
    g.meansAxis = meansAxis;
    g.sdsAxis = sdsAxis;
    s.analysis.SetGeneration(g);
    s.analysis.SetTrimming({5, t});
    return s;
}

// A session whose pilot of n units unit(1 .. n) is accepted, with v virtual
// samples typed in after the acceptance capped the box.
struct Road {
    Session s;
    ScriptedPlatform ui;

    explicit Road(int32_t n, std::string v = "250", double (*unit)(int32_t) = SpreadUnit) {
        for (int32_t i = 1; i <= n; ++i) s.units.SetCell(1, i, unit(i));
        EXPECT_TRUE(AcceptUnits(s, ui, PilotSource()));
        s.inputs.virtualSamples = std::move(v);
    }
    void Generate() { velta::Generate(s, ui); }
    bool Run(Command c) { return RunCommand(s, ui, c); }
    bool Slide(int32_t size) { return MoveSlider(s, ui, size); }
    // Generated and trimmed at P.
    void Trimmed(std::string P = "5") {
        Generate();
        s.inputs.trimPercent = std::move(P);
        EXPECT_TRUE(Run(Command::Trim));
    }
    WindowView View() const { return WindowViewOf(s); }
    const Analysis& analysis() const { return s.analysis; }
};

}  // namespace velta::test
