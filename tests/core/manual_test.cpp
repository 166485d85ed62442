// The slider and the movable lines driven headless.
#include "charts/manual.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"
#include "headless.h"

using namespace velta;

namespace {

// A trimmed workspace built by hand: N units, V virtual samples, step J;
// the rows q*J - 1 (q*J + 1 <= N) hold value(row, column), the others 0.
struct Trimmed {
    Workspace ws;
    ScriptedPlatform ui;

    Trimmed(int32_t N, int32_t V, int32_t J,
            const std::function<double(int32_t, int32_t, bool)>& value) {
        Form_Load(ws);
        ws.Jump = J;
        StatsTables& t = ws.TrimmedTable;
        t.means.Resize(N, V + 1);
        t.sds.Resize(N, V + 1);
        t.V = V;
        for (int32_t q = 1; q * J + 1 <= N; ++q)
            for (int32_t c = 0; c < V; ++c) {
                t.means(q * J - 1, c) = value(q * J - 1, c, true);
                t.sds(q * J - 1, c) = value(q * J - 1, c, false);
            }
        ws.VirtualSampleTable = t;
        ws.MeansLower = 10, ws.MeansUpper = 25, ws.SDsLower = 0, ws.SDsUpper = 15;
        ws.DataTrimmed = true;
        ws.Slider1 = {2, N - 1, J, N / 2, 3, true};
        ws.tStudentSampleSize.enabled = false;
        for (ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
            ReloadChart(*c, c == &ws.VtChart1 ? t.means : t.sds, N, V);
            c->SetCloudSeries(V);
        }
    }
    bool Slide(int32_t S) { return RunSlider(ws, ui, S); }
    int32_t V() const { return ws.TrimmedTable.V; }
};

double Plain(int32_t r, int32_t c, bool mean) {
    return mean ? 15.0 + r + 0.25 * c : 1.0 + 0.5 * r + 0.125 * c;
}

std::string CellOf(const Workspace& ws, int32_t col, int32_t row) {
    return ws.sprRep.CellText(col, row);
}

bool LineVisibleAt(const ChartModel& c, int32_t point) {
    const int32_t n = c.ColumnCount();
    for (int32_t s = n - 15; s <= n; ++s) {
        const Marker m = c.PointMarker(s, point);
        if (!m.visible || m.fill != kManualLineColour || m.border != kManualLineColour ||
            m.style != 10 || m.size != 7 || c.ShowLine(s))
            return false;
    }
    return true;
}

}  // namespace

