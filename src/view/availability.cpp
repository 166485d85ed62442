#include "view/availability.h"

namespace velta {

bool IsAvailable(const Session& s, Command c) {
    // During a generation only Help, About and Exit (which aborts it, like
    // the window's close box) are taken.
    if (s.generationRunning) return c == Command::Help || c == Command::About || c == Command::Exit;
    const Analysis& a = s.analysis;
    switch (c) {
        case Command::Generate:
            return a.pilot() && !s.unitsChanged;
        case Command::Trim:
            return a.generation() != nullptr;
        case Command::Automatic:
        case Command::StudentT:
            return a.trimming() != nullptr;
        case Command::Manual:
            return a.automatic() && a.automatic()->succeeded;
        default:
            return true;
    }
}

}  // namespace velta
