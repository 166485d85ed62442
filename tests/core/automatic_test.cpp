// "Automatic": the breakpoint search, a hand-built trimmed cloud against
// independent least-squares fits, the whole road, failures and errors.
#include "regression/automatic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "base/numbers.h"
#include "charts/manual.h"
#include "headless.h"

using namespace velta;

namespace {

using Rows = std::vector<std::vector<double>>;

// A trimmed workspace (Jump 1): table row r holds the V values means[r] and
// sds[r], repeated when V is larger; column V holds values no envelope may
// pick up.
Workspace Trimmed(int32_t N, int32_t V, const Rows& means, const Rows& sds) {
    Workspace ws;
    Form_Load(ws);
    HideAverageLabels(ws);
    ws.Jump = 1;
    ws.DataTrimmed = true;
    ws.cmdAutoSampleSize.enabled = true;
    ws.MeansLower = 5, ws.MeansUpper = 20, ws.SDsLower = 0, ws.SDsUpper = 3;
    StatsTables& t = ws.TrimmedTable;
    t.V = V;
    t.means.Resize(N, V + 1);
    t.sds.Resize(N, V + 1);
    for (int32_t r = 0; r + 1 < N; ++r)
        for (int32_t j = 0; j < V; ++j) {
            const auto &m = means[size_t(r)], &s = sds[size_t(r)];
            t.means(r, j) = m[size_t(j) % m.size()];
            t.sds(r, j) = s[size_t(j) % s.size()];
        }
    for (int32_t r = 0; r < N; ++r) t.means(r, V) = 1e9, t.sds(r, V) = -1e9;
    ReloadChart(ws.VtChart1, t.means, N, V);
    ReloadChart(ws.VtChart2, t.sds, N, V);
    ws.VtChart1.SetCloudSeries(V);
    ws.VtChart2.SetCloudSeries(V);
    return ws;
}

// Least squares of y(1 .. n) on x = 1 .. n by the textbook sums.
struct Line {
    double intercept, slope, r2;
};
Line Ols(std::vector<double> y) {
    const auto n = double(y.size());
    double mx = (n + 1) / 2, my = 0, sxx = 0, sxy = 0, syy = 0;
    for (double v : y) my += v / n;
    for (size_t i = 0; i < y.size(); ++i) {
        const double dx = double(i + 1) - mx, dy = y[i] - my;
        sxx += dx * dx, sxy += dx * dy, syy += dy * dy;
    }
    return {my - sxy / sxx * mx, sxy / sxx, sxy * sxy / sxx / syy};
}

double Cell(const Grid& g, int32_t col, int32_t row) {
    return ParseNumber(g.CellText(col, row)).value_or(NAN);
}

// Upper, lower and middle sample of N = 10 rows (row 9 empty): envelope
// point k is row k. The QualitySum first rises at the second candidate,
// K = 4: the result is row 4, size 5.
const std::vector<double> kUp{15, 14, 12, 12.6, 11, 10.5, 10.4, 10.45, 10.4};
const std::vector<double> kLo{5, 6, 7.5, 7.4, 9, 9.5, 9.6, 9.55, 9.6};
const std::vector<double> kSdUp{3, 2.8, 2.5, 2.6, 2.2, 2.1, 2.05, 2.0, 2.02};
const std::vector<double> kSdLo{0.5, 0.8, 1, 1.1, 1.4, 1.5, 1.52, 1.55, 1.56};

Workspace HandBuilt(int32_t V = 3) {
    Rows m, s;
    for (size_t r = 0; r < kUp.size(); ++r) {
        m.push_back({kUp[r], kLo[r], (kUp[r] + kLo[r]) / 2});
        // A zero in the result's row: the lower coefficient passes over it.
        s.push_back({kSdUp[r], kSdLo[r], r == 3 ? 0.0 : 2.0});
    }
    return Trimmed(10, V, m, s);
}

std::vector<double> Points(const std::vector<double>& v, size_t K) {
    return {v.begin() + 1, v.begin() + 1 + std::ptrdiff_t(K)};
}

using test::ExpectOnlyMessage;

}  // namespace

