#include "commands/write_report.h"

#include <new>

#include "base/errors.h"
#include "commands/messages.h"
#include "io/report.h"

namespace velta {

void WriteReport(Session& s, Platform& ui) {
    FileDialogRequest request;
    request.fileName = kReportDefaultName;
    request.title = kReportDialogTitle;
    request.filter = kReportFilter;
    request.save = true;
    // The name is asked first; only then is the user told what is missing.
    const std::string fileName = ui.FileDialog(request);
    if (fileName == kReportDefaultName) return;
    if (!s.analysis.manual()) {
        ShowCritical(ui, kIncompleteResultsMessage);
        return;
    }
    std::string text;
    try {
        text = BuildReport(s.analysis, s.inputs, ui.DateText(), ui.TimeText());
    } catch (const std::bad_alloc&) {
        ShowCritical(ui, kUnexpectedErrorMessage);
        return;
    }
    const std::string reason = ui.WriteFile(fileName, text);
    if (reason.empty()) s.lastReportPath = fileName;
    if (!reason.empty())
        ShowCritical(ui, std::string(kReportNotWrittenMessage) + "\r\r" + fileName + "\r" + reason);
}

}  // namespace velta
