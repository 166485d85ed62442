#include "charts/manual.h"

#include <algorithm>
#include <new>
#include <utility>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"
#include "model/messages.h"

namespace velta {

namespace {

StudentMarkRedraw studentRedraw = nullptr;

// The manual line at other data points than `keep` (0: everywhere): a moved
// line leaves no markers behind at its old size, where its cleared values
// would put them at 0.
void HideOldManualLine(ChartModel& chart, int32_t keep) {
    const int32_t count = chart.ColumnCount();
    std::vector<std::pair<int32_t, int32_t>> old;
    for (const auto& [where, m] : chart.MarkerOverrides())
        if (where.first >= count - 15 && where.second != keep && m.visible &&
            m.border == kManualLineColour && m.fill == kManualLineColour)
            old.push_back(where);
    for (const auto& [series, point] : old) {
        Marker m = chart.PointMarker(series, point);
        m.visible = false;
        chart.SetPointMarker(series, point, m);
    }
}

void DrawManualLine(ChartModel& chart, Table2D& table, int32_t N, int32_t cols, int32_t V,
                    int32_t size, int32_t lower, int32_t upper) {
    StoreLadder(table, size - 1, V + 19, lower, upper);
    ReloadChart(chart, table, N, cols);
    // Sizes 2 and 3 get no visible line.
    HideOldManualLine(chart, size > 2 ? size : 0);
    if (size > 2) FormatVerticalLine(chart, size, kManualLineColour);
}

std::string AverageText(const Workspace& ws, int32_t col, int32_t row) {
    const auto v = ParseNumber(ws.sprRep.CellText(col, row));
    if (!v) throw TypeMismatch("average label");
    return Format4(*v);
}

}  // namespace

void SetStudentMarkRedraw(StudentMarkRedraw redraw) {
    studentRedraw = redraw;
}

void ReloadChart(ChartModel& chart, const Table2D& table, int32_t N, int32_t cols) {
    const int32_t rows = N - 2;
    if (rows < 1 || cols < 1) throw SubscriptOutOfRange("ReloadChart");
    if (chart.RowCount() != rows || chart.ColumnCount() != cols) {
        chart.SetDataGrid(rows, cols);
        for (int32_t q = 1; q <= rows; ++q) chart.SetRowLabel(q, FormatInteger(q + 1));
    }
    chart.LoadBlock(table, rows, cols);
}

void VectorsAtSize(const Workspace& ws, int32_t s, std::vector<double>& a, std::vector<double>& b) {
    const StatsTables& t = ws.TrimmedTable;
    VectorsAtSize(t.means, t.sds, t.V, ws.Jump, s, a, b);
}

void WriteStatisticsColumn(Workspace& ws, int32_t col, const SizeStatistics& st) {
    Grid& g = ws.sprRep;
    g.SetCell(col, 1, st.meanA);
    g.SetCell(col, 2, st.maxA);
    g.SetCell(col, 3, st.minA);
    g.SetCell(col, 4, st.meanB);
    g.SetCell(col, 5, st.maxB);
    g.SetCell(col, 6, st.minNonZeroB);
}

void WriteStatisticsColumn(Workspace& ws, int32_t col, const std::vector<double>& a,
                           const std::vector<double>& b) {
    WriteStatisticsColumn(ws, col, StatisticsAtSize(a, b));
}

void SpostaRighe(Workspace& ws, int32_t SampleSizeDS, int32_t SampleSizeM) {
    // N of the tables the lines are drawn in; before any table, the grid's.
    int32_t N = ws.TrimmedTable.means.Rows();
    if (N == 0) N = ws.VirtualSampleTable.means.Rows();
    if (N == 0) N = ws.sprMain.DataRowCount(1);
    ws.Slider1.min = 2;
    ws.Slider1.max = N - 1;
    ws.Slider1.step = ws.Jump;
    ws.Slider1.selStart = CheckedAdd32(std::max(SampleSizeDS, SampleSizeM), 1, "SpostaRighe");
}

void DisegnaRigheMobili(Workspace& ws, Platform& ui, int32_t SampleSizeDS, int32_t SampleSizeM,
                        int32_t auto0or1) {
    StatsTables& t = ws.TrimmedTable;
    const int32_t N = t.means.Rows();
    const int32_t V = t.V;
    if (t.Empty() || N < 3 || V < 1 || t.sds.Rows() != N)
        throw SubscriptOutOfRange("DisegnaRigheMobili");
    const int32_t cols = CheckedAdd32(V, kLineColumnCount, "DisegnaRigheMobili");
    for (Table2D* tab : {&t.means, &t.sds}) {
        WidenTable(*tab, cols);
        for (int32_t r = 0; r <= N - 2; ++r) std::fill_n(tab->Row(r) + V + 19, 16, 0.0);
    }
    DrawManualLine(ws.VtChart2, t.sds, N, cols, V, SampleSizeDS, ws.SDsLower, ws.SDsUpper);
    DrawManualLine(ws.VtChart1, t.means, N, cols, V, SampleSizeM, ws.MeansLower, ws.MeansUpper);

    const int32_t s = std::max(SampleSizeDS, SampleSizeM);
    ws.Text4.text = FormatInteger(static_cast<int64_t>(s) + 1);

    std::vector<double> a, b;
    VectorsAtSize(ws, s, a, b);
    const SizeStatistics st = StatisticsAtSize(a, b);
    if (SampleSizeM > 2) {
        if (st.meanA == 0.0) throw DivisionByZero("coefficient of variation");
        ws.txtManualMeanBasso.text = Format2(st.minB / st.meanA * 100.0);
        ws.txtManualMeanAlto.text = Format2(st.maxB / st.meanA * 100.0);
    }

    if (ws.StudentMarkDrawn == "1" && studentRedraw) studentRedraw(ws, ui);

    if (ws.Text3.text == ws.Text4.text && ws.txtAutoMeanBasso.text != ".") {
        ws.txtManualMeanAlto.text = ws.txtAutoMeanAlto.text;
        ws.txtManualMeanBasso.text = ws.txtAutoMeanBasso.text;
    }

    const int32_t col = auto0or1 == 0 ? 1 : 2;
    WriteStatisticsColumn(ws, col, st);

    if (auto0or1 == 0) {
        ws.Label31.text = "average (manual): " + AverageText(ws, 1, 1);
        ws.Label28.text = "average (manual): " + AverageText(ws, 1, 4);
        ws.Label31.visible = ws.Label28.visible = true;
    } else if (auto0or1 == 1) {
        ws.Label29.text = "average (auto): " + AverageText(ws, 2, 1);
        ws.Label30.text = "average (auto): " + AverageText(ws, 2, 4);
        ws.Label29.visible = ws.Label30.visible = true;
    }
}

void Slider1_Change(Workspace& ws, Platform& ui) {
    if (!ws.DataTrimmed) {
        ui.MessageBox(kNotTrimmedSliderMessage, MsgButtons::Ok, MsgIcon::Information, kVeltaTitle);
        return;
    }
    const int32_t S = ws.Slider1.value;
    try {
        DisegnaRigheMobili(ws, ui, S - 1, S - 1, 0);
    } catch (const RuntimeError&) {
        // The slider goes on working whatever one size could not show.
    } catch (const std::bad_alloc&) {
    }
    ws.tStudentSampleSize.enabled = true;
}

}  // namespace velta
