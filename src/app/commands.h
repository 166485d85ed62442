#pragma once
// The command table of the main window. The window, the tests and the batch
// command line all run commands through RunCommand, so every command works
// without a display.
#include <cstdint>
#include <string_view>

#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

enum class FormCommand {
    Open,                     // mnuOpen_Click
    PreSamplingResults,       // SaveSU_Click
    New,                      // mnuNew_Click
    Exit,                     // mnuExit_Click
    ConfigurationAndResults,  // SaveConfRes_Click
    Contents,                 // cmdContents_Click
    About,                    // cmdAboutVELTA_Click
    Generate,                 // cmdEsegui_Click
    Trim,                     // cmdFilter_Click
    Automatic,                // cmdAutoSampleSize_Click
    Manual,                   // Command1_Click
    StudentT,                 // tStudentSampleSize_Click
    Slider,                   // Slider1_Change, at the position in ws.Slider1.value
};

using CommandHandler = void (*)(Workspace&, Platform&);

// The handler of a command, or nullptr while the command is not available in
// this build.
CommandHandler HandlerOf(FormCommand c);

// Runs a command. Returns false when it was refused: its handler does not
// exist yet, its button is disabled, or a generation is running (only Help,
// About and Exit stay available then).
bool RunCommand(Workspace& ws, Platform& ui, FormCommand c);

// Moves the slider to `position` and runs its handler, as a drag or a key
// press on it does. Refused (position unchanged) while the slider is
// disabled or a generation runs.
bool RunSlider(Workspace& ws, Platform& ui, int32_t position);

// Toolbar dispatch on the button key, compared exactly; unknown keys do nothing.
bool Toolbar1_ButtonClick(Workspace& ws, Platform& ui, std::string_view key);

void mnuNew_Click(Workspace& ws, Platform& ui);
void mnuExit_Click(Workspace& ws, Platform& ui);
void cmdContents_Click(Workspace& ws, Platform& ui);
void cmdAboutVELTA_Click(Workspace& ws, Platform& ui);
void Command1_Click(Workspace& ws, Platform& ui);

}  // namespace velta
