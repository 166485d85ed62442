#pragma once
// "Trim the generated samples" and the slider between the charts.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "view/session.h"

namespace velta {

// P, the percentage of extreme virtual samples trimmed: 0 to 10.
inline constexpr int32_t kMaxPercent = 10;
inline constexpr const char* kInvalidPMessage =
    "The specified P value is not valid: type a whole number from 0 to 10";
inline constexpr const char* kNotTrimmedSliderMessage =
    "You have to trim the data before trying to manually select a sample size";

// The P value typed when it is valid (a whole number 0 .. 10), else -1.
int32_t ParsePercent(const std::string& text);

// Trims both clouds of the generation at the typed P; the new trimming
// clears every answer of the previous one.
void Trim(Session& s, Platform& ui);

// The slider stands at `size`: the manual answer at that size, with its own
// statistics and coefficients. Before a trimming the slider only says so.
void ChooseManualSize(Session& s, Platform& ui, int32_t size);

}  // namespace velta
