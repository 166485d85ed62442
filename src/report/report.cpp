#include "report/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/errors.h"
#include "base/numbers.h"
#include "model/messages.h"

namespace velta {

void AskReportFile(const Workspace& ws, Platform& ui, std::string& fileName, int32_t& resultFlag) {
    FileDialogRequest request;
    request.fileName = kReportDefaultName;
    request.title = kReportDialogTitle;
    request.filter = kReportFilter;
    request.save = true;
    fileName = ui.FileDialog(request);
    resultFlag = 0;
    if (fileName == kReportDefaultName) return;
    if (ws.Text4.text.empty()) {
        ui.MessageBox(kIncompleteResultsMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    }
    resultFlag = 1;
}

namespace {

const std::string kRule(156, '*');

// "###.###" of a cell; an empty cell stays empty, and a text that is not a
// number is printed as it stands.
std::string F3(const Grid& g, int32_t col, int32_t row) {
    const std::string& t = g.CellText(col, row);
    if (t.empty()) return t;
    const auto v = ParseNumber(t);
    return v ? Format3(*v) : t;
}

std::string F4(const std::string& t) {
    const auto v = ParseNumber(t);
    return v ? Format4(*v) : t;
}

class Lines {
  public:
    void Add(const std::string& line) {
        text_ += line;
        text_ += "\r\n";
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

void StatisticsBlock(Lines& out, const Grid& sprRep, int32_t col) {
    static const char* const labels[6] = {
        "Average mean: ",
        "Maximum mean: ",
        "Minimum mean: ",
        "Average standard deviation: ",
        "Maximum standard deviation: ",
        "Minimum standard deviation: ",
    };
    for (int32_t row = 1; row <= 6; ++row) {
        const std::string& t = sprRep.CellText(col, row);
        out.Add(std::string(labels[row - 1]) + (t.empty() ? "not calculated" : F4(t)));
    }
}

// The configuration the results were computed with: the V of the trimmed
// tables and the P of their trimming, not the boxes, which may have been
// edited since. Before any trimming the boxes are all there is.
std::string VirtualSamplesText(const Workspace& ws) {
    if (!ws.TrimmedTable.Empty()) return FormatInteger(ws.TrimmedTable.V);
    return ws.txtLimite.text;
}
std::string TrimmingText(const Workspace& ws) {
    if (!ws.TrimmedTable.Empty()) return FormatInteger(ws.TrimmedTable.P);
    return ws.txtPerc.text;
}

std::string ManualSizeText(const std::string& text4) {
    const auto v = ParseNumber(text4);
    if (!v) throw TypeMismatch("manual sample size");
    return FormatInteger(RoundToInt32(*v));
}

}  // namespace

std::string BuildReport(const Workspace& ws, const std::string& dateText,
                        const std::string& timeText) {
    const Grid& rpt = ws.sprReport;
    Lines out;
    out.Add(kRule);
    out.Add("Date: " + dateText);
    out.Add("Time: " + timeText);
    out.Add("Name of the opened file: " + ws.StatusBar1[2].text);
    out.Add(kRule);
    out.Add("");
    out.Add("SAMPLING UNITS:");
    const int32_t N = ws.sprMain.DataRowCount();
    for (int32_t r = 1; r <= N; ++r) out.Add(ws.sprMain.CellText(1, r));
    out.Add("");
    out.Add("SAMPLE STATISTICS");
    out.Add("mean: " + ws.txtSampleMean.text);
    out.Add("standard deviation: " + ws.txtSampleStDev.text);
    out.Add("number: " + ws.txtSampleN.text);
    out.Add("");
    out.Add("JACKKNIFE STATISTICS");
    out.Add("standard deviation: " + ws.txtOrvoStDev.text);
    out.Add("standard error: " + ws.txtOrvoStErr.text);
    out.Add("");
    out.Add("CONFIGURATION");
    out.Add("Virtual samples number: " + VirtualSamplesText(ws));
    out.Add("Trimming: " + TrimmingText(ws) + " %");
    out.Add("");
    out.Add(kRule);
    out.Add("RESULTS:");
    out.Add(kRule);
    out.Add("Automatic sample size: " + ws.Text3.text);
    out.Add("");
    out.Add("Means chart");
    out.Add("Up-left line: y = " + F3(rpt, 2, 3) + " " + F3(rpt, 3, 3) + " * x");
    out.Add("Down-left line: y = " + F3(rpt, 2, 4) + " +" + F3(rpt, 3, 4) + " * x");
    out.Add("Up-right line: y = " + F3(rpt, 2, 5));
    out.Add("Down-right line: y = " + F3(rpt, 2, 6));
    out.Add("");
    StatisticsBlock(out, ws.sprRep, 2);
    out.Add(kRule);
    out.Add("Manual sample size: " + ManualSizeText(ws.Text4.text));
    out.Add("");
    StatisticsBlock(out, ws.sprRep, 1);
    out.Add(kRule);
    out.Add("");
    out.Add(kRule);
    out.Add("Student-t sample size determination");
    out.Add("Alpha: " + ws.cmbAlphaStud.text);
    out.Add("Maximum accepted error: " + ws.Text1.text);
    out.Add("Student-t sample size: " + rpt.CellText(2, 12));
    out.Add("");
    StatisticsBlock(out, ws.sprRep, 3);
    out.Add(kRule);
    return out.Take();
}

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

// Creates a fresh file beside `target`; returns its descriptor or -1.
int CreateTemporary(const std::string& target, std::string& tempName) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::string ReplaceFileContents(const std::string& name, std::string_view bytes) {
    // A link is followed, so that the file it names gets the report and the
    // link stays a link.
    std::string fileName = name;
    struct stat existing {};
    bool exists = ::lstat(fileName.c_str(), &existing) == 0;
    if (exists && S_ISLNK(existing.st_mode)) {
        char* real = ::realpath(name.c_str(), nullptr);
        if (!real) return Reason(errno);
        fileName = real;
        std::free(real);
        exists = ::stat(fileName.c_str(), &existing) == 0;
    }
    if (exists) {
        if (S_ISDIR(existing.st_mode)) return Reason(EISDIR);
        // Devices and pipes cannot be replaced by renaming a file over them.
        if (!S_ISREG(existing.st_mode)) return "Not a regular file";
        // A file without any write permission is read-only for everybody,
        // the administrator included.
        if ((existing.st_mode & 0222) == 0 || ::access(fileName.c_str(), W_OK) != 0)
            return Reason(EACCES);
    }
    std::string tempName;
    const int fd = CreateTemporary(fileName, tempName);
    if (fd < 0) return Reason(errno);
    int err = 0;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0 && err == 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno != EINTR) err = errno;
            continue;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    if (err == 0 && exists && ::fchmod(fd, existing.st_mode & 07777) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tempName.c_str(), fileName.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tempName.c_str());
        return Reason(err);
    }
    return {};
}

void SaveConfRes_Click(Workspace& ws, Platform& ui) {
    std::string fileName;
    int32_t resultFlag = 0;
    AskReportFile(ws, ui, fileName, resultFlag);
    if (resultFlag == 0) return;
    std::string text;
    try {
        text = BuildReport(ws, ui.DateText(), ui.TimeText());
    } catch (const RuntimeError&) {
        ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    } catch (const std::bad_alloc&) {
        ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    }
    const std::string reason = ReplaceFileContents(fileName, text);
    if (!reason.empty())
        ui.MessageBox(std::string(kReportNotWrittenMessage) + "\r\r" + fileName + "\r" + reason,
                      MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
}

}  // namespace velta
