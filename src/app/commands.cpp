#include "app/commands.h"

#include <algorithm>

#include "charts/manual.h"
#include "charts/trim.h"
#include "data/spreadsheet_commands.h"
#include "engine/generation_command.h"
#include "model/messages.h"
#include "regression/automatic.h"
#include "report/report.h"
#include "studentt/studentt.h"

namespace velta {

void mnuNew_Click(Workspace& ws, Platform&) {
    ResetWorkspace(ws);
}

void mnuExit_Click(Workspace& ws, Platform&) {
    ws.exitRequested = true;
}

void cmdContents_Click(Workspace&, Platform& ui) {
    ui.ShowHelp();
}

void cmdAboutVELTA_Click(Workspace& ws, Platform&) {
    ++ws.aboutRequests;
}

// "Manual" is a button without an action.
void Command1_Click(Workspace&, Platform&) {}

CommandHandler HandlerOf(FormCommand c) {
    switch (c) {
        case FormCommand::New:
            return mnuNew_Click;
        case FormCommand::Exit:
            return mnuExit_Click;
        case FormCommand::Contents:
            return cmdContents_Click;
        case FormCommand::About:
            return cmdAboutVELTA_Click;
        case FormCommand::Manual:
            return Command1_Click;
        case FormCommand::Generate:
            return cmdEsegui_Click;
        case FormCommand::Open:
            return mnuOpen_Click;
        case FormCommand::PreSamplingResults:
            return SaveSU_Click;
        case FormCommand::ConfigurationAndResults:
            return SaveConfRes_Click;
        case FormCommand::StudentT:
            return tStudentSampleSize_Click;
        case FormCommand::Trim:
            return cmdFilter_Click;
        case FormCommand::Slider:
            return Slider1_Change;
        case FormCommand::Automatic:
            return cmdAutoSampleSize_Click;
    }
    return nullptr;
}

namespace {

// A manual drawing re-runs the Student-t command while its mark is shown.
// Installed at start-up by this file, which every caller of the command
// table links; tests may install another hook afterwards.
[[maybe_unused]] const bool kStudentMarkRedrawInstalled =
    (SetStudentMarkRedraw(tStudentSampleSize_Click), true);

// The command button behind a command, or nullptr for menu and toolbar
// commands, which are always enabled.
const Field* ButtonOf(const Workspace& ws, FormCommand c) {
    switch (c) {
        case FormCommand::Generate:
            return &ws.cmdEsegui;
        case FormCommand::Trim:
            return &ws.cmdFilter;
        case FormCommand::Automatic:
            return &ws.cmdAutoSampleSize;
        case FormCommand::Manual:
            return &ws.Command1;
        case FormCommand::StudentT:
            return &ws.tStudentSampleSize;
        default:
            return nullptr;
    }
}

}  // namespace

bool RunCommand(Workspace& ws, Platform& ui, FormCommand c) {
    const CommandHandler h = HandlerOf(c);
    if (!h) return false;
    // During a generation only Help, About and Exit (which aborts it, like
    // the window's close box) are taken.
    if (ws.generationRunning && c != FormCommand::Contents && c != FormCommand::About && c != FormCommand::Exit)
        return false;
    if (const Field* button = ButtonOf(ws, c); button && !button->enabled) return false;
    // Last line of defence: each command handles the errors it expects; any
    // other exception (std::bad_alloc included) ends in the unexpected-error
    // message instead of terminating the program with the analysis.
    try {
        h(ws, ui);
    } catch (...) {
        if (!ws.generationRunning) ui.SetBusy(false);
        try {
            ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        } catch (...) {
        }
    }
    return true;
}

bool RunSlider(Workspace& ws, Platform& ui, int32_t position) {
    if (ws.generationRunning || !ws.Slider1.enabled) return false;
    ws.Slider1.value =
        std::clamp(position, ws.Slider1.min, std::max(ws.Slider1.min, ws.Slider1.max));
    return RunCommand(ws, ui, FormCommand::Slider);
}

bool Toolbar1_ButtonClick(Workspace& ws, Platform& ui, std::string_view key) {
    if (key == "Open") return RunCommand(ws, ui, FormCommand::Open);
    if (key == "Save") return RunCommand(ws, ui, FormCommand::PreSamplingResults);
    if (key == "New") return RunCommand(ws, ui, FormCommand::New);
    if (key == "Export") return RunCommand(ws, ui, FormCommand::ConfigurationAndResults);
    if (key == "Help") return RunCommand(ws, ui, FormCommand::Contents);
    return false;
}

}  // namespace velta
