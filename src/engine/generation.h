#pragma once
// The virtual samples: random arrangements of the pre-sample's units and the
// mean and standard deviation of each of their prefixes.
//
// Row layout of the VirtualSampleTable (rows 0 .. N-1, columns 0 .. V; column
// c is virtual sample c + 1, column V is 0): for q = 1, 2, ... with
// q*Jump + 1 <= N, row q*Jump - 1 holds the statistics of the first
// q*Jump + 1 drawn values of each virtual sample; every other row is 0. So
// row r is sample size r + 2, as it is charted and labelled: with Jump = 1
// rows 0 .. N-2 hold sizes 2 .. N and row N-1 is 0.
#include <cstdint>
#include <vector>

#include "base/table.h"
#include "engine/random.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

// The sample-size step: ceil(N / 20), 1 for N <= 20 (and for N <= 0).
int32_t JumpFor(int32_t n);

// Phase 1. Fills rows 1 .. N of columns 1 .. V of `table` (already sized to
// rows 0 .. N, columns 0 .. V, all zero) with one random arrangement of the
// unit numbers 0 .. N-1 per column: each position draws Int(Rnd * N) until
// the number differs from those already placed. Every position is drawn
// whatever the Jump, so that any prefix of k positions is a proper random
// subset of k units. Shows the progress window and drives its phase-1
// caption and DrawProgress; returns at once when Abort is seen after a pause.
void DrawVirtualSamples(Table2D& table, int32_t N, int32_t V, Workspace& ws, Platform& ui,
                        RandomSource& rng);

// Phases 1 and 2. `preSample` holds the N unit values in positions 1 .. N.
// On completion replaces `out` and leaves the phase-3 caption active; on
// abort returns false and leaves `out` untouched.
bool GenerateVirtualSamples(const std::vector<double>& preSample, int32_t V, StatsTables& out,
                            Workspace& ws, Platform& ui, RandomSource& rng);

}  // namespace velta
