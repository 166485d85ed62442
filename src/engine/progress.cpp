#include "engine/progress.h"

namespace velta {

bool EventPacer::Offer() {
    const double now = ui_.MonotonicSeconds();
    if (!first_ && now - last_ < interval_) return false;
    first_ = false;
    TickProgressWindow(ws_);
    ui_.ProcessEvents();
    last_ = ui_.MonotonicSeconds();
    return ws_.AbortRequested == "1";
}

}  // namespace velta
