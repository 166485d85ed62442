#pragma once
// The report of an analysis ("Configuration and Results"): plain text, one
// line per entry, built from the analysis alone. The settings of stages not
// run yet are the boxes as typed.
#include <string>

#include "analysis/analysis.h"
#include "view/session.h"

namespace velta {

// 63 + N lines, each ended by CR LF, UTF-8. The date and time texts are
// printed as given. Needs a pilot.
std::string BuildReport(const Analysis& a, const TypedInputs& typed, const std::string& dateText,
                        const std::string& timeText);

}  // namespace velta