TEST(AutomaticSampleSize, QualitySumSearchTakesTheFirstStrictRise) {
    const struct {
        std::vector<double> B;  // B(0) included
        int32_t expected;
    } cases[] = {
        {{0, 0.9, 0.8, 0.8, 1.1, 1.5}, 6},  // K = 3 .. 7: the rise at i = 4
        {{0, 0.9, 1.0}, 4},
        {{0, 1.9, 1.5, 1.5, 1.2}, 0},
        {{0, 1.0, 1.0, 1.0}, 0},
        {{0, 1.2}, 0},
        {{0}, 0},
        {{0, 1.5, 1.2, 0.0}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FirstStrictRise(c.B), c.expected) << c.B.size();
}

TEST(AutomaticSampleSize, HandBuiltCloudFillsEveryCellAndLine) {
    Workspace ws = HandBuilt();
    ws.Slider1.value = 7;
    ScriptedPlatform ui;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Automatic));
    ExpectOnlyMessage(ui, kTrySliderMessage, MsgIcon::Information);
    const int32_t V = 3, row = 4;
    EXPECT_EQ(std::tuple(ws.SampleSizeM, ws.SampleSizeDS, ws.Slider1.selStart, ws.Slider1.value),
              std::tuple(row, row, 5, 7));
    EXPECT_EQ(std::tuple(ws.AutoSizeDone, ws.Text3.text, ws.Text4.text),
              std::tuple(std::string("1"), std::string("5"), std::string("5")));
    EXPECT_TRUE(ws.Command1.enabled && ws.tStudentSampleSize.enabled);

    // The search, and every cell of sprReport against independent fits.
    EXPECT_LT(Ols(Points(kUp, 3)).r2 + Ols(Points(kLo, 3)).r2,
              Ols(Points(kUp, 4)).r2 + Ols(Points(kLo, 4)).r2);
    std::vector<double> sdLo = Points(kSdLo, 4);
    sdLo[2] = 0.0;  // the zero of row 3 is the lower envelope there
    const Line fit[] = {Ols(Points(kUp, 4)), Ols(Points(kLo, 4)), Ols(Points(kSdUp, 4)), Ols(sdLo)};
    const char* titles[] = {"SZ DS",     "SZ M",     "M Int,Slo AS",  "M Int,Slo BS",
                            "M Int AD",  "M Int BD", "DS Int,Slo AS", "DS Int,Slo BS",
                            "DS Int AD", "DS Int BD"};
    const Grid& g = ws.sprReport;
    for (int32_t r = 1; r <= 10; ++r) EXPECT_EQ(g.CellText(1, r), titles[r - 1]) << r;
    EXPECT_EQ(std::pair(g.CellText(2, 1), g.CellText(2, 2)),
              std::pair(std::string("4"), std::string("4")));
    for (int32_t chart = 0; chart < 2; ++chart) {
        for (int32_t k = 0; k < 2; ++k) {
            const Line& l = fit[2 * chart + k];
            const int32_t r = 3 + 4 * chart + k;
            EXPECT_NEAR(Cell(g, 2, r), l.intercept, 1e-12) << r;
            EXPECT_NEAR(Cell(g, 3, r), l.slope, 1e-12) << r;
            EXPECT_NEAR(Cell(g, 2, r + 2), l.intercept + 4 * l.slope, 1e-12) << r + 2;
            EXPECT_EQ(g.CellText(3, r + 2), "");
        }
    }

    // Both charts: the lines in their series, the automatic line at size 5
    // and the manual line drawn over it.
    const ChartModel* charts[] = {&ws.VtChart1, &ws.VtChart2};
    for (int32_t chart = 0; chart < 2; ++chart) {
        const ChartModel& c = *charts[chart];
        const Line &up = fit[2 * chart], &lo = fit[2 * chart + 1];
        EXPECT_EQ(c.ColumnCount(), V + kLineColumnCount);
        for (int32_t i = 1; i <= 8; ++i) {
            EXPECT_NEAR(c.Value(i, V + 1), up.intercept + up.slope * i, 1e-9);
            EXPECT_NEAR(c.Value(i, V + 2), lo.intercept + lo.slope * i, 1e-9);
            EXPECT_NEAR(c.Value(i, V + 3), up.intercept + up.slope * 4, 1e-9);
            EXPECT_NEAR(c.Value(i, V + 4), lo.intercept + lo.slope * 4, 1e-9);
            EXPECT_EQ(c.Value(i, V + 6), i == row ? (chart ? 0.0 : 5.0) : 0.0);
        }
        // The right lines continue the left ones at the breakpoint.
        EXPECT_DOUBLE_EQ(c.Value(row, V + 1), c.Value(row, V + 3));
        EXPECT_DOUBLE_EQ(c.Value(row, V + 2), c.Value(row, V + 4));
        for (int32_t s = V + 1; s <= V + 4; ++s)
            EXPECT_TRUE(c.ShowLine(s) && c.PenColour(s) == kFittedLineColour && c.PenWidth(s) == 1);
        for (int32_t s = V + 5; s <= V + 35; ++s) {
            const Marker m = c.PointMarker(s, row);
            EXPECT_TRUE(m.visible && m.size == kLineMarkerSize && !c.ShowLine(s)) << s;
            EXPECT_EQ(m.fill, s < V + 20 ? kAutoLineColour : kManualLineColour) << s;
        }
    }

    // The statistics of size 5: coefficients, automatic column and labels.
    const double m = (kUp[3] + kLo[3] + (kUp[3] + kLo[3]) / 2) / 3;
    EXPECT_EQ(ws.txtAutoMeanBasso.text, Format2(kSdLo[3] / m * 100));
    EXPECT_EQ(ws.txtAutoMeanAlto.text, "26.");
    EXPECT_EQ(ws.txtManualMeanAlto.text, "26.");
    const double column[] = {m, kUp[3], kLo[3], (kSdUp[3] + kSdLo[3]) / 3, kSdUp[3], kSdLo[3]};
    for (int32_t r = 1; r <= 6; ++r) EXPECT_NEAR(Cell(ws.sprRep, 2, r), column[r - 1], 1e-12);
    EXPECT_EQ(ws.Label29.text, "average (auto): " + Format4(m));
    EXPECT_TRUE(ws.Label29.visible && ws.Label30.visible && !ws.Label31.visible);

    // A slider move leaves the automatic results alone; a second run gives
    // the same result; so do 40,000 virtual samples (past 16-bit routines).
    ws.Slider1.value = 7;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Slider));
    EXPECT_EQ(ws.Text3.text, "5");
    EXPECT_EQ(ws.sprRep.CellText(2, 1), FormatGeneral(m));
    EXPECT_TRUE(ws.VtChart1.PointMarker(V + 5, row).visible);
    const Table2D lines = ws.TrimmedTable.means;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Automatic));
    ExpectOnlyMessage(ui, kTrySliderMessage, MsgIcon::Information);
    EXPECT_EQ(ws.Text3.text, "5");
    for (int32_t r = 0; r < 9; ++r)
        for (int32_t c = V; c < V + 4; ++c) EXPECT_EQ(ws.TrimmedTable.means(r, c), lines(r, c));
    Workspace big = HandBuilt(40000);
    EXPECT_TRUE(RunCommand(big, ui, Command::Automatic));
    ExpectOnlyMessage(ui, kTrySliderMessage, MsgIcon::Information);
    for (int32_t r = 1; r <= 10; ++r)
        for (int32_t c = 1; c <= 3; ++c) EXPECT_EQ(big.sprReport.CellText(c, r), g.CellText(c, r));
    EXPECT_EQ(big.txtAutoMeanAlto.text, "26.");
}

