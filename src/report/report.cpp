#include "report/report.h"

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
    const std::string reason = ui.WriteFile(fileName, text);
    if (!reason.empty())
        ui.MessageBox(std::string(kReportNotWrittenMessage) + "\r\r" + fileName + "\r" + reason,
                      MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
}

}  // namespace velta
