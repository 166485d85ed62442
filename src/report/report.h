#pragma once
// "Configuration and Results": the whole analysis as a plain-text report
// (.dat), built only from what the window shows.
#include <cstdint>
#include <string>

#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kReportDialogTitle = "VELTA - Save a REPORT FILE";
inline constexpr const char* kReportFilter = "Config and Results file (*.dat)|*.dat";
inline constexpr const char* kReportDefaultName = "*.dat";
inline constexpr const char* kIncompleteResultsMessage =
    "You did not run all the procedures to get the final result";
inline constexpr const char* kReportNotWrittenMessage = "The report file could not be written.";

// Asks for the report's file name, then checks that a manual sample size
// exists. fileName receives the dialog's answer; resultFlag is 1 when the
// report may be written, 0 otherwise.
void AskReportFile(const Workspace& ws, Platform& ui, std::string& fileName, int32_t& resultFlag);

// The report's text: 62 + N lines, each ended by CR LF, UTF-8. The date and
// time texts are printed as given.
std::string BuildReport(const Workspace& ws, const std::string& dateText,
                        const std::string& timeText);

// "Configuration and Results": asks for the file, then writes the report
// through the platform, by the program's rules for files (base/file_output.h); a file that cannot
// be written is reported with kReportNotWrittenMessage, the name and the reason.
void SaveConfRes_Click(Workspace& ws, Platform& ui);

}  // namespace velta