TEST(AutomaticSampleSize, GeneratedAndTrimmedCloudsOfEverySampleSizeStep) {
    // The whole road. With Jump >= 2 (N >= 21) only the rows q*Jump - 1 hold
    // data: the result lies on one of them and Text3 names its category.
    for (int32_t N : {12, 21, 40, 100, 400}) {
        test::Session s(N, "250", [](int32_t i) { return 20.0 + std::fmod(i * 7.31, 9.7); });
        Workspace& ws = s.ws;
        ScriptedPlatform& ui = s.ui;
        s.Generate();
        ASSERT_TRUE(RunCommand(ws, ui, Command::Trim));
        ui.messages.clear();
        ASSERT_TRUE(RunCommand(ws, ui, Command::Automatic));
        ExpectOnlyMessage(ui, kTrySliderMessage, MsgIcon::Information);
        const int32_t J = ws.Jump, row = ws.SampleSizeM;
        EXPECT_TRUE(row % J == 0 && row >= 4 * J && row <= N - 3 * J) << N << " " << row;
        EXPECT_NE(ws.TrimmedTable.means(row - 1, 0), 0.0) << N;
        EXPECT_EQ(ws.Text3.text, ws.VtChart1.RowLabel(row)) << N;
        EXPECT_EQ(ws.sprReport.CellText(2, 2), FormatInteger(row));
        EXPECT_NE(ws.txtAutoMeanAlto.text, "");
    }
}