TEST(ManualSize, DrawsTheLineAndFillsTheResults) {
    const int32_t N = 10, V = 4;
    Trimmed t(N, V, 1, Plain);
    t.ws.txtLimite.text = "999";  // edited after the generation: V comes from the tables
    ASSERT_TRUE(t.Slide(6));
    EXPECT_TRUE(t.ui.messages.empty());
    const Workspace& ws = t.ws;
    // The ladder in row S - 2 of both tables (bounds 10 .. 25 and 0 .. 15).
    for (const auto* tab : {&ws.TrimmedTable.means, &ws.TrimmedTable.sds}) {
        const bool means = tab == &ws.TrimmedTable.means;
        ASSERT_EQ(tab->Cols(), V + 35);
        EXPECT_EQ((*tab)(4, V + 19), 0.0);
        EXPECT_EQ((*tab)(4, V + 20), means ? 10.0 : 0.0);
        EXPECT_DOUBLE_EQ((*tab)(4, V + 34), means ? 24.0 : 14.0);
        EXPECT_EQ((*tab)(4, 2), Plain(4, 2, means));
    }
    for (const ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        ASSERT_EQ(c->ColumnCount(), V + 35);
        EXPECT_EQ(c->RowLabel(5), "6");
        EXPECT_TRUE(LineVisibleAt(*c, 5));
        EXPECT_EQ(c->Value(5, V + 22), c == &ws.VtChart1 ? 11.0 : 1.0);
    }
    EXPECT_EQ(ws.Text4.text, "6");
    // Row 4: means 19 .. 19.75, standard deviations 3 .. 3.375.
    EXPECT_EQ(ws.txtManualMeanBasso.text, Format2(3.0 / 19.375 * 100.0));
    EXPECT_EQ(ws.txtManualMeanAlto.text, "17.42");
    const char* rep[] = {"19.375", "19.75", "19", "3.1875", "3.375", "3"};
    for (int32_t r = 1; r <= 6; ++r) EXPECT_EQ(CellOf(ws, 1, r), rep[r - 1]) << r;
    EXPECT_EQ(CellOf(ws, 2, 1), "");
    EXPECT_EQ(std::tuple(ws.Label31.text, ws.Label28.text, ws.Label29.text),
              std::tuple(std::string("average (manual): 19.375"),
                         std::string("average (manual): 3.1875"), std::string()));
    EXPECT_TRUE(ws.Label31.visible && ws.Label28.visible && ws.tStudentSampleSize.enabled);

    // A move reloads the same cloud: the views repaint only the lines, and
    // the old line leaves no markers at its cleared values.
    const uint64_t clouds[] = {ws.VtChart1.CloudRevision(), ws.VtChart2.CloudRevision()};
    ASSERT_TRUE(t.Slide(8));
    EXPECT_EQ(std::pair(ws.VtChart1.CloudRevision(), ws.VtChart2.CloudRevision()),
              std::pair(clouds[0], clouds[1]));
    for (const ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        EXPECT_TRUE(LineVisibleAt(*c, 7));
        for (int32_t s = c->ColumnCount() - 15; s <= c->ColumnCount(); ++s)
            EXPECT_FALSE(c->PointMarker(s, 5).visible);
        EXPECT_EQ(c->Value(5, V + 22), 0.0);
    }
    EXPECT_EQ(ws.Text4.text, "8");
}

TEST(ManualSize, SmallSizesAndTheRowsBetweenAndBeyondTheGeneratedOnes) {
    // Jump 1: sizes 2 and 3 store the ladder but show no line and no
    // coefficients.
    for (int32_t S : {2, 3, 4}) {
        Trimmed t(10, 4, 1, Plain);
        ASSERT_TRUE(t.Slide(7));
        t.ws.txtManualMeanAlto.text = "";
        ASSERT_TRUE(t.Slide(S));
        EXPECT_EQ(t.ws.Text4.text, std::to_string(S));
        EXPECT_EQ(t.ws.TrimmedTable.means(S - 2, t.V() + 20), 10.0);
        for (const ChartModel* c : {&t.ws.VtChart1, &t.ws.VtChart2}) {
            EXPECT_EQ(LineVisibleAt(*c, S - 1), S == 4) << S;
            EXPECT_FALSE(c->PointMarker(c->ColumnCount(), 6).visible);
        }
        EXPECT_EQ(t.ws.txtManualMeanAlto.text.empty(), S < 4) << S;
        EXPECT_NE(CellOf(t.ws, 1, 1), "");
    }
    // N = 12, Jump 3: rows 2, 5 and 8 (sizes 4, 7 and 10) hold data.
    auto value = [](int32_t r, int32_t c, bool mean) {
        return mean ? 30.0 + 3.0 * r + c : 2.0 + r;
    };
    const std::pair<int32_t, double> cases[] = {
        {4, 36.0},               // a generated row (s = 3)
        {5, 39.0},  {6, 42.0},   // a third, two thirds to row 5
        {2, 36.0},  {3, 36.0},   // below the first row: that row
        {10, 54.0}, {11, 54.0},  // beyond the last row: that row
    };
    for (const auto& [S, mean0] : cases) {
        Trimmed t(12, 3, 3, value);
        std::vector<double> a, b;
        VectorsAtSize(t.ws, S - 1, a, b);
        ASSERT_EQ(a.size(), 4u);
        EXPECT_DOUBLE_EQ(a[1], mean0) << S;
        EXPECT_DOUBLE_EQ(a[3], mean0 + 2.0) << S;
        EXPECT_DOUBLE_EQ(b[2], (mean0 - 30.0) / 3.0 + 2.0) << S;
        ASSERT_TRUE(t.Slide(S));
        EXPECT_EQ(CellOf(t.ws, 1, 3), FormatGeneral(mean0)) << S;
        if (S == 2) {
            EXPECT_THROW(VectorsAtSize(t.ws, 0, a, b), SubscriptOutOfRange);
        }
    }
}

