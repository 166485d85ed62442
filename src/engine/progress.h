#pragma once
// The pacing of the generation's pauses for pending events.
#include <cstdint>

#include "model/progress_window.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

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
    // Reading the clock costs about as much as summarising a small virtual
    // sample, so while offers come much faster than the interval the clock
    // is read only every stride_-th offer.
    int32_t stride_ = 1;
    int32_t skipped_ = 0;
};

}  // namespace velta
