#pragma once
// The user's commands and when each is available: the window shows the
// same as enabled buttons, and the command table refuses the rest.
#include "view/session.h"

namespace velta {

enum class Command {
    Open,             // read a pilot from a spreadsheet file
    SaveTypedValues,  // "Pre-sampling results": save the typed values, then accept them
    New,
    Exit,
    WriteReport,  // "Configuration and Results"
    Help,
    About,
    Generate,
    Trim,
    Automatic,
    Manual,  // a button without an action
    StudentT,
    MoveSlider,  // to the position given to MoveSlider
};

// Which commands the session allows now; the window shows the same as
// enabled buttons. Menu and toolbar commands are always available (they
// check what they need themselves), but nothing except Help, About and
// Exit while a generation runs.
bool IsAvailable(const Session& s, Command c);

}  // namespace velta
