#pragma once
// The report of an analysis ("Configuration and Results"): plain text, one
// line per entry, built from the analysis alone. The settings of stages not
// run yet are the boxes as typed.
#include <optional>
#include <string>

#include "analysis/analysis.h"
#include "view/session.h"

namespace velta {

// Repeats of the automatic size still at work when the report is written.
struct RepeatsAtWork {
    int32_t finished = 0;
    int32_t total = 0;
};

// 71 + N lines, each ended by CR LF, UTF-8. The date and time texts are
// printed as given. Needs a pilot.
std::string BuildReport(const Analysis& a, const TypedInputs& typed, const std::string& dateText,
                        const std::string& timeText,
                        std::optional<RepeatsAtWork> atWork = std::nullopt);

}  // namespace velta
