#include "commands/command_table.h"

#include <algorithm>

#include "commands/automatic.h"
#include "commands/generate.h"
#include "commands/messages.h"
#include "commands/pilot_commands.h"
#include "commands/repeats.h"
#include "commands/student_t.h"
#include "commands/trim.h"
#include "commands/unsaved_units.h"
#include "commands/write_report.h"

namespace velta {

namespace {

void New(Session& s, Platform& ui) {
    if (MayDiscardTypedUnits(s, ui)) s = Session();
}
void Exit(Session& s, Platform& ui) {
    if (MayDiscardTypedUnits(s, ui)) s.exitRequested = true;
}
void OpenAfterAsking(Session& s, Platform& ui) {
    if (MayDiscardTypedUnits(s, ui)) Open(s, ui);
}

// The status line's words for the steps that take long without a progress
// window of their own.
const char* BusyStatusOf(Command c) {
    switch (c) {
        case Command::Trim:
            return "Trimming the virtual samples...";
        case Command::Automatic:
            return "Searching for the automatic sample size...";
        default:
            return nullptr;
    }
}
void Help(Session&, Platform& ui) {
    ui.ShowHelp();
}
void About(Session& s, Platform&) {
    ++s.aboutRequests;
}
// "Manual" is a button without an action.
void Manual(Session&, Platform&) {}

using Handler = void (*)(Session&, Platform&);

Handler HandlerOf(Command c) {
    switch (c) {
        case Command::Open:
            return OpenAfterAsking;
        case Command::SaveTypedValues:
            return SaveTypedValues;
        case Command::New:
            return New;
        case Command::Exit:
            return Exit;
        case Command::WriteReport:
            return WriteReport;
        case Command::Help:
            return Help;
        case Command::About:
            return About;
        case Command::Generate:
            return [](Session& s, Platform& ui) { Generate(s, ui); };
        case Command::Trim:
            return Trim;
        case Command::Automatic:
            return Automatic;
        case Command::Manual:
            return Manual;
        case Command::StudentT:
            return StudentT;
        case Command::MoveSlider:
            return nullptr;  // takes a position: MoveSlider
    }
    return nullptr;
}

}  // namespace

bool RunCommand(Session& s, Platform& ui, Command c) {
    const Handler h = HandlerOf(c);
    if (!h || !IsAvailable(s, c)) return false;
    if (const char* busy = BusyStatusOf(c)) {
        // Drawn once before the step starts; nothing is drawn again until it
        // ends or shows a message, and then the words are gone.
        s.busyStatus = busy;
        ui.ShowNow();
        s.busyStatus.clear();
    }
    // Last line of defence: each command handles the errors it expects; any
    // other exception (std::bad_alloc included) ends in the unexpected-error
    // message instead of terminating the program with the analysis.
    try {
        h(s, ui);
    } catch (...) {
        ui.SetBusy(false);
        try {
            ShowCritical(ui, kUnexpectedErrorMessage);
        } catch (...) {
        }
    }
    // Repeats of an automatic answer the command replaced are cancelled.
    UpdateRepeats(s);
    return true;
}

bool MoveSlider(Session& s, Platform& ui, int32_t position) {
    if (!IsAvailable(s, Command::MoveSlider)) return false;
    try {
        ChooseManualSize(s, ui, position);
    } catch (...) {
        ui.SetBusy(false);
    }
    return true;
}

bool RunToolbarKey(Session& s, Platform& ui, std::string_view key) {
    if (key == "Open") return RunCommand(s, ui, Command::Open);
    if (key == "Save") return RunCommand(s, ui, Command::SaveTypedValues);
    if (key == "New") return RunCommand(s, ui, Command::New);
    if (key == "Export") return RunCommand(s, ui, Command::WriteReport);
    if (key == "Help") return RunCommand(s, ui, Command::Help);
    return false;
}

}  // namespace velta
