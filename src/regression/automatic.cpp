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

// A piece of the cloud as Inviluppo reads it, reduced to what its envelopes
// depend on: row k holds the largest (column 0) and the smallest (column 1)
// value of table row tableRow(k); column 2 is the unread column after the
// samples. A table row outside the table reads as zeros.
template <class RowOf>
Table2D Piece(const RowExtremes& cloud, int32_t rows, RowOf tableRow) {
    Table2D p(rows, 3);
    const auto n = static_cast<int64_t>(cloud.max.size());
    for (int32_t k = 0; k < rows; ++k) {
        const int64_t r = tableRow(k);
        if (r < 0 || r >= n) continue;
        p(k, 0) = cloud.max[static_cast<size_t>(r)];
        p(k, 1) = cloud.min[static_cast<size_t>(r)];
    }
    return p;
}

constexpr int32_t kPieceSamples = 2;

// sprReport rows first .. first + 3: the two sloped lines (intercept,
// slope) and the two levels.
void WriteLineRows(Grid& g, int32_t first, const char* const titles[4], const BrokenStick& f,
                   int32_t K) {
    for (int32_t k = 0; k < 4; ++k) g.SetCell(1, first + k, titles[k]);
    g.SetCell(2, first, f.upper[1]);
    g.SetCell(3, first, f.upper[2]);
    g.SetCell(2, first + 1, f.lower[1]);
    g.SetCell(3, first + 1, f.lower[2]);
    g.SetCell(2, first + 2, f.UpperLevel(K));
    g.SetCell(2, first + 3, f.LowerLevel(K));
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
void DrawLines(ChartModel& chart, Table2D& t, const Shape& s, int32_t K, const BrokenStick& f,
               int32_t point, int32_t lower, int32_t upper) {
    const int32_t V = s.V;
    // One widening to every line column: the manual line needs them next.
    WidenTable(t, V + kLineColumnCount);
    const double upperLevel = f.UpperLevel(K), lowerLevel = f.LowerLevel(K);
    for (int32_t i = 1; i <= s.N - 1; ++i) {
        const double x = static_cast<double>(i) / s.J;
        double* row = t.Row(i - 1);
        row[V] = f.upper[1] + f.upper[2] * x;
        row[V + 1] = f.lower[1] + f.lower[2] * x;
        row[V + 2] = upperLevel;
        row[V + 3] = lowerLevel;
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

RowExtremes CloudRowExtremes(const Table2D& t, int32_t V) {
    if (V < 1 || V > t.Cols()) throw SubscriptOutOfRange("CloudRowExtremes");
    RowExtremes e;
    e.max.resize(static_cast<size_t>(t.Rows()));
    e.min.resize(static_cast<size_t>(t.Rows()));
    for (int32_t r = 0; r < t.Rows(); ++r) {
        const double* x = t.Row(r);
        double hi = x[0], lo = x[0];
        for (int32_t j = 1; j < V; ++j) {
            hi = x[j] > hi ? x[j] : hi;
            lo = x[j] < lo ? x[j] : lo;
        }
        e.max[static_cast<size_t>(r)] = hi;
        e.min[static_cast<size_t>(r)] = lo;
    }
    return e;
}

BrokenStick FitBrokenStick(const RowExtremes& cloud, int32_t K, int32_t N, int32_t J,
                           Platform& ui) {
    if (K < 1 || J < 1) throw SubscriptOutOfRange("FitBrokenStick");
    const int64_t S = static_cast<int64_t>(K) * J;
    // Left piece: points k = 0 .. K (row 0 is never read).
    const Table2D left =
        Piece(cloud, K + 1, [&](int32_t k) { return static_cast<int64_t>(k) * J + J - 1; });
    // Right piece: from the breakpoint on, as long as the step's first row
    // lies in the table; the breakpoint belongs to both pieces.
    const int32_t rightRows = RoundToInt32(static_cast<double>(N) / J - static_cast<double>(K)) + 1;
    if (rightRows < 1) throw SubscriptOutOfRange("FitBrokenStick: right piece");
    const Table2D right = Piece(cloud, rightRows, [&](int32_t k) -> int64_t {
        const int64_t first = S + static_cast<int64_t>(k) * J;
        return first <= N - 1 ? first + J - 1 : -1;
    });

    BrokenStick f;
    Table2D env;
    Inviluppo(true, kPieceSamples, K, left, env, true, N, J);
    f.r2[1] = AdattaRetta(env, 2, f.upper, true, K, 0.0, ui);
    Inviluppo(false, kPieceSamples, K, left, env, true, N, J);
    f.r2[2] = AdattaRetta(env, 2, f.lower, true, K, 0.0, ui);
    // A right piece judges a given level and leaves its coefficients alone.
    std::array<double, 3> unused{};
    Inviluppo(true, kPieceSamples, K, right, env, false, N, J);
    f.r2[3] = AdattaRetta(env, 2, unused, false, K, f.UpperLevel(K), ui);
    Inviluppo(false, kPieceSamples, K, right, env, false, N, J);
    f.r2[4] = AdattaRetta(env, 2, unused, false, K, f.LowerLevel(K), ui);
    return f;
}

int32_t FirstStrictRise(const std::vector<double>& B) {
    for (size_t i = 2; i < B.size(); ++i)
        if (B[i] > B[i - 1]) return static_cast<int32_t>(i) + 2;
    return 0;
}

void CalcolaRigheMedie(Workspace& ws, Platform& ui) {
    const Shape s = ShapeOf(ws);
    const int32_t N = s.N, J = s.J;
    const double steps = static_cast<double>(N) / J;
    // The R2 table A(0 .. round(N/J), 1 .. 4) and the QualitySum
    // B(0 .. round(N/J - 5)); too few steps leave no room for B.
    const int32_t aUpper = RoundToInt32(steps);
    const int32_t bUpper = RoundToInt32(steps - 5.0);
    if (bUpper < 0) throw SubscriptOutOfRange("QualitySum");
    Table2D A(aUpper + 1, 5);
    std::vector<double> B(static_cast<size_t>(bUpper) + 1, 0.0);

    const RowExtremes cloud = CloudRowExtremes(ws.TrimmedTable.means, s.V);
    std::vector<BrokenStick> fits;  // candidate K at K - 3
    for (int64_t S = 3LL * J; S <= static_cast<int64_t>(N) - 3LL * J; S += J) {
        const auto K = static_cast<int32_t>(S / J);
        fits.push_back(FitBrokenStick(cloud, K, N, J, ui));
        if (K - 2 > aUpper) throw SubscriptOutOfRange("R2 table");
        for (int32_t c = 1; c <= 4; ++c) A(K - 2, c) = fits.back().r2[static_cast<size_t>(c)];
    }
    for (size_t k = 1; k <= fits.size(); ++k) {
        if (k >= B.size()) throw SubscriptOutOfRange("QualitySum");
        const std::array<double, 5> w{0.0, A(static_cast<int32_t>(k), 1),
                                      A(static_cast<int32_t>(k), 2), A(static_cast<int32_t>(k), 3),
                                      A(static_cast<int32_t>(k), 4)};
        B[k] = ArraySum(w);
    }

    ws.SampleSizeM = FirstStrictRise(B);
    if (static_cast<int64_t>(J) * ws.SampleSizeM > N) ws.SampleSizeM = 0;
    if (ws.SampleSizeM == 0) {
        ui.MessageBox(kAutomaticFailedMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    }

    const int32_t K = ws.SampleSizeM;
    const int32_t row = K * J;  // S*, the breakpoint's table row
    ws.sprReport.SetCell(1, 2, "SZ M");
    ws.sprReport.SetCell(2, 2, static_cast<double>(row));
    ws.SampleSizeM = row;

    // A QualitySum slot past the last candidate holds 0 and cannot rise above
    // a sum of R2, so the chosen candidate always has its fit.
    if (static_cast<size_t>(K - 3) >= fits.size()) throw SubscriptOutOfRange("QualitySum");
    const BrokenStick& f = fits[static_cast<size_t>(K - 3)];
    WriteLineRows(ws.sprReport, 3, kMeansTitles, f, K);
    Table2D& means = ws.TrimmedTable.means;
    DrawLines(ws.VtChart1, means, s, K, f, row, ws.MeansLower, ws.MeansUpper);

    // Coefficients of variation of the result's row (the size shown in
    // Text3): its standard deviations over the mean of its means.
    std::vector<double> a, b;
    VectorsAtSize(ws, row, a, b);
    const SizeStatistics st = StatisticsAtSize(a, b);
    if (st.meanA == 0.0) throw DivisionByZero("automatic coefficients of variation");
    ws.txtAutoMeanBasso.text = Format2(st.minNonZeroB / st.meanA * 100.0);
    ws.txtAutoMeanAlto.text = Format2(st.maxB / st.meanA * 100.0);
}

void DisegnaRigheDS(Workspace& ws, Platform& ui) {
    const Shape s = ShapeOf(ws);
    ws.SampleSizeDS = ws.SampleSizeM;
    if (ws.SampleSizeDS == 0) return;
    const int32_t row = ws.SampleSizeDS;
    ws.sprReport.SetCell(1, 1, "SZ DS");
    ws.sprReport.SetCell(2, 1, static_cast<double>(row));

    // The standard deviations' own broken stick at the means' breakpoint.
    const int32_t K = row / s.J;
    Table2D& sds = ws.TrimmedTable.sds;
    const BrokenStick f = FitBrokenStick(CloudRowExtremes(sds, s.V), K, s.N, s.J, ui);
    WriteLineRows(ws.sprReport, 7, kSDsTitles, f, K);
    DrawLines(ws.VtChart2, sds, s, K, f, row, ws.SDsLower, ws.SDsUpper);
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
