// "Automatic": the breakpoint search on hand-built trimmed clouds whose
// envelopes are known, every cell of the results grid and every line column
// against an independent least-squares fit, the Jump >= 2 row layout, large
// V, the failure messages and the error path.
#include "regression/automatic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/commands.h"
#include "base/errors.h"
#include "base/numbers.h"
#include "data/presample.h"
#include "engine/generation.h"
#include "engine/generation_command.h"
#include "model/messages.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;

namespace {

using Rows = std::vector<std::vector<double>>;

// A trimmed workspace: table row r holds means[r] and sds[r] (V values; an
// empty row is all zeros), column V holds a value no envelope may pick up.
Workspace Trimmed(int32_t N, int32_t J, int32_t V, const Rows& means, const Rows& sds) {
    Workspace ws;
    Form_Load(ws);
    ws.Jump = J;
    ws.DataTrimmed = true;
    HideAverageLabels(ws);
    ws.cmdAutoSampleSize.enabled = true;
    ws.MeansLower = 5;
    ws.MeansUpper = 20;
    ws.SDsLower = 0;
    ws.SDsUpper = 3;
    StatsTables& t = ws.TrimmedTable;
    t.V = V;
    t.means.Resize(N, V + 1);
    t.sds.Resize(N, V + 1);
    for (int32_t r = 0; r < N; ++r) {
        for (int32_t j = 0; j < V && r < static_cast<int32_t>(means.size()); ++j) {
            const auto& m = means[static_cast<size_t>(r)];
            const auto& s = sds[static_cast<size_t>(r)];
            if (!m.empty()) t.means(r, j) = m[static_cast<size_t>(j) % m.size()];
            if (!s.empty()) t.sds(r, j) = s[static_cast<size_t>(j) % s.size()];
        }
        t.means(r, V) = 1e9;
        t.sds(r, V) = -1e9;
    }
    for (auto [chart, table] :
         {std::pair{&ws.VtChart1, &t.means}, std::pair{&ws.VtChart2, &t.sds}}) {
        chart->SetDataGrid(N - 2, V);
        chart->LoadBlock(*table, N - 2, V);
        chart->SetCloudSeries(V);
        for (int32_t q = 1; q <= N - 2; ++q) chart->SetRowLabel(q, FormatInteger(q + 1));
    }
    return ws;
}

// Least squares of y(1 .. n) on x = 1 .. n by the textbook sums: an
// independent reference for the fitted lines.
struct Line {
    double intercept, slope, r2;
};
Line Ols(const std::vector<double>& y) {
    const auto n = static_cast<double>(y.size());
    double mx = 0, my = 0;
    for (size_t i = 0; i < y.size(); ++i) mx += double(i + 1) / n, my += y[i] / n;
    double sxx = 0, sxy = 0, syy = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        const double dx = double(i + 1) - mx, dy = y[i] - my;
        sxx += dx * dx, sxy += dx * dy, syy += dy * dy;
    }
    const double b = sxy / sxx;
    return {my - b * mx, b, b * b * sxx / syy};
}

double Cell(const Grid& g, int32_t col, int32_t row) {
    const auto v = ParseNumber(g.CellText(col, row));
    EXPECT_TRUE(v) << "cell " << col << "," << row << ": '" << g.CellText(col, row) << "'";
    return v.value_or(NAN);
}

// Upper, lower and a middle sample, envelope point k at table row k (J = 1),
// N = 10: the QualitySum first rises at the second candidate, K = 4.
const std::vector<double> kUpper{15, 14, 12, 12.6, 11, 10.5, 10.4, 10.45, 10.4};
const std::vector<double> kLower{5, 6, 7.5, 7.4, 9, 9.5, 9.6, 9.55, 9.6};
const std::vector<double> kSdUpper{3, 2.8, 2.5, 2.6, 2.2, 2.1, 2.05, 2.0, 2.02};
const std::vector<double> kSdLower{0.5, 0.8, 1, 1.1, 1.4, 1.5, 1.52, 1.55, 1.56};

