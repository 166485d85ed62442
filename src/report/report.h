#pragma once
// "Configuration and Results": the whole analysis as a plain-text report
// (.dat), built only from what the window shows.
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/write_report.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

// Asks for the report's file name, then checks that a manual sample size
// exists. fileName receives the dialog's answer; resultFlag is 1 when the
// report may be written, 0 otherwise.
void AskReportFile(const Workspace& ws, Platform& ui, std::string& fileName, int32_t& resultFlag);

// The report's text: 62 + N lines, each ended by CR LF, UTF-8. The date and
// time texts are printed as given.
std::string BuildReport(const Workspace& ws, const std::string& dateText,
                        const std::string& timeText);

// Replaces the file's contents with `bytes` through a temporary file in the
// same folder renamed into place, so a failed write leaves neither a partial
// file nor a damaged old one. Returns "" on success, else the reason.
// Links are followed; devices, pipes and folders are refused.
std::string ReplaceFileContents(const std::string& fileName, std::string_view bytes);

void SaveConfRes_Click(Workspace& ws, Platform& ui);

}  // namespace velta
