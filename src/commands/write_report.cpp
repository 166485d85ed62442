#include "commands/write_report.h"

#include <filesystem>
#include <new>

#include "base/errors.h"
#include "commands/messages.h"
#include "commands/repeats.h"
#include "io/report.h"

namespace velta {

void WriteReport(Session& s, Platform& ui) {
    FileDialogRequest request;
    request.fileName = kReportDefaultName;
    request.title = kReportDialogTitle;
    request.filter = kReportFilter;
    request.save = true;
    // The name is asked first; only then is the user told what is missing.
    std::string fileName = ui.FileDialog(request);
    if (fileName == kReportDefaultName) return;
    // A name chosen without an extension gets the report's.
    if (!ui.NamesAreExact() && !fileName.empty() &&
        std::filesystem::path(fileName).extension().empty())
        fileName += ".dat";
    if (!s.analysis.manual()) {
        ShowCritical(ui, kIncompleteResultsMessage);
        return;
    }
    std::string text;
    try {
        UpdateRepeats(s);  // repeats done by now are reported as done
        std::optional<RepeatsAtWork> atWork;
        if (s.repeatsJob) atWork = RepeatsAtWork{s.repeatsJob->Finished(), s.repeatsJob->Total()};
        text = BuildReport(s.analysis, s.inputs, ui.DateText(), ui.TimeText(), atWork);
    } catch (const std::bad_alloc&) {
        ShowCritical(ui, kUnexpectedErrorMessage);
        return;
    }
    const std::string reason = ui.WriteFile(fileName, text);
    if (!reason.empty()) {
        ShowCritical(ui, std::string(kReportNotWrittenMessage) + "\r\r" + fileName + "\r" + reason);
        return;
    }
    s.lastWritten = Session::WrittenFile{"Report", fileName};
}

}  // namespace velta