Workspace HandBuilt(int32_t V = 3) {
    Rows m, s;
    for (size_t r = 0; r < kUpper.size(); ++r) {
        m.push_back({kUpper[r], kLower[r], (kUpper[r] + kLower[r]) / 2});
        // A zero standard deviation in row 3 (the result's row): the lower
        // coefficient of variation passes over it.
        s.push_back({kSdUpper[r], kSdLower[r], r == 3 ? 0.0 : (kSdUpper[r] + kSdLower[r]) / 2});
    }
    return Trimmed(10, 1, V, m, s);
}

std::vector<double> Slice(const std::vector<double>& v, size_t from, size_t to) {
    return {v.begin() + static_cast<std::ptrdiff_t>(from),
            v.begin() + static_cast<std::ptrdiff_t>(to) + 1};
}

// Every cell of one chart's four line columns and its automatic line.
void ExpectLines(const ChartModel& c, int32_t V, int32_t N, int32_t J, int32_t row, const Line& up,
                 const Line& lo, int32_t lower, int32_t upper) {
    const int32_t K = row / J;
    for (int32_t i = 1; i <= N - 2; ++i) {
        const double x = double(i) / J;
        EXPECT_NEAR(c.Value(i, V + 1), up.intercept + up.slope * x, 1e-9) << i;
        EXPECT_NEAR(c.Value(i, V + 2), lo.intercept + lo.slope * x, 1e-9) << i;
        EXPECT_NEAR(c.Value(i, V + 3), up.intercept + up.slope * K, 1e-9) << i;
        EXPECT_NEAR(c.Value(i, V + 4), lo.intercept + lo.slope * K, 1e-9) << i;
        // The ladder stands only at the result.
        for (int32_t k = 1; k <= 15 && i != row; ++k) EXPECT_EQ(c.Value(i, V + 5 + k), 0.0);
    }
    // Each right line continues its left line at the breakpoint.
    EXPECT_DOUBLE_EQ(c.Value(row, V + 1), c.Value(row, V + 3));
    EXPECT_DOUBLE_EQ(c.Value(row, V + 2), c.Value(row, V + 4));
    const double step = (upper - lower) / 15.0;
    EXPECT_EQ(c.Value(row, V + 5), 0.0);
    for (int32_t k = 1; k <= 14; ++k)
        EXPECT_NEAR(c.Value(row, V + 5 + k), lower + (k - 1) * step, 1e-12) << k;
    for (int32_t s = V + 1; s <= V + 4; ++s) {
        EXPECT_TRUE(c.ShowLine(s)) << s;
        EXPECT_EQ(c.PenColour(s), kFittedLineColour);
        EXPECT_EQ(c.PenWidth(s), 1);
    }
    for (int32_t s = V + 5; s <= V + 20 && s <= c.ColumnCount(); ++s) {
        const Marker m = c.PointMarker(s, row);
        EXPECT_TRUE(m.visible) << s;
        EXPECT_EQ(m.style, kLineMarkerStyle);
        EXPECT_EQ(m.size, kLineMarkerSize);
        // Series V+20 is shared with the manual line.
        if (s < V + 20) {
            EXPECT_EQ(m.fill, kAutoLineColour);
        }
        EXPECT_FALSE(c.ShowLine(s));
    }
}

void RunBoth(Workspace& ws, ScriptedPlatform& ui) {
    CalcolaRigheMedie(ws, ui);
    DisegnaRigheDS(ws, ui);
}

}  // namespace

