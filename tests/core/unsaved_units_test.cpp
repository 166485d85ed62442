// Typed units are never lost by a click: New, Open and Exit ask "Save the
// typed values?" when the units changed since the last save or open, and
// each answer does what it says.
#include "commands/unsaved_units.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "output_targets.h"
#include "road.h"

using namespace velta;

namespace {

// A fresh session with units typed (as the grid reports an edit).
Session Typed() {
    Session s;
    test::TypeUnits(s, {"12.5", "13.1", "11.8", "12.9"});
    UnitsEdited(s);
    return s;
}

// What each command leaves behind when it went on.
bool WentOn(Command c, const Session& s) {
    switch (c) {
        case Command::New:
            return s.units.DataRowCount() == 0;
        case Command::Exit:
            return s.exitRequested;
        default:
            return false;
    }
}

}  // namespace

TEST(UnsavedUnits, EachAnswerOfTheQuestion) {
    // Open goes on to its file dialog: the last one asked for.
    struct Case {
        MsgAnswer answer;
        bool saveDialogAnswered;  // Save: the .xls name is given, else the dialog is cancelled
        bool goesOn;
    };
    const Case cases[] = {{MsgAnswer::Save, true, true},
                          {MsgAnswer::Save, false, false},
                          {MsgAnswer::Discard, false, true},
                          {MsgAnswer::Cancel, false, false}};
    for (const Command c : {Command::New, Command::Open, Command::Exit})
        for (const Case& k : cases) {
            const std::string where = "command " + std::to_string(static_cast<int>(c)) +
                                      " answer " + std::to_string(static_cast<int>(k.answer));
            test::TestFolder dir(std::to_string(static_cast<int>(c)) +
                                 std::to_string(static_cast<int>(k.answer)) +
                                 (k.saveDialogAnswered ? "s" : ""));
            const std::string saved = (dir.path / "typed.xls").string();
            Session s = Typed();
            ScriptedPlatform ui;
            ui.answers = {k.answer};
            if (k.saveDialogAnswered) ui.files = {saved};
            ASSERT_TRUE(RunCommand(s, ui, c)) << where;
            ASSERT_FALSE(ui.messages.empty()) << where;
            EXPECT_EQ(ui.messages[0].text, "Save the typed values?") << where;
            EXPECT_EQ(ui.messages[0].buttons, MsgButtons::SaveDiscardCancel) << where;
            EXPECT_EQ(ui.messages[0].title, kVeltaTitle) << where;
            EXPECT_EQ(std::filesystem::exists(saved), k.saveDialogAnswered) << where;
            // Save asks for the .xls name; Open then asks for its file.
            const size_t saveDialogs = k.answer == MsgAnswer::Save ? 1 : 0;
            const size_t openDialogs = c == Command::Open && k.goesOn ? 1 : 0;
            EXPECT_EQ(ui.fileRequests.size(), saveDialogs + openDialogs) << where;
            if (c == Command::Open) continue;
            EXPECT_EQ(WentOn(c, s), k.goesOn) << where;
            // Staying keeps every typed unit.
            if (!k.goesOn) {
                EXPECT_EQ(s.units.CellText(1, 4), "12.9") << where;
            }
        }
}

TEST(UnsavedUnits, NoQuestionWhenNothingTypedIsAtStake) {
    test::TestFolder dir;
    // Nothing typed; values typed and then all cleared; values saved (and
    // accepted) by Pre-sampling results; values opened from a file.
    Session fresh;
    Session cleared = Typed();
    cleared.units.ClearAll();
    Session saved = Typed();
    {
        ScriptedPlatform ui;
        ui.files = {(dir.path / "saved.xls").string()};
        ASSERT_TRUE(RunCommand(saved, ui, Command::SaveTypedValues));
        ASSERT_FALSE(saved.unitsUnsaved);
        ASSERT_TRUE(saved.analysis.pilot());
    }
    Session opened = Typed();
    {
        ScriptedPlatform ui;
        ui.answers = {MsgAnswer::Discard};
        ui.files = {VELTA_SOURCE_DIR "/examples/pilot_sample.csv"};
        ASSERT_TRUE(RunCommand(opened, ui, Command::Open));
        ASSERT_EQ(opened.units.DataRowCount(), 24);
    }
    for (Session* s : {&fresh, &cleared, &saved, &opened})
        for (const Command c : {Command::Exit, Command::New}) {
            Session copy = *s;
            ScriptedPlatform ui;
            ASSERT_TRUE(RunCommand(copy, ui, c));
            EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
            EXPECT_TRUE(WentOn(c, copy));
        }
    // An edit after the save asks again.
    UnitsEdited(saved);
    ScriptedPlatform ui;
    ui.answers = {MsgAnswer::Cancel};
    ASSERT_TRUE(RunCommand(saved, ui, Command::New));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(saved.analysis.pilot());
}