TEST(ManualSize, ZerosErrorsAndRefusals) {
    // Row 6 skips zero standard deviations; the lower coefficient does not.
    Trimmed t(8, 5, 1, [](int32_t r, int32_t c, bool mean) {
        return mean ? 20.0 : (c % 2 == 0 ? 0.0 : 2.0 + c + r);
    });
    ASSERT_TRUE(t.Slide(5));
    EXPECT_EQ(CellOf(t.ws, 1, 6), "6");  // 2 + 1 + 3
    EXPECT_EQ(t.ws.txtManualMeanBasso.text, Format2(0.0));
    EXPECT_EQ(t.ws.txtManualMeanAlto.text, "40.");
    Trimmed z(8, 3, 1, [](int32_t, int32_t, bool mean) { return mean ? 4.0 : 0.0; });
    ASSERT_TRUE(z.Slide(5));
    EXPECT_EQ(CellOf(z.ws, 1, 6), "0");

    // Means averaging 0: the coefficients divide by zero. The slider goes on
    // silently after the line and Text4; the automatic caller sees the error.
    Trimmed e(8, 2, 1, [](int32_t, int32_t c, bool mean) { return mean ? (c ? 1.0 : -1.0) : 1.0; });
    ASSERT_TRUE(e.Slide(5));
    EXPECT_TRUE(e.ui.messages.empty());
    EXPECT_EQ(e.ws.Text4.text, "5");
    EXPECT_TRUE(LineVisibleAt(e.ws.VtChart1, 4));
    EXPECT_EQ(CellOf(e.ws, 1, 1), "");
    EXPECT_TRUE(e.ws.tStudentSampleSize.enabled);
    EXPECT_THROW(DisegnaRigheMobili(e.ws, e.ui, 4, 4, 1), DivisionByZero);
    Workspace empty;
    EXPECT_THROW(DisegnaRigheMobili(empty, e.ui, 3, 3, 0), SubscriptOutOfRange);

    // Not trimmed: the message and nothing else; refused outright while a
    // generation runs or the slider is disabled.
    Trimmed n(10, 4, 1, Plain);
    n.ws.DataTrimmed = false;
    ASSERT_TRUE(n.Slide(6));
    test::ExpectOnlyMessage(
        n.ui, "You have to trim the data before trying to manually select a sample size",
        MsgIcon::Information);
    EXPECT_EQ(n.ws.Text4.text, "");
    EXPECT_EQ(n.ws.VtChart1.ColumnCount(), 4);
    EXPECT_FALSE(n.ws.tStudentSampleSize.enabled);
    n.ws.generationRunning = true;
    EXPECT_FALSE(n.Slide(7));
    n.ws.generationRunning = false;
    n.ws.Slider1.enabled = false;
    EXPECT_FALSE(n.Slide(7));
    EXPECT_EQ(n.ws.Slider1.value, 6);
}