TEST(AutomaticSampleSize, QualitySumSearchTakesTheFirstStrictRise) {
    const struct {
        std::vector<double> B;  // B(0) included
        int32_t expected;
    } cases[] = {
        {{0, 0.9, 0.8, 0.8, 1.1, 1.5}, 6},  // K = 3 .. 7: the rise at i = 4
        {{0, 0.9, 1.0}, 4},                 // a rise at the second candidate
        {{0, 1.9, 1.5, 1.5, 1.2}, 0},       // only falling or equal: no result
        {{0, 1.0, 1.0, 1.0}, 0},
        {{0, 1.2}, 0},            // one candidate
        {{0}, 0},                 // none (N = 5, Jump = 1)
        {{0, 1.5, 1.2, 0.0}, 0},  // a trailing slot without candidate
        {{0, -1.5, -1.2}, 4},     // rounding may make a sum negative
    };
    for (const auto& c : cases) EXPECT_EQ(FirstStrictRise(c.B), c.expected) << c.B.size();
}

TEST(AutomaticSampleSize, HandBuiltCloudFillsEveryCellAndLine) {
    Workspace ws = HandBuilt();
    ScriptedPlatform ui;
    RunBoth(ws, ui);
    EXPECT_TRUE(ui.messages.empty());
    const int32_t V = 3, row = 4;
    EXPECT_EQ(ws.SampleSizeM, row);
    EXPECT_EQ(ws.SampleSizeDS, row);

    // Independent fits over the envelope points 1 .. K = 4.
    std::vector<double> sdLower = Slice(kSdLower, 1, 4);
    sdLower[2] = 0.0;  // the zero of row 3 is the lower envelope there
    const Line mUp = Ols(Slice(kUpper, 1, 4)), mLo = Ols(Slice(kLower, 1, 4));
    const Line sUp = Ols(Slice(kSdUpper, 1, 4)), sLo = Ols(sdLower);
    // The search: 2 R2 at K = 3 below the sum at K = 4.
    EXPECT_LT(Ols(Slice(kUpper, 1, 3)).r2 + Ols(Slice(kLower, 1, 3)).r2, mUp.r2 + mLo.r2);

    const Grid& g = ws.sprReport;
    const char* titles[] = {"SZ DS",     "SZ M",     "M Int,Slo AS",  "M Int,Slo BS",
                            "M Int AD",  "M Int BD", "DS Int,Slo AS", "DS Int,Slo BS",
                            "DS Int AD", "DS Int BD"};
    for (int32_t r = 1; r <= 10; ++r) EXPECT_EQ(g.CellText(1, r), titles[r - 1]) << r;
    EXPECT_EQ(g.CellText(2, 1), "4");
    EXPECT_EQ(g.CellText(2, 2), "4");
    const struct {
        int32_t row;
        double col2, col3;  // NAN: empty
    } cells[] = {{3, mUp.intercept, mUp.slope},           {4, mLo.intercept, mLo.slope},
                 {5, mUp.intercept + 4 * mUp.slope, NAN}, {6, mLo.intercept + 4 * mLo.slope, NAN},
                 {7, sUp.intercept, sUp.slope},           {8, sLo.intercept, sLo.slope},
                 {9, sUp.intercept + 4 * sUp.slope, NAN}, {10, sLo.intercept + 4 * sLo.slope, NAN}};
    for (const auto& c : cells) {
        EXPECT_NEAR(Cell(g, 2, c.row), c.col2, 1e-12) << c.row;
        if (std::isnan(c.col3))
            EXPECT_EQ(g.CellText(3, c.row), "") << c.row;
        else
            EXPECT_NEAR(Cell(g, 3, c.row), c.col3, 1e-12) << c.row;
    }
    for (int32_t r = 1; r <= 2; ++r) EXPECT_EQ(g.CellText(3, r), "");

    ExpectLines(ws.VtChart1, V, 10, 1, row, mUp, mLo, 5, 20);
    ExpectLines(ws.VtChart2, V, 10, 1, row, sUp, sLo, 0, 3);
    for (const ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        // Loaded with every line column at once; the manual block stays empty.
        EXPECT_EQ(c->ColumnCount(), V + kLineColumnCount);
        for (int32_t s = V + 21; s <= V + kLineColumnCount; ++s)
            for (int32_t i = 1; i <= 8; ++i) {
                EXPECT_EQ(c->Value(i, s), 0.0);
                EXPECT_FALSE(c->PointMarker(s, i).visible);
            }
        EXPECT_EQ(c->RowCount(), 8);
        EXPECT_EQ(c->RowLabel(row), "5");
        EXPECT_EQ(c->CloudSeries(), V);
    }
    // The lines live in the tables' line columns too.
    EXPECT_EQ(ws.TrimmedTable.means.Cols(), V + kLineColumnCount);
    EXPECT_NEAR(ws.TrimmedTable.means(8, V), mUp.intercept + 9 * mUp.slope, 1e-9);

    // Coefficients of variation at row 3 (size 5): the zero is skipped.
    const double m = (kUpper[3] + kLower[3] + (kUpper[3] + kLower[3]) / 2) / 3;
    EXPECT_EQ(ws.txtAutoMeanBasso.text, Format2(kSdLower[3] / m * 100));
    EXPECT_EQ(ws.txtAutoMeanAlto.text, Format2(kSdUpper[3] / m * 100));
    EXPECT_EQ(ws.txtAutoMeanAlto.text, "26.");
}

