#pragma once
// The progress window of a generation as workspace state. The Qt window only
// shows this state; tests drive it through the scripted Platform.
#include <cstdint>

#include "model/workspace.h"

namespace velta {

// Shows a fresh window (bars at 0, captions greyed) for a generation of V
// virtual samples.
void ShowProgressWindow(Workspace& ws, int32_t V);
// Closes (discards) the window; the next one starts fresh.
void CloseProgressWindow(Workspace& ws);
// The four bar timers: a bar follows its counter while the counter is not 0,
// so a finished phase stays at 100 and later phases stay at 0.
void TickProgressWindow(Workspace& ws);
// The Abort button: raises AbortRequested and nothing else.
void cmdAbort_Click(Workspace& ws);

}  // namespace velta
