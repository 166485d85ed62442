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

const double StudentTable::values[3][31] = {
    {6.31, 2.92, 2.35, 2.13, 2.01, 1.94, 1.89, 1.86, 1.83, 1.81, 1.79, 1.78, 1.77, 1.76, 1.75, 1.74,
     1.74, 1.73, 1.73, 1.72, 1.72, 1.72, 1.71, 1.71, 1.71, 1.70, 1.70, 1.70, 1.70, 1.70, 1.64},
    {12.71, 4.30, 3.18, 2.78, 2.57, 2.45, 2.36, 2.31, 2.26, 2.23, 2.20,
     2.18,  2.16, 2.14, 2.13, 2.12, 2.11, 2.10, 2.09, 2.08, 2.08, 2.07,
     2.07,  2.06, 2.06, 2.05, 2.05, 2.05, 2.04, 2.04, 1.96},
    {63.66, 9.92, 5.84, 4.60, 4.03, 3.71, 3.50, 3.35, 3.25, 3.17, 3.10,
     3.04,  3.01, 2.98, 2.95, 2.92, 2.90, 2.88, 2.86, 2.84, 2.83, 2.82,
     2.81,  2.80, 2.79, 2.78, 2.77, 2.76, 2.76, 2.75, 2.57},
};

double tStud(std::string_view alpha, int32_t N) {
    if (N < 1 || N > 32) throw SubscriptOutOfRange("tStud");
    int row = -1;
    if (alpha == "0.10")
        row = 0;
    else if (alpha == "0.05")
        row = 1;
    else if (alpha == "0.01")
        row = 2;
    if (row < 0 || N == 1) return 0.0;
    return StudentTable::values[row][N - 2];
}

double tStud(const Workspace& ws, int32_t N) {
    return tStud(ws.cmbAlphaStud.text, N);
}

int32_t StudentSearch(double s, double d, std::string_view alpha) {
    for (int32_t n = 2; n <= kLastStudentSize; ++n) {
        const double e = s / std::pow(static_cast<double>(n), 0.5) * tStud(alpha, n);
        if (e <= d) return n;
    }
    return kNoStudentSize;
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
