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

// The rows the generation fills: q*Jump - 1 for q = 1, 2, ... while the
// prefix size q*Jump + 1 does not exceed N.
int32_t LastGeneratedQ(int32_t N, int32_t J) {
    return (N - 1) / J;
}

void CopyRow(const StatsTables& t, int32_t row, int32_t V, std::vector<double>& a,
             std::vector<double>& b) {
    if (row < 0 || row >= t.means.Rows() || row >= t.sds.Rows())
        throw SubscriptOutOfRange("VectorsAtSize");
    std::copy(t.means.Row(row), t.means.Row(row) + V, a.begin() + 1);
    std::copy(t.sds.Row(row), t.sds.Row(row) + V, b.begin() + 1);
}

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
    const int32_t V = t.V;
    const int32_t J = ws.Jump;
    const int32_t N = t.means.Rows();
    if (t.Empty() || V < 1 || J < 1 || s < 1 || t.means.Cols() < V || t.sds.Cols() < V)
        throw SubscriptOutOfRange("VectorsAtSize");
    a.assign(static_cast<size_t>(V) + 1, 0.0);
    b.assign(static_cast<size_t>(V) + 1, 0.0);
    const int32_t q = s / J;
    if (q * J == s) {
        CopyRow(t, s - 1, V, a, b);
        return;
    }
    // Below the first generated row there is nothing to interpolate from,
    // and above the last one only empty rows: take the nearest generated row.
    const int32_t lastQ = LastGeneratedQ(N, J);
    if (q == 0) {
        CopyRow(t, J - 1, V, a, b);
        return;
    }
    if (q >= lastQ) {
        CopyRow(t, std::min(q, lastQ) * J - 1, V, a, b);
        return;
    }
    const int32_t lo = q * J, hi = (q + 1) * J;
    const double* mLo = t.means.Row(lo - 1);
    const double* mHi = t.means.Row(hi - 1);
    const double* sLo = t.sds.Row(lo - 1);
    const double* sHi = t.sds.Row(hi - 1);
    for (int32_t j = 1; j <= V; ++j) {
        a[static_cast<size_t>(j)] = Interpolate(lo, hi, mLo[j - 1], mHi[j - 1], s);
        b[static_cast<size_t>(j)] = Interpolate(lo, hi, sLo[j - 1], sHi[j - 1], s);
    }
}

SizeStatistics StatisticsAtSize(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() < 2 || a.size() != b.size()) throw SubscriptOutOfRange("StatisticsAtSize");
    const size_t n = a.size() - 1;
    SizeStatistics st;
    st.maxA = st.minA = a[1];
    st.maxB = st.minB = b[1];
    // Sums from 0 in position order, as the array mean adds them.
    double sumA = 0.0, sumB = 0.0;
    bool nonZeroSeen = false;
    for (size_t i = 1; i <= n; ++i) {
        const double x = a[i], y = b[i];
        sumA += x;
        sumB += y;
        if (x > st.maxA) st.maxA = x;
        if (x < st.minA) st.minA = x;
        if (y > st.maxB) st.maxB = y;
        if (y < st.minB) st.minB = y;
        if (y != 0.0) {
            if (!nonZeroSeen) {
                st.minNonZeroB = y;
                nonZeroSeen = true;
            } else if (y < st.minNonZeroB) {
                st.minNonZeroB = y;
            }
        }
    }
    st.meanA = sumA / static_cast<double>(n);
    st.meanB = sumB / static_cast<double>(n);
    return st;
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
