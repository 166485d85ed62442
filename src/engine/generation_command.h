#pragma once
// "Generate the virtual samples": validates the number of virtual samples,
// asks about redundant or many samples, resets what depended on the previous
// generation, generates, and builds the two clouds on the charts.
#include "analysis/random.h"
#include "model/messages.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kInvalidVirtualSamplesMessage =
    "The specified number of virtual samples is not valid";
inline constexpr const char* kRedundantSamplesQuestion =
    "The specified number of virtual samples exceeds the maximum number, and it will generate "
    "redundant samples.\rDo you want to continue anyway?";
inline constexpr const char* kHighSamplesQuestion =
    "The specified number of virtual samples is high, and it may take a quite long time for "
    "generation.\rDo you want to continue anyway?";
// Above this many virtual samples the command asks before going on.
inline constexpr int32_t kRecommendedVirtualSamples = 250;

void cmdEsegui_Click(Workspace& ws, Platform& ui);
// The same with an explicit random source (tests and benchmarks).
void RunGeneration(Workspace& ws, Platform& ui, RandomSource& rng);

}  // namespace velta
