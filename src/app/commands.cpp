#include "app/commands.h"

#include <algorithm>

#include "charts/manual.h"
#include "charts/trim.h"
#include "data/spreadsheet_commands.h"
#include "engine/generation_command.h"
#include "model/messages.h"
#include "regression/automatic.h"

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

CommandHandler HandlerOf(Command c) {
    switch (c) {
        case Command::New:
            return mnuNew_Click;
        case Command::Exit:
            return mnuExit_Click;
        case Command::Contents:
            return cmdContents_Click;
        case Command::About:
            return cmdAboutVELTA_Click;
        case Command::Manual:
            return Command1_Click;
        case Command::Generate:
            return cmdEsegui_Click;
        case Command::Open:
            return mnuOpen_Click;
        case Command::PreSamplingResults:
            return SaveSU_Click;
        case Command::Trim:
            return cmdFilter_Click;
        case Command::Slider:
            return Slider1_Change;
        case Command::Automatic:
            return cmdAutoSampleSize_Click;
        case Command::ConfigurationAndResults:
        case Command::StudentT:
            return nullptr;
    }
    return nullptr;
}

namespace {

// The command button behind a command, or nullptr for menu and toolbar
// commands, which are always enabled.
const Field* ButtonOf(const Workspace& ws, Command c) {
    switch (c) {
        case Command::Generate:
            return &ws.cmdEsegui;
        case Command::Trim:
            return &ws.cmdFilter;
        case Command::Automatic:
            return &ws.cmdAutoSampleSize;
        case Command::Manual:
            return &ws.Command1;
        case Command::StudentT:
            return &ws.tStudentSampleSize;
        default:
            return nullptr;
    }
}

}  // namespace

bool RunCommand(Workspace& ws, Platform& ui, Command c) {
    const CommandHandler h = HandlerOf(c);
    if (!h) return false;
    // During a generation only Help, About and Exit (which aborts it, like
    // the window's close box) are taken.
    if (ws.generationRunning && c != Command::Contents && c != Command::About && c != Command::Exit)
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
    return RunCommand(ws, ui, Command::Slider);
}

bool Toolbar1_ButtonClick(Workspace& ws, Platform& ui, std::string_view key) {
    if (key == "Open") return RunCommand(ws, ui, Command::Open);
    if (key == "Save") return RunCommand(ws, ui, Command::PreSamplingResults);
    if (key == "New") return RunCommand(ws, ui, Command::New);
    if (key == "Export") return RunCommand(ws, ui, Command::ConfigurationAndResults);
    if (key == "Help") return RunCommand(ws, ui, Command::Contents);
    return false;
}

}  // namespace velta
