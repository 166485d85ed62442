#include "engine/progress.h"

namespace velta {

bool EventPacer::Offer() {
    if (!first_ && ++skipped_ < stride_) return false;
    skipped_ = 0;
    const double now = ui_.MonotonicSeconds();
    if (!first_ && now - last_ < interval_) {
        // Offers far apart from each other keep the stride at 1; quick ones
        // double it, up to the point where a pause can be late by a few
        // hundred offers at most.
        if (now - last_ < interval_ / 16 && stride_ < 256) stride_ *= 2;
        return false;
    }
    first_ = false;
    TickProgressWindow(ws_);
    ui_.ProcessEvents();
    last_ = ui_.MonotonicSeconds();
    return ws_.AbortRequested == "1";
}

}  // namespace velta
