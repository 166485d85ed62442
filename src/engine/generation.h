#pragma once
// The generation driven from the workspace: its progress window and abort.
#include <cstdint>
#include <vector>

#include "analysis/generation.h"
#include "base/table.h"
#include "analysis/random.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

// Phase 1 into `table` (rows 0 .. N, columns 0 .. V, all zero): column j
// holds the unit numbers of virtual sample j in rows 1 .. N. Drives the
// progress window's phase-1 caption and DrawProgress.
void DrawVirtualSamples(Table2D& table, int32_t N, int32_t V, Workspace& ws, Platform& ui,
                        RandomSource& rng);

// Phases 1 and 2. `preSample` holds the N unit values in positions 1 .. N.
// On completion replaces `out` and leaves the phase-3 caption active; on
// abort returns false and leaves `out` untouched.
bool GenerateVirtualSamples(const std::vector<double>& preSample, int32_t V, StatsTables& out,
                            Workspace& ws, Platform& ui, RandomSource& rng);

}  // namespace velta