TEST(AutomaticSampleSize, SecondRunAndLargeCloudsGiveTheSameResult) {
    Workspace once = HandBuilt();
    ScriptedPlatform ui;
    RunBoth(once, ui);
    Workspace twice = once;
    RunBoth(twice, ui);
    EXPECT_EQ(twice.SampleSizeM, once.SampleSizeM);
    EXPECT_EQ(twice.TrimmedTable.means, once.TrimmedTable.means);
    EXPECT_EQ(twice.TrimmedTable.sds, once.TrimmedTable.sds);
    EXPECT_EQ(twice.VtChart1.Data(), once.VtChart1.Data());
    EXPECT_EQ(twice.VtChart2.Data(), once.VtChart2.Data());
    EXPECT_EQ(twice.txtAutoMeanAlto.text, once.txtAutoMeanAlto.text);

    // 40,000 virtual samples (past the 16-bit array routines), repeating the
    // three samples: same envelopes, same lines; the means keep their
    // proportions closely enough for the same coefficients.
    Workspace big = HandBuilt(40000);
    RunBoth(big, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(big.SampleSizeM, once.SampleSizeM);
    for (int32_t r = 1; r <= 10; ++r)
        for (int32_t c = 1; c <= 3; ++c)
            EXPECT_EQ(big.sprReport.CellText(c, r), once.sprReport.CellText(c, r)) << r << c;
    EXPECT_EQ(big.txtAutoMeanAlto.text, "26.");
    EXPECT_EQ(big.VtChart1.ColumnCount(), 40000 + kLineColumnCount);
}

TEST(AutomaticSampleSize, JumpTwoOrMoreReadsTheGeneratedRows) {
    // The generation's layout: step q fills row q*J - 1 (size q*J + 1) and
    // leaves the rows between at 0. Envelope point k comes from step k + 1.
    const double point[] = {14, 12, 12.6, 11, 10.5, 10.4, 10.45, 10.4, 10.42, 10.41};
    for (int32_t N : {21, 40, 100, 400}) {
        const int32_t J = JumpFor(N);
        ASSERT_GE(J, 2);
        Rows m(static_cast<size_t>(N)), s(static_cast<size_t>(N));
        for (int32_t q = 1; q * J + 1 <= N; ++q) {
            const double u = q == 1 ? 15.0 : q - 2 < 10 ? point[q - 2] : 10.4 + 0.01 * (q % 3);
            const double l = 20.0 - u - 0.1 * (q % 2);
            m[static_cast<size_t>(q * J - 1)] = {u, l, (u + l) / 2};
            s[static_cast<size_t>(q * J - 1)] = {2.0 + 1.0 / q, 1.0 - 0.5 / q + 0.01 * (q % 2)};
        }
        Workspace ws = Trimmed(N, J, 3, m, s);
        ScriptedPlatform ui;
        RunBoth(ws, ui);
        EXPECT_TRUE(ui.messages.empty()) << N << ": " << ui.LastMessage();
        // The result is the fourth step: its row holds data and is labelled
        // with the size shown as the result.
        EXPECT_EQ(ws.SampleSizeM, 4 * J) << N;
        const int32_t row = ws.SampleSizeM - 1;
        EXPECT_NE(ws.TrimmedTable.means(row, 0), 0.0) << N;
        EXPECT_EQ(ws.VtChart1.RowLabel(ws.SampleSizeM), FormatInteger(ws.SampleSizeM + 1));
        EXPECT_EQ(ws.sprReport.CellText(2, 2), FormatInteger(4 * J));
        EXPECT_FALSE(ws.txtAutoMeanAlto.text.empty());
        // Lines at x = i / J meet at the breakpoint on both charts.
        for (const ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
            EXPECT_NEAR(c->Value(ws.SampleSizeM, 4), c->Value(ws.SampleSizeM, 6), 1e-12);
            EXPECT_TRUE(c->PointMarker(3 + 5, ws.SampleSizeM).visible);
        }
    }
}

TEST(AutomaticSampleSize, FailuresAndTheErrorPath) {
    ScriptedPlatform ui;
    const auto expectOnly = [&](const char* text, MsgIcon icon) {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, text);
        EXPECT_EQ(ui.messages[0].icon, icon);
        EXPECT_EQ(ui.messages[0].title, "VELTA");
        EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
        ui.messages.clear();
    };
    // A smooth funnel: the left fits only worsen as the breakpoint moves out.
    const auto funnel = [](int32_t N) {
        Rows m;
        for (int32_t r = 0; r + 1 < N; ++r) {
            const double d = 5 * std::exp(-r / 2.0) + 0.05 * (r % 2 ? -1 : 1);
            m.push_back({10 + d, 10 - d, 10});
        }
        return m;
    };
    const auto fill = [](Workspace& ws) {
        for (Field* f : {&ws.txtAutoMeanAlto, &ws.txtAutoMeanBasso, &ws.txtManualMeanAlto,
                         &ws.txtManualMeanBasso, &ws.Text3, &ws.Text4, &ws.Text5})
            f->text = "7";
        ws.AutoSizeDone = "1";
        ws.SampleSizeM = ws.SampleSizeDS = 5;
    };

    // Not trimmed: the message and nothing else.
    Workspace ws = Trimmed(10, 1, 3, funnel(10), funnel(10));
    ws.DataTrimmed = false;
    const Workspace before = ws;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Automatic));
    expectOnly(kApplyFilterMessage, MsgIcon::Information);
    EXPECT_EQ(ws.sprReport.Revision(), before.sprReport.Revision());
    EXPECT_EQ(ws.VtChart1.Revision(), before.VtChart1.Revision());

    // N = 5, Jump = 1: no candidate; N = 10 and 20: a sum that never rises.
    // Nothing else changes.
    for (int32_t N : {5, 10, 20}) {
        ws = Trimmed(N, 1, 3, funnel(N), funnel(N));
        fill(ws);
        const uint64_t grid = ws.sprReport.Revision(), chart = ws.VtChart1.Revision();
        const Table2D means = ws.TrimmedTable.means;
        cmdAutoSampleSize_Click(ws, ui);
        expectOnly(kAutomaticFailedMessage, MsgIcon::Critical);
        EXPECT_EQ(ws.SampleSizeM, 0);
        EXPECT_EQ(ws.SampleSizeDS, 0);
        EXPECT_EQ(ws.Text3.text, "7");
        EXPECT_EQ(ws.AutoSizeDone, "1");
        EXPECT_EQ(ws.sprReport.Revision(), grid);
        EXPECT_EQ(ws.VtChart1.Revision(), chart);
        EXPECT_EQ(ws.TrimmedTable.means, means);
    }

    // N = 4 (and 3): no room for the QualitySum; Jump 0; tables that do not
    // match V. The six result fields are emptied, Text5 stays.
    const auto broken = [&](Workspace w, const char* what) {
        fill(w);
        cmdAutoSampleSize_Click(w, ui);
        expectOnly(kUnexpectedErrorMessage, MsgIcon::Critical);
        for (const Field* f : {&w.txtAutoMeanAlto, &w.txtAutoMeanBasso, &w.txtManualMeanAlto,
                               &w.txtManualMeanBasso, &w.Text3, &w.Text4})
            EXPECT_EQ(f->text, "") << what;
        EXPECT_EQ(w.Text5.text, "7") << what;
        EXPECT_EQ(w.AutoSizeDone, "1") << what;
    };
    broken(Trimmed(4, 1, 3, funnel(4), funnel(4)), "N = 4");
    broken(Trimmed(3, 1, 3, funnel(3), funnel(3)), "N = 3");
    Workspace w = Trimmed(10, 1, 3, funnel(10), funnel(10));
    w.Jump = 0;
    broken(w, "Jump 0");
    w = Trimmed(10, 1, 3, funnel(10), funnel(10));
    w.TrimmedTable.V = 7;
    broken(w, "V too large");
    // A result whose means average to zero has no coefficient of variation.
    // (The cloud moved down by 10: the same fits, and row 3 averages 0.)
    w = HandBuilt();
    for (int32_t r = 0; r < 9; ++r)
        for (int32_t j = 0; j < 3; ++j) w.TrimmedTable.means(r, j) -= 10;
    broken(w, "zero mean");
}

