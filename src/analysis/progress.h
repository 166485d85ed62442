#pragma once
// How a long computation tells its caller how far it has come, and how the
// caller stops it. The computation knows nothing of windows or terminals.
#include <cstdint>

namespace velta {

class Progress {
  public:
    enum class Phase { Drawing, Statistics };
    virtual ~Progress() = default;
    // A phase starts or ends.
    virtual void Begin(Phase) {}
    virtual void End(Phase) {}
    // Item `item` (from 1) of the phase is about to be worked on. True stops
    // the computation.
    virtual bool Advance(Phase, int32_t /*item*/) { return false; }
};

// Progress that nobody watches: runs to the end.
inline Progress& NoProgress() {
    static Progress none;
    return none;
}

}  // namespace velta
