// The Student-t sample size: the stored critical values against independent
// quantiles, the search, and the command on hand-made trimmed workspaces.
#include "studentt/studentt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "charts/manual.h"
#include "headless.h"

using namespace velta;

namespace {

// Two-sided Student-t quantiles to four decimals, computed with mpmath from
// the regularised incomplete beta function (df 1 .. 30) and the normal
// quantile (the last entry).
const double kReferenceQuantiles[3][31] = {
    {6.3138, 2.9200, 2.3534, 2.1318, 2.0150, 1.9432, 1.8946, 1.8595, 1.8331, 1.8125, 1.7959,
     1.7823, 1.7709, 1.7613, 1.7531, 1.7459, 1.7396, 1.7341, 1.7291, 1.7247, 1.7207, 1.7171,
     1.7139, 1.7109, 1.7081, 1.7056, 1.7033, 1.7011, 1.6991, 1.6973, 1.6449},
    {12.7062, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060, 2.2622, 2.2281, 2.2010,
     2.1788,  2.1604, 2.1448, 2.1314, 2.1199, 2.1098, 2.1009, 2.0930, 2.0860, 2.0796, 2.0739,
     2.0687,  2.0639, 2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423, 1.9600},
    {63.6567, 9.9248, 5.8409, 4.6041, 4.0321, 3.7074, 3.4995, 3.3554, 3.2498, 3.1693, 3.1058,
     3.0545,  3.0123, 2.9768, 2.9467, 2.9208, 2.8982, 2.8784, 2.8609, 2.8453, 2.8314, 2.8188,
     2.8073,  2.7969, 2.7874, 2.7787, 2.7707, 2.7633, 2.7564, 2.7500, 2.5758},
};

TEST(StudentTable, EveryEntryIsTheQuantileToTwoDecimals) {
    // The printed table rounds most entries and truncates a few (2.015 ->
    // 2.01), so an entry lies within a hundredth below or half a hundredth
    // above the true quantile. One entry is further off and kept as printed:
    // alpha 0.01 at n = 13 reads 3.04 for 3.0545.
    const char* alphas[3] = {"0.10", "0.05", "0.01"};
    for (int a = 0; a < 3; ++a)
        for (int32_t n = 2; n <= 32; ++n) {
            const double q = kReferenceQuantiles[a][n - 2];
            const double t = tStud(alphas[a], n);
            EXPECT_EQ(t, StudentTable::values[a][n - 2]);
            EXPECT_LE(t, q + 0.005 + 1e-9) << alphas[a] << " n=" << n;
            const double below = (a == 2 && n == 13) ? 0.015 : 0.01;
            EXPECT_GT(t, q - below) << alphas[a] << " n=" << n;
        }
}

TEST(StudentTable, LookupEdges) {
    struct Case {
        const char* alpha;
        int32_t n;
        double t;
    } cases[] = {
        {"0.05", 2, 12.71}, {"0.05", 32, 1.96}, {"0.01", 2, 63.66}, {"0.10", 31, 1.70},
        {"0.05", 1, 0.0},   {"0.5", 10, 0.0},   {"", 10, 0.0},      {"0.050", 10, 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(tStud(c.alpha, c.n), c.t) << c.alpha << " " << c.n;
    EXPECT_THROW(tStud("0.05", 0), SubscriptOutOfRange);
    EXPECT_THROW(tStud("0.05", 33), SubscriptOutOfRange);
}

TEST(StudentSearch, SmallestSufficientSize) {
    struct Case {
        double s, d;
        const char* alpha;
        int32_t n;
    } cases[] = {
        {2.5, 1.0, "0.05", 27},                     // worked example
        {0.0, 1e-9, "0.05", 2},                     // no spread
        {1.0, 0.3664, "0.05", 31},                  // just above 2.04 / sqrt(31)
        {1.0, 0.3663, "0.05", kNoStudentSize},      // just below: incoherent
        {1.0, 1.0, "0.01", 11},                     // 3.25 / sqrt(10) > 1, 3.17 / sqrt(11) <= 1
        {1.0, 1.0, "0.10", 5},                      // 2.13 / 2 > 1, 2.01 / sqrt(5) <= 1
        {5.0, 1.0, "bad alpha", 2},                 // every t is 0
        {1.0, 2.04 / std::sqrt(31.0), "0.05", 31},  // the bound itself is accepted
    };
    for (const auto& c : cases)
        EXPECT_EQ(StudentSearch(c.s, c.d, c.alpha), c.n) << c.s << " " << c.d << " " << c.alpha;
}

// A trimmed workspace made by hand: N units, V virtual samples, Jump J. Row r
// of the tables holds size r + 2; with J >= 2 only rows q*J - 1 hold data.
struct Bench {
    Workspace ws;
    ScriptedPlatform ui;

    Bench(int32_t N, int32_t V, int32_t J) {
        Form_Load(ws);
        for (int32_t i = 1; i <= N; ++i) ws.sprMain.SetCell(1, i, 10.0 + i);
        ws.Jump = J;
        ws.MeansLower = 8, ws.MeansUpper = 23, ws.SDsLower = 0, ws.SDsUpper = 15;
        for (StatsTables* t : {&ws.TrimmedTable, &ws.VirtualSampleTable}) {
            t->V = V;
            t->P = 5;
            t->means.Resize(N, V + 1);
            t->sds.Resize(N, V + 1);
            for (int32_t r = 0; r < N; ++r) {
                if (J > 1 && (r + 1) % J != 0) continue;
                for (int32_t c = 0; c < V; ++c) {
                    t->means(r, c) = 10.0 + r + 0.5 * c;
                    t->sds(r, c) = c == 0 ? 0.0 : 1.0 + 0.25 * r + c;
                }
            }
        }
        for (ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
            c->SetDataGrid(N - 2, V);
            c->SetCloudSeries(V);
        }
        ws.DataTrimmed = true;
        ws.Slider1 = {2, N - 1, J, N / 2, 3, true};
        ws.tStudentSampleSize.enabled = true;
        ws.Text2.text = "1";
        ws.Text1.text = "1.3";  // n = 5 at alpha 0.05
    }
    void Run() { ASSERT_TRUE(RunCommand(ws, ui, Command::StudentT)); }
    int32_t V() const { return ws.TrimmedTable.V; }
    // The statistics column of sprRep: mean, max, min of the means, then of
    // the standard deviations.
    void ExpectColumn(const double (&expected)[6]) const {
        for (int32_t r = 1; r <= 6; ++r)
            EXPECT_NEAR(*ParseNumber(ws.sprRep.CellText(3, r)), expected[r - 1], 1e-12) << r;
    }
};

TEST(StudentCommand, RefusalsShowOneMessageAndKeepTheResult) {
    struct Case {
        const char* sd;
        const char* d;
        int32_t units;
        int32_t sliderMax;
        const char* message;
        MsgIcon icon;
    } cases[] = {
        {"abc", "1", 6, 5, kInvalidStudentSdMessage, MsgIcon::Critical},
        {"-0.1", "1", 6, 5, kInvalidStudentSdMessage, MsgIcon::Critical},
        {"", "1", 6, 5, kInvalidStudentSdMessage, MsgIcon::Critical},
        {"1", "0", 6, 5, kInvalidStudentDifferenceMessage, MsgIcon::Critical},
        {"1", "-1", 6, 5, kInvalidStudentDifferenceMessage, MsgIcon::Critical},
        {"1", "x", 6, 5, kInvalidStudentDifferenceMessage, MsgIcon::Critical},
        {"1", "1", 0, 5, kNoPreSampleMessage, MsgIcon::Exclamation},
        {"1", "1", 1, 5, kSingleValueMessage, MsgIcon::Critical},
        {"2.5", "1", 30, 19, "The sample size computed using the Student-t (27) is higher than 19",
         MsgIcon::Critical},
        {"1", "1.3", 6, 4, "The sample size computed using the Student-t (5) is higher than 4",
         MsgIcon::Critical},
        {"1", "0.3", 6, 5, kIncoherentErrorMessage, MsgIcon::Critical},
    };
    for (const auto& c : cases) {
        Bench b(6, 4, 1);
        b.ws.sprMain.ClearAll();
        for (int32_t i = 1; i <= c.units; ++i) b.ws.sprMain.SetCell(1, i, 1.0 * i);
        b.ws.Slider1.max = c.sliderMax;
        b.ws.Text2.text = c.sd;
        b.ws.Text1.text = c.d;
        b.ws.StudentSampleSize = 4;
        b.ws.Text5.text = "4";
        b.Run();
        test::ExpectOnlyMessage(b.ui, c.message, c.icon);
        EXPECT_EQ(std::tuple(b.ws.StudentSampleSize, b.ws.Text5.text, b.ws.StudentMarkDrawn),
                  std::tuple(4, std::string("4"), std::string("0")));
        EXPECT_EQ(b.ws.VtChart1.ColumnCount(), 4);
        EXPECT_EQ(b.ws.sprRep.CellText(3, 1), "");
    }
    // A disabled button does nothing.
    Bench b(6, 4, 1);
    b.ws.tStudentSampleSize.enabled = false;
    EXPECT_FALSE(RunCommand(b.ws, b.ui, Command::StudentT));
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(StudentCommand, AMarkLeftFromAnEarlierTrimmingSparesTheCloud) {
    // A new trimming leaves the charts with the bare cloud while the mark
    // flag stays set; removing the old mark must not hide cloud markers.
    Bench b(6, 20, 1);
    b.ws.StudentMarkDrawn = "1";
    b.ws.StudentSampleSize = 4;
    b.ws.sprMain.ClearAll();
    b.ws.sprMain.SetCell(1, 1, 1.0);
    b.Run();
    EXPECT_EQ(b.ui.LastMessage(), kSingleValueMessage);
    EXPECT_TRUE(b.ws.VtChart1.MarkerOverrides().empty());
    EXPECT_TRUE(b.ws.VtChart2.MarkerOverrides().empty());
}

void ExpectMark(const ChartModel& chart, int32_t point, bool visible) {
    const int32_t count = chart.ColumnCount();
    for (int32_t s = count - 15; s <= count; ++s) {
        const Marker m = chart.PointMarker(s, point);
        EXPECT_EQ(m.visible, visible) << "series " << s << " point " << point;
        if (visible) {
            EXPECT_EQ(m.border, kStudentLineColour);
            EXPECT_EQ(m.fill, kStudentLineColour);
            EXPECT_EQ(m.style, kLineMarkerStyle);
            EXPECT_EQ(m.size, kLineMarkerSize);
        }
        EXPECT_FALSE(chart.ShowLine(s));
    }
}

TEST(StudentCommand, DrawsTheGreenMarkAndFillsTheResults) {
    Bench b(8, 4, 1);
    b.Run();
    ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
    const int32_t V = b.V(), n = 5, k = n - 2;
    EXPECT_EQ(b.ws.StudentSampleSize, n);
    EXPECT_EQ(b.ws.Text5.text, "5");
    EXPECT_EQ(b.ws.StudentMarkDrawn, "1");
    EXPECT_EQ(b.ws.sprReport.CellText(1, 12), "Stud t SZ");
    EXPECT_EQ(b.ws.sprReport.CellText(2, 12), "5");
    for (ChartModel* c : {&b.ws.VtChart1, &b.ws.VtChart2}) {
        EXPECT_EQ(c->ColumnCount(), V + 35);
        EXPECT_EQ(c->RowCount(), 6);
        ExpectMark(*c, n - 1, true);
    }
    // The ladder: 0, lower, lower + step, ..., upper - step in row k.
    const Table2D& m = b.ws.TrimmedTable.means;
    EXPECT_EQ(m(k, V + 19), 0.0);
    EXPECT_DOUBLE_EQ(m(k, V + 20), 8.0);
    EXPECT_DOUBLE_EQ(m(k, V + 34), 22.0);
    EXPECT_DOUBLE_EQ(b.ws.VtChart1.Value(k + 1, V + 22), 9.0);  // table column V + 21
    EXPECT_DOUBLE_EQ(b.ws.TrimmedTable.sds(k, V + 34), 14.0);
    // Statistics of row k over the V virtual samples: means 13, 13.5, 14,
    // 14.5; standard deviations 0 (skipped by the minimum), 2.75, 3.75, 4.75.
    b.ExpectColumn({13.75, 14.5, 13.0, (2.75 + 3.75 + 4.75) / 4, 4.75, 2.75});
}

TEST(StudentCommand, RerunMovesTheMarkAndKeepsTheManualLine) {
    Bench b(8, 4, 1);
    b.Run();
    const int32_t V = b.V();
    // A manual line stored at another row of the shared columns stays.
    b.ws.TrimmedTable.means(1, V + 25) = 42.0;
    b.ws.Text1.text = "2";  // n = 4
    b.Run();
    ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
    EXPECT_EQ(b.ws.StudentSampleSize, 4);
    for (ChartModel* c : {&b.ws.VtChart1, &b.ws.VtChart2}) {
        ExpectMark(*c, 4, false);
        ExpectMark(*c, 3, true);
    }
    EXPECT_EQ(b.ws.TrimmedTable.means(1, V + 25), 42.0);
    EXPECT_EQ(b.ws.VtChart1.Value(2, V + 26), 42.0);
    // The same inputs again: the same place.
    b.Run();
    ExpectMark(b.ws.VtChart1, 3, true);
    EXPECT_EQ(b.ws.Text5.text, "4");
}

TEST(StudentCommand, SmallestAndLargestSizesShowTheirMark) {
    // No spread gives 2: unlike the manual line, the mark shows at any size;
    // the slider maximum (5 here) is accepted, its mark on the last category.
    for (auto [N, sd, size] : {std::tuple{8, "0", "2"}, {6, "1", "5"}}) {
        Bench b(N, 4, 1);
        b.ws.Text2.text = sd;
        b.Run();
        ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
        EXPECT_EQ(b.ws.Text5.text, size);
        for (const ChartModel* c : {&b.ws.VtChart1, &b.ws.VtChart2})
            ExpectMark(*c, std::stoi(size) - 1, true);
    }
}

TEST(StudentCommand, SizeBetweenGeneratedRowsIsInterpolated) {
    // Jump 2: rows 1, 3, 5 hold data; n = 4 is row 2, which the generation
    // leaves at zero. Its statistics lie halfway between rows 1 and 3.
    Bench b(8, 4, 2);
    b.ws.Text1.text = "2";  // n = 4
    b.Run();
    ASSERT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
    EXPECT_EQ(b.ws.Text5.text, "4");
    b.ExpectColumn({12.75, 13.5, 12.0, (2.5 + 3.5 + 4.5) / 4, 4.5, 2.5});
}

TEST(StudentCommand, ManualDrawingBringsTheMarkBack) {
    SetStudentMarkRedraw(tStudentSampleSize_Click);  // another test may have replaced it
    Bench b(8, 4, 1);
    b.Run();
    b.ws.Slider1.value = 3;
    ASSERT_NO_THROW(DisegnaRigheMobili(b.ws, b.ui, 2, 2, 0));
    EXPECT_TRUE(b.ui.messages.empty()) << b.ui.LastMessage();
    ExpectMark(b.ws.VtChart1, 4, true);
    ExpectMark(b.ws.VtChart2, 4, true);
    EXPECT_EQ(b.ws.TrimmedTable.means(3, b.V() + 34), 22.0);
}

TEST(StudentCommand, UnexpectedErrorEmptiesTheStudentResults) {
    Bench b(8, 4, 1);
    b.Run();
    b.ws.TrimmedTable.means.Clear();
    b.ws.TrimmedTable.sds.Clear();
    b.ws.Text1.text = "2";
    b.Run();
    EXPECT_EQ(b.ui.LastMessage(), kUnexpectedErrorMessage);
    EXPECT_EQ(b.ws.StudentSampleSize, 5);
    EXPECT_EQ(b.ws.Text5.text, "");
    EXPECT_EQ(b.ws.sprRep.CellText(3, 1), "");
    EXPECT_EQ(b.ws.sprReport.CellText(2, 12), "");
}

}  // namespace