TEST(AutomaticSampleSize, FailuresAndTheErrorPath) {
    ScriptedPlatform ui;
    // A smooth funnel: the left fits only worsen as the breakpoint moves out.
    const auto funnel = [](int32_t N) {
        Rows m;
        for (int32_t r = 0; r + 1 < N; ++r) {
            const double d = 5 * std::exp(-r / 2.0) + 0.05 * (r % 2 ? -1 : 1);
            m.push_back({10 + d, 10 - d, 10});
        }
        return m;
    };
    const auto run = [&](Workspace& ws) {
        for (Field* f : {&ws.txtAutoMeanAlto, &ws.txtAutoMeanBasso, &ws.txtManualMeanAlto,
                         &ws.txtManualMeanBasso, &ws.Text3, &ws.Text4, &ws.Text5})
            f->text = "7";
        ws.AutoSizeDone = "1";
        cmdAutoSampleSize_Click(ws, ui);
    };

    // Not trimmed: the message and nothing else.
    Workspace ws = Trimmed(10, 3, funnel(10), funnel(10));
    ws.DataTrimmed = false;
    const uint64_t grid = ws.sprReport.Revision(), chart = ws.VtChart1.Revision();
    run(ws);
    ExpectOnlyMessage(ui, kApplyFilterMessage, MsgIcon::Information);
    EXPECT_TRUE(ws.sprReport.Revision() == grid && ws.VtChart1.Revision() == chart);

    // No candidate (N = 5) or a sum that never rises: no result, nothing
    // else changes.
    for (int32_t N : {5, 10, 20}) {
        ws = Trimmed(N, 3, funnel(N), funnel(N));
        const Workspace before = ws;
        run(ws);
        ExpectOnlyMessage(ui, kAutomaticFailedMessage, MsgIcon::Critical);
        EXPECT_EQ(ws.SampleSizeM + ws.SampleSizeDS, 0);
        EXPECT_TRUE(ws.Text3.text == "7" && ws.AutoSizeDone == "1");
        EXPECT_EQ(ws.sprReport.Revision(), before.sprReport.Revision());
        EXPECT_EQ(ws.VtChart1.Revision(), before.VtChart1.Revision());
        EXPECT_EQ(ws.TrimmedTable.means, before.TrimmedTable.means);
    }

    // N = 4 or 3 leave no room for the QualitySum; a Jump of 0; tables that
    // do not match V; a result whose means average 0 (the hand-built cloud
    // moved down by 10: same fits). Six fields emptied, Text5 kept.
    std::vector<Workspace> broken{Trimmed(4, 3, funnel(4), funnel(4)),
                                  Trimmed(3, 3, funnel(3), funnel(3)), HandBuilt(), HandBuilt(),
                                  HandBuilt()};
    broken[2].Jump = 0;
    broken[3].TrimmedTable.V = 7;
    for (int32_t r = 0; r < 9; ++r)
        for (int32_t j = 0; j < 3; ++j) broken[4].TrimmedTable.means(r, j) -= 10;
    for (Workspace& w : broken) {
        run(w);
        ExpectOnlyMessage(ui, kUnexpectedErrorMessage, MsgIcon::Critical);
        for (const Field* f : {&w.txtAutoMeanAlto, &w.txtAutoMeanBasso, &w.txtManualMeanAlto,
                               &w.txtManualMeanBasso, &w.Text3, &w.Text4})
            EXPECT_EQ(f->text, "");
        EXPECT_EQ(w.Text5.text, "7");
    }
}