TEST(ManualSize, AutomaticCallsAndTheStudentSeam) {
    Trimmed t(10, 4, 1, Plain);
    // The automatic result: column 2, its own labels, the manual colour.
    SpostaRighe(t.ws, 4, 3);
    EXPECT_EQ(std::tuple(t.ws.Slider1.selStart, t.ws.Slider1.max, t.ws.Slider1.value),
              std::tuple(5, 9, 5));
    DisegnaRigheMobili(t.ws, t.ui, 4, 3, 1);
    EXPECT_TRUE(LineVisibleAt(t.ws.VtChart2, 4));
    EXPECT_TRUE(LineVisibleAt(t.ws.VtChart1, 3));
    EXPECT_EQ(t.ws.Text4.text, "5");
    EXPECT_EQ(CellOf(t.ws, 2, 1), "18.375");  // row 3, of the larger size
    EXPECT_EQ(CellOf(t.ws, 1, 1), "");
    EXPECT_EQ(
        std::pair(t.ws.Label29.text, t.ws.Label30.text),
        std::pair(std::string("average (auto): 18.375"), std::string("average (auto): 2.6875")));

    // Equal automatic and manual sizes show equal coefficients.
    t.ws.Text3.text = "7";
    t.ws.txtAutoMeanAlto.text = "1.5";
    t.ws.txtAutoMeanBasso.text = "1.25";
    ASSERT_TRUE(t.Slide(7));
    EXPECT_EQ(std::pair(t.ws.txtManualMeanAlto.text, t.ws.txtManualMeanBasso.text),
              std::pair(std::string("1.5"), std::string("1.25")));
    EXPECT_EQ(CellOf(t.ws, 2, 1), "18.375");  // the automatic column stays
    t.ws.txtAutoMeanBasso.text = ".";
    ASSERT_TRUE(t.Slide(7));
    EXPECT_NE(t.ws.txtManualMeanAlto.text, "1.5");

    // The Student-t mark is redrawn while it is shown, and only then.
    static int redraws;
    redraws = 0;
    SetStudentMarkRedraw([](Workspace& ws, Platform&) {
        ++redraws;
        EXPECT_EQ(ws.Text4.text, "8");  // after the line, before the grid
    });
    ASSERT_TRUE(t.Slide(8));
    EXPECT_EQ(redraws, 0);
    t.ws.StudentMarkDrawn = "1";
    ASSERT_TRUE(t.Slide(8));
    EXPECT_EQ(redraws, 1);
    SetStudentMarkRedraw(nullptr);
}

TEST(ManualSize, StatisticsBeyondTheSixteenBitBound) {
    const int32_t V = 40000;
    std::mt19937_64 g(11);
    std::vector<double> a(V + 1), b(V + 1);
    for (int32_t j = 1; j <= V; ++j) {
        a[j] = 20.0 + static_cast<double>(g() % 100000) / 1e4;
        b[j] = j % 7 == 0 ? 0.0 : 1.0 + static_cast<double>(g() % 100000) / 1e5;
    }
    double mxb = 0, mnb = 1e300;
    for (int32_t j = 1; j <= V; ++j)
        mxb = std::max(mxb, b[j]), mnb = b[j] ? std::min(mnb, b[j]) : mnb;
    // The whole slider path at that V, against the shared mean routine.
    Trimmed t(6, V, 1,
              [&](int32_t r, int32_t c, bool mean) { return mean ? a[c + 1] + r : b[c + 1]; });
    ASSERT_TRUE(t.Slide(4));
    EXPECT_TRUE(t.ui.messages.empty());
    std::vector<double> a2(a);
    for (int32_t j = 1; j <= V; ++j) a2[j] += 2.0;
    EXPECT_EQ(CellOf(t.ws, 1, 1), FormatGeneral(ArrayMean(a2)));
    EXPECT_EQ(CellOf(t.ws, 1, 2), FormatGeneral(*std::max_element(a2.begin() + 1, a2.end())));
    EXPECT_EQ(CellOf(t.ws, 1, 5), FormatGeneral(mxb));
    EXPECT_EQ(CellOf(t.ws, 1, 6), FormatGeneral(mnb));
    EXPECT_EQ(t.ws.txtManualMeanBasso.text, Format2(0.0));
    EXPECT_EQ(t.ws.txtManualMeanAlto.text, Format2(mxb / ArrayMean(a2) * 100.0));
    // Bit for bit the shared routines where they apply.
    std::vector<double> sa(a.begin(), a.begin() + 1001), sb(b.begin(), b.begin() + 1001);
    const SizeStatistics st = StatisticsAtSize(sa, sb);
    EXPECT_EQ(std::tuple(st.meanA, st.maxB, st.minA, st.minNonZeroB),
              std::tuple(ArrayMean(sa), ArrayMax(sb), ArrayMin(sa), ArrayMin(sb, true, 0.0)));
}