TEST(AutomaticSampleSize, CommandHandsOverToTheManualDrawing) {
    Workspace ws = HandBuilt();
    ws.Slider1.value = 7;
    ScriptedPlatform ui;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Automatic));
    ASSERT_EQ(ui.messages.size(), 1u) << ui.LastMessage();
    EXPECT_EQ(ui.messages[0].text, kTrySliderMessage);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(ui.messages[0].title, "VELTA");
    EXPECT_EQ(ws.AutoSizeDone, "1");
    EXPECT_EQ(ws.Text3.text, "5");
    EXPECT_EQ(ws.Text4.text, "5");
    EXPECT_TRUE(ws.Command1.enabled);
    EXPECT_TRUE(ws.tStudentSampleSize.enabled);
    // The slider: re-armed, the automatic size marked, the position kept.
    EXPECT_EQ(ws.Slider1.selStart, 5);
    EXPECT_EQ(ws.Slider1.max, 9);
    EXPECT_EQ(ws.Slider1.value, 7);
    // The automatic column of the statistics at size 5 (row 3) and its labels.
    const double m = (kUpper[3] + kLower[3] + (kUpper[3] + kLower[3]) / 2) / 3;
    EXPECT_NEAR(Cell(ws.sprRep, 2, 1), m, 1e-12);
    EXPECT_NEAR(Cell(ws.sprRep, 2, 2), kUpper[3], 1e-12);
    EXPECT_NEAR(Cell(ws.sprRep, 2, 3), kLower[3], 1e-12);
    EXPECT_NEAR(Cell(ws.sprRep, 2, 5), kSdUpper[3], 1e-12);
    EXPECT_NEAR(Cell(ws.sprRep, 2, 6), kSdLower[3], 1e-12);
    EXPECT_EQ(ws.sprRep.CellText(1, 1), "");
    EXPECT_EQ(ws.Label29.text, "average (auto): " + Format4(m));
    EXPECT_TRUE(ws.Label29.visible && ws.Label30.visible);
    EXPECT_FALSE(ws.Label31.visible);
    // Equal sizes, equal coefficients.
    EXPECT_EQ(ws.txtManualMeanAlto.text, ws.txtAutoMeanAlto.text);
    EXPECT_EQ(ws.txtManualMeanBasso.text, ws.txtAutoMeanBasso.text);
    // Both charts keep the lines and gain the manual block at the same size.
    for (const ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        EXPECT_EQ(c->ColumnCount(), 3 + kLineColumnCount);
        EXPECT_TRUE(c->ShowLine(4));
        EXPECT_NE(c->Value(1, 4), 0.0);
        EXPECT_EQ(c->PointMarker(3 + 5, 4).fill, kAutoLineColour);
        EXPECT_EQ(c->PointMarker(3 + 35, 4).fill, kManualLineColour);
    }

    // A slider move afterwards leaves the automatic results alone.
    const std::string autoColumn = ws.sprRep.CellText(2, 1);
    ws.Slider1.value = 7;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Slider));
    EXPECT_EQ(ws.Text3.text, "5");
    EXPECT_EQ(ws.Text4.text, "7");
    EXPECT_EQ(ws.sprRep.CellText(2, 1), autoColumn);
    EXPECT_TRUE(ws.VtChart1.PointMarker(3 + 5, 4).visible);

    // Run again without a new trimming: the same result and lines.
    const Table2D lines = ws.TrimmedTable.means;
    ui.messages.clear();
    EXPECT_TRUE(RunCommand(ws, ui, Command::Automatic));
    EXPECT_EQ(ui.LastMessage(), kTrySliderMessage);
    EXPECT_EQ(ws.Text3.text, "5");
    for (int32_t r = 0; r < 9; ++r)
        for (int32_t c = 3; c < 7; ++c) EXPECT_EQ(ws.TrimmedTable.means(r, c), lines(r, c));
}

