#pragma once
// The repeats of the automatic size, worked on in the background after
// Automatic: the window goes on (the manual size, Student-t and
// the report never wait for them), shows their progress, and takes their
// sizes into the analysis when they are done, unless a command changed what
// they were repeating in the meantime, which cancels them.
#include <optional>

#include "analysis/repeats.h"

namespace velta {

struct Session;

// What the repeats of the session's automatic answer run on (one that could
// not succeed too: the repeats say whether another draw would); none without
// an automatic answer.
std::optional<RepeatInputs> RepeatInputsOf(const Session& s);

// Starts the session's repeats (s.repeats of them, none for 0) of its
// automatic answer, on every core.
void StartRepeats(Session& s);
// Drops repeats whose inputs are no longer the analysis', and takes the
// sizes of finished ones into the analysis. After every command, and
// whenever the window looks.
void UpdateRepeats(Session& s);
// Waits for running repeats and takes their sizes (the command line, tests).
void WaitForRepeats(Session& s);

}  // namespace velta
