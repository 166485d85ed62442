#pragma once
// "Configuration and Results": asks for a file name and writes the report of
// the analysis there.
#include "platform/platform.h"
#include "view/session.h"

namespace velta {

inline constexpr const char* kReportDialogTitle = "VELTA - Save a REPORT FILE";
inline constexpr const char* kReportFilter = "Config and Results file (*.dat)|*.dat";
inline constexpr const char* kReportDefaultName = "*.dat";
inline constexpr const char* kIncompleteResultsMessage =
    "You did not run all the procedures to get the final result";
inline constexpr const char* kReportNotWrittenMessage = "The report file could not be written.";

void WriteReport(Session& s, Platform& ui);

}  // namespace velta
