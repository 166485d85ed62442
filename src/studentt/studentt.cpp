#include "studentt/studentt.h"

#include <cmath>
#include <new>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "charts/manual.h"
#include "data/presample.h"
#include "model/messages.h"

namespace velta {

double tStud(const Workspace& ws, int32_t N) {
    return tStud(ws.cmbAlphaStud.text, N);
}

namespace {

void ShowCritical(Platform& ui, const std::string& text) {
    ui.MessageBox(text, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
}

// The mark is only on a chart that carries the line columns: after a new
// trimming the charts hold the bare cloud, whose markers must stay.
void RemovePreviousMark(ChartModel& chart, int32_t V, int32_t point) {
    if (chart.ColumnCount() != V + kLineColumnCount) return;
    if (point < 1 || point > chart.RowCount()) return;
    RemoveVerticalLine(chart, point);
}

// The green ladder in table row n - 2 of one chart's trimmed table. Only the
// block's first column is cleared, so a manual line stored in the same
// columns stays in the table.
void DrawMark(ChartModel& chart, Table2D& t, int32_t V, int32_t n, double lower, double upper) {
    const int32_t rows = t.Rows();
    WidenTable(t, V + kLineColumnCount);
    for (int32_t r = 0; r <= rows - 2; ++r) t(r, V + 19) = 0.0;
    StoreLadder(t, n - 2, V + 19, lower, upper);
    ReloadChart(chart, t, rows, V + kLineColumnCount);
    FormatVerticalLine(chart, n - 1, kStudentLineColour);
}

void StudentT(Workspace& ws, Platform& ui) {
    const auto s = ParseNumber(ws.Text2.text);
    if (!s || *s < 0) {
        ShowCritical(ui, kInvalidStudentSdMessage);
        return;
    }
    const auto d = ParseNumber(ws.Text1.text);
    if (!d || *d <= 0) {
        ShowCritical(ui, kInvalidStudentDifferenceMessage);
        return;
    }
    const int32_t prev = ws.StudentSampleSize;
    StatsTables& tt = ws.TrimmedTable;
    const int32_t V = tt.V;
    if (ws.StudentMarkDrawn == "1") {
        RemovePreviousMark(ws.VtChart2, V, prev - 1);
        RemovePreviousMark(ws.VtChart1, V, prev - 1);
    }

    const auto preSample = ReadPreSample(ws.sprMain);
    if (!preSample) throw TypeMismatch("pre-sample cell");
    const auto N = static_cast<int32_t>(preSample->size()) - 1;
    if (N == 0) {
        ui.MessageBox(kNoPreSampleMessage, MsgButtons::Ok, MsgIcon::Exclamation, kVeltaTitle);
        return;
    }
    if (N == 1) {
        ShowCritical(ui, kSingleValueMessage);
        return;
    }

    ws.StudentSampleSize = StudentSearch(*s, *d, ws.cmbAlphaStud.text);
    const int32_t n = ws.StudentSampleSize;
    if (n > ws.Slider1.max && n != kNoStudentSize) {
        ShowCritical(ui, "The sample size computed using the Student-t (" + FormatInteger(n) +
                             ") is higher than " + FormatInteger(ws.Slider1.max));
        ws.StudentSampleSize = prev;
        return;
    }
    if (n == kNoStudentSize) {
        ShowCritical(ui, kIncoherentErrorMessage);
        ws.StudentSampleSize = prev;
        return;
    }

    // The trimmed tables are the only source of the mark and the statistics.
    if (tt.Empty() || V < 1) throw SubscriptOutOfRange("trimmed tables");
    DrawMark(ws.VtChart2, tt.sds, V, n, ws.SDsLower, ws.SDsUpper);
    DrawMark(ws.VtChart1, tt.means, V, n, ws.MeansLower, ws.MeansUpper);
    ws.StudentMarkDrawn = "1";

    ws.sprReport.SetCell(1, 12, "Stud t SZ");
    ws.sprReport.SetCell(2, 12, static_cast<double>(n));
    ws.Text5.text = FormatInteger(n);

    // The statistics at n by the manual line's rule, so that a size between
    // generated rows (Jump >= 2) is interpolated rather than read as zeros.
    std::vector<double> a, b;
    VectorsAtSize(ws, n - 1, a, b);
    WriteStatisticsColumn(ws, 3, a, b);
}

void EmptyStudentResults(Workspace& ws) {
    ws.Text5.text.clear();
    for (int32_t r = 1; r <= 6; ++r) ws.sprRep.SetCell(3, r, std::string());
    ws.sprReport.SetCell(1, 12, std::string());
    ws.sprReport.SetCell(2, 12, std::string());
}

}  // namespace

void tStudentSampleSize_Click(Workspace& ws, Platform& ui) {
    const int32_t prev = ws.StudentSampleSize;
    try {
        StudentT(ws, ui);
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    ws.StudentSampleSize = prev;
    EmptyStudentResults(ws);
    ShowCritical(ui, kUnexpectedErrorMessage);
}

}  // namespace velta
