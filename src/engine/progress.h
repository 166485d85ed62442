#pragma once
// The progress window of a generation as workspace state, and the pacing of
// the generation's pauses for pending events. The Qt window only shows this
// state; tests drive it through the scripted Platform.
#include <cstdint>

#include "app/workspace.h"
#include "platform/platform.h"

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

// Lets pending events run during a long loop. Processing events costs more
// than one virtual sample when V is large, so a pause happens only when the
// caller offers one and at least `interval` seconds have passed since the
// last (the first offer always pauses). The bars are brought up to date just
// before each pause, as the window's timers would during it.
class EventPacer {
  public:
    EventPacer(Workspace& ws, Platform& ui, double interval = 0.015)
        : ws_(ws), ui_(ui), interval_(interval) {}

    // Pauses when due. Returns true when AbortRequested is set after a pause;
    // the flag is looked at only right after a pause.
    bool Offer();

  private:
    Workspace& ws_;
    Platform& ui_;
    double interval_;
    double last_ = 0.0;
    bool first_ = true;
};

}  // namespace velta
