#include "regression/automatic.h"

#include <algorithm>
#include <new>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"
#include "charts/manual.h"
#include "model/messages.h"
#include "regression/trovaretta.h"

namespace velta {

namespace {

// What every routine of the command reads from the workspace. N and V are
// the trimmed tables' own, so a grid or a txtLimite edited since the
// generation cannot send a row or a column outside them.
struct Shape {
    int32_t N = 0;
    int32_t V = 0;
    int32_t J = 0;
};

Shape ShapeOf(const Workspace& ws) {
    const StatsTables& t = ws.TrimmedTable;
    const Shape s{t.means.Rows(), t.V, ws.Jump};
    if (s.J < 1) throw DivisionByZero("automatic sample size: Jump");
    if (s.N < 3 || s.V < 1 || t.sds.Rows() != s.N || t.means.Cols() < s.V + 1 ||
        t.sds.Cols() < s.V + 1)
        throw SubscriptOutOfRange("automatic sample size: trimmed tables");
    return s;
}


// sprReport rows first .. first + 3: the two sloped lines (intercept,
// slope) and the two levels.
void WriteLineRows(Grid& g, int32_t first, const char* const titles[4], const FittedLines& f) {
    for (int32_t k = 0; k < 4; ++k) g.SetCell(1, first + k, titles[k]);
    g.SetCell(2, first, f.upperIntercept);
    g.SetCell(3, first, f.upperSlope);
    g.SetCell(2, first + 1, f.lowerIntercept);
    g.SetCell(3, first + 1, f.lowerSlope);
    g.SetCell(2, first + 2, f.upperLevel);
    g.SetCell(2, first + 3, f.lowerLevel);
}

// The four lines over table rows i = 1 .. N-1 (x = i / J) into columns
// V .. V+3 of rows i - 1, and the automatic vertical line at data point
// `point` (table row point - 1) into columns V+4 .. V+19. The right lines
// continue the left ones at x = K.
//
// The chart is loaded once, with every line column: the manual drawing that
// follows needs them all, and each load that changes a chart's shape
// allocates a copy of a cloud that may hold millions of values. Loads with
// the lines alone, or without the manual block, would never be seen. The
// series are therefore addressed by number, not as the chart's last ones.
void DrawLines(ChartModel& chart, Table2D& t, const Shape& s, const FittedLines& f, int32_t point,
               int32_t lower, int32_t upper) {
    const int32_t V = s.V;
    // One widening to every line column: the manual line needs them next.
    WidenTable(t, V + kLineColumnCount);
    for (int32_t i = 1; i <= s.N - 1; ++i) {
        const double x = static_cast<double>(i) / s.J;
        double* row = t.Row(i - 1);
        row[V] = f.upperIntercept + f.upperSlope * x;
        row[V + 1] = f.lowerIntercept + f.lowerSlope * x;
        row[V + 2] = f.upperLevel;
        row[V + 3] = f.lowerLevel;
    }
    for (int32_t r = 0; r <= s.N - 2; ++r) t(r, V + 4) = 0.0;
    StoreLadder(t, point - 1, V + 4, lower, upper);

    ReloadChart(chart, t, s.N, V + kLineColumnCount);
    for (int32_t series = V + 1; series <= V + 4; ++series) {
        chart.SetShowLine(series, true);
        chart.SetPenColour(series, kFittedLineColour);
        chart.SetPenWidth(series, 1);
    }
    const Marker m{true, kLineMarkerStyle, kLineMarkerSize, kAutoLineColour, kAutoLineColour};
    for (int32_t series = V + 5; series <= V + 20; ++series) {
        chart.SetPointMarker(series, point, m);
        chart.SetShowLine(series, false);
    }
}

constexpr const char* kMeansTitles[4] = {"M Int,Slo AS", "M Int,Slo BS", "M Int AD", "M Int BD"};
constexpr const char* kSDsTitles[4] = {"DS Int,Slo AS", "DS Int,Slo BS", "DS Int AD", "DS Int BD"};

}  // namespace

void CalcolaRigheMedie(Workspace& ws, Platform& ui) {
    const Shape s = ShapeOf(ws);
    CloudTables trimmed;
    trimmed.means = ws.TrimmedTable.means;
    trimmed.sds = ws.TrimmedTable.sds;
    trimmed.samples = s.V;
    const AutomaticAnswer answer = FindAutomaticSize(trimmed, s.J);
    ws.SampleSizeM = answer.succeeded ? answer.row : 0;
    if (!answer.succeeded) {
        ui.MessageBox(kAutomaticFailedMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    }
    ws.sprReport.SetCell(1, 2, "SZ M");
    ws.sprReport.SetCell(2, 2, static_cast<double>(answer.row));
    WriteLineRows(ws.sprReport, 3, kMeansTitles, answer.means);
    DrawLines(ws.VtChart1, ws.TrimmedTable.means, s, answer.means, answer.row, ws.MeansLower,
              ws.MeansUpper);
    ws.txtAutoMeanBasso.text = Format2(answer.cv.lower);
    ws.txtAutoMeanAlto.text = Format2(answer.cv.upper);
    ws.lastAutomatic = answer;
}

void DisegnaRigheDS(Workspace& ws, Platform&) {
    const Shape s = ShapeOf(ws);
    ws.SampleSizeDS = ws.SampleSizeM;
    if (ws.SampleSizeDS == 0) return;
    ws.sprReport.SetCell(1, 1, "SZ DS");
    ws.sprReport.SetCell(2, 1, static_cast<double>(ws.SampleSizeDS));
    WriteLineRows(ws.sprReport, 7, kSDsTitles, ws.lastAutomatic.sds);
    DrawLines(ws.VtChart2, ws.TrimmedTable.sds, s, ws.lastAutomatic.sds, ws.SampleSizeDS,
              ws.SDsLower, ws.SDsUpper);
}

void cmdAutoSampleSize_Click(Workspace& ws, Platform& ui) {
    if (!ws.DataTrimmed) {
        ui.MessageBox(kApplyFilterMessage, MsgButtons::Ok, MsgIcon::Information, kVeltaTitle);
        ui.SetBusy(false);
        return;
    }
    try {
        CalcolaRigheMedie(ws, ui);
        DisegnaRigheDS(ws, ui);
        if (ws.SampleSizeM == 0) return;
        const int32_t s = std::max(ws.SampleSizeDS, ws.SampleSizeM);
        ws.Text3.text = FormatInteger(static_cast<int64_t>(s) + 1);
        SpostaRighe(ws, ws.SampleSizeDS, ws.SampleSizeM);
        DisegnaRigheMobili(ws, ui, ws.SampleSizeDS, ws.SampleSizeM, 1);
        ws.Command1.enabled = true;
        ws.tStudentSampleSize.enabled = true;
        ui.MessageBox(kTrySliderMessage, MsgButtons::Ok, MsgIcon::Information, kVeltaTitle);
        ws.AutoSizeDone = "1";
    } catch (const RuntimeError&) {
        EmptyResultFields(ws, false);
        ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
    } catch (const std::bad_alloc&) {
        // Line columns for a cloud too large for the memory at hand.
        EmptyResultFields(ws, false);
        ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
    }
}

}  // namespace velta
