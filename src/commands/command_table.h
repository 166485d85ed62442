#pragma once
// The user's commands on a session. The window, the tests and the batch
// command line all run them through RunCommand, so every command works
// without a display and they all see the same refusals.
#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "view/availability.h"
#include "view/session.h"

namespace velta {

// Runs a command. Returns false when it was refused (not available now).
bool RunCommand(Session& s, Platform& ui, Command c);

// Moves the slider to `position` and runs its command, as a drag or a key
// press on it does. Refused while a generation runs.
bool MoveSlider(Session& s, Platform& ui, int32_t position);

// The toolbar's buttons by key ("Open", "Save", "New", "Export", "Help");
// unknown keys do nothing.
bool RunToolbarKey(Session& s, Platform& ui, std::string_view key);

}  // namespace velta