TEST(AutomaticSampleSize, GeneratedAndTrimmedCloudsOfEveryJump) {
    // The whole road: pre-sample, generation, trimming, Automatic. With
    // Jump >= 2 (N >= 21) the result lies on a generated row and Text3 names
    // that row's category.
    for (int32_t N : {12, 20, 21, 40, 100, 400}) {
        Workspace ws;
        Form_Load(ws);
        ScriptedPlatform ui;
        for (int32_t i = 1; i <= N; ++i) ws.sprMain.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
        ASSERT_TRUE(ComputePreSampleStats(ws, ui));
        ws.txtLimite.text = "250";
        RandomSource rng;
        RunGeneration(ws, ui, rng);
        ASSERT_TRUE(RunCommand(ws, ui, Command::Trim));
        ui.messages.clear();
        ASSERT_TRUE(RunCommand(ws, ui, Command::Automatic));
        EXPECT_EQ(ui.LastMessage(), kTrySliderMessage) << N;
        const int32_t J = ws.Jump, row = ws.SampleSizeM;
        EXPECT_EQ(row % J, 0) << N;
        EXPECT_GE(row, 4 * J) << N;
        EXPECT_LE(row, N - 3 * J) << N;
        for (const StatsTables* t : {&ws.VirtualSampleTable, &ws.TrimmedTable})
            EXPECT_NE(t->means(row - 1, 0), 0.0) << N;
        EXPECT_EQ(ws.Text3.text, ws.VtChart1.RowLabel(row)) << N;
        EXPECT_EQ(ws.Text3.text, ws.VtChart2.RowLabel(row)) << N;
        EXPECT_EQ(ws.sprReport.CellText(2, 2), FormatInteger(row));
        EXPECT_EQ(ws.Slider1.selStart, row + 1);
        EXPECT_NE(ws.txtAutoMeanAlto.text, "");
        EXPECT_NE(ws.sprRep.CellText(2, 6), "");
    }
}
