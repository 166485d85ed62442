#pragma once
// "Automatic": the sample size at which the trimmed cloud of means settles,
// handed over to the slider as the manual size.
#include "platform/platform.h"
#include "view/session.h"

namespace velta {

inline constexpr const char* kApplyFilterMessage =
    "Please, apply a filter to the generated samples";
inline constexpr const char* kAutomaticFailedMessage = "The automatic procedure cannot succeed.";
inline constexpr const char* kTrySliderMessage =
    "You may try to select alternative sample sizes using the slider between the charts";

void Automatic(Session& s, Platform& ui);

}  // namespace velta
