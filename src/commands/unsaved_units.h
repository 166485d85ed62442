#pragma once
// Typed sampling units are never lost by a click: New, Open and Exit ask
// first when the units were edited since they were last saved or opened.
#include "platform/platform.h"
#include "view/session.h"

namespace velta {

inline constexpr const char* kSaveTypedValuesQuestion = "Save the typed values?";

// Asks "Save the typed values?" (Save, Discard, Cancel) when the grid holds
// units edited since the last save or open; Save runs "Pre-sampling
// results". True when the caller may go on and discard them: nothing to
// lose, saved, or discarded; false for Cancel or a save that did not happen.
bool MayDiscardTypedUnits(Session& s, Platform& ui);

}  // namespace velta
