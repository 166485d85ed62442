// The charts offscreen: export to PNG, SVG and PDF (valid files, markers as
// real discs in vector output), failures with their reasons.
#include "platform/qt/chart_view.h"

#include <qcustomplot.h>

#include <QSvgRenderer>
#include <QWheelEvent>

#include "model/chart_model.h"
#include "platform/qt/chart_export.h"
#include "window_test_support.h"

using velta::gui::test::ReadAll;

namespace {

// Marks `v` samples as the cloud on rows 1 .. rows - 1, range 10 .. 20.
void FinishCloud(velta::ChartModel& c, int32_t v, int32_t rows) {
    c.SetCloudSeries(v);
    c.MarkCloudSeries(v, 1, rows - 1, velta::kCloudMarkerSize);
    c.Axis() = {false, 10.0, 20.0, "##0.0##"};
    c.Touch();
}

// A small cloud of `v` virtual samples over sizes 2 .. rows + 1, values in
// 10 .. 20, every row holding data.
void FillCloud(velta::ChartModel& c, int32_t rows, int32_t v) {
    c.SetDataGrid(rows, v);
    for (int32_t r = 1; r <= rows; ++r) {
        c.SetRowLabel(r, std::to_string(r + 1));
        for (int32_t s = 1; s <= v; ++s)
            c.SetValue(r, s, 15.0 + 5.0 * ((s * 37 + r * 11) % 101 - 50) / 50.0 / r);
    }
    FinishCloud(c, v, rows);
}

// Relative luminance and contrast ratio as the web's accessibility rules
// define them.
double Luminance(const QColor& c) {
    auto lin = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}
double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Darkness (0 white .. 255 black) of the 600x400 plot at values on a category.
std::vector<int> DarknessAt(velta::ChartModel& model, int32_t category,
                            std::initializer_list<double> values) {
    velta::qt::ChartView view(model);
    view.resize(600, 400);
    view.Render();
    QCustomPlot* plot = view.Plot();
    const QImage img = plot->toPixmap(600, 400).toImage();
    std::vector<int> dark;
    for (double value : values)
        dark.push_back(255 - qGray(img.pixel(
                                 static_cast<int>(std::lround(plot->xAxis->coordToPixel(category))),
                                 static_cast<int>(plot->yAxis->coordToPixel(value)))));
    return dark;
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT
  private slots:
    void exportWritesValidFiles() {
        velta::ChartModel model("Means");
        FillCloud(model, 12, 300);
        QTemporaryDir dir;
        std::string why;
        for (const char* name : {"c.png", "c.svg", "c.PDF"})
            QVERIFY2(velta::qt::ExportChart(model, dir.filePath(name).toStdString(), 640, 400, why),
                     why.c_str());
        QCOMPARE(QImage(dir.filePath("c.png")).size(), QSize(640, 400));
        const QByteArray s = ReadAll(dir.filePath("c.svg"));
        QVERIFY(QSvgRenderer(s).isValid());
        QVERIFY(s.contains("<ellipse") || s.contains("<circle"));
        QVERIFY(!s.contains("<image"));
        const QByteArray p = ReadAll(dir.filePath("c.PDF"));
        QVERIFY(p.startsWith("%PDF-"));
        QVERIFY(p.trimmed().endsWith("%%EOF"));
    }

    void exportRefusesWithAReason() {
        velta::ChartModel model("Means");
        FillCloud(model, 5, 10);
        QTemporaryDir dir;
        const std::tuple<const char*, int, const char*> cases[] = {
            {"c.bmp", 100, "unknown image format"},
            {"chart", 100, "unknown image format"},
            {"c.png", 0, "image size"},
            {"c.png", 100000, "image size"},
            {"no/such/dir/c.png", 100, "cannot write"}};
        for (const auto& [name, width, reason] : cases) {
            std::string why;
            QVERIFY2(
                !velta::qt::ExportChart(model, dir.filePath(name).toStdString(), width, 100, why),
                name);
            QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        }
    }

    void linesAndCloudReadOnTheBackground() {
        using velta::qt::ChartView;
        const std::tuple<const char*, QColor, double> cases[] = {
            {"cloud", ChartView::CloudColour(), 7.0},
            {"automatic", ChartView::DisplayColour(velta::kAutoLineColour), 4.5},
            {"manual", ChartView::DisplayColour(velta::kManualLineColour), 3.0},
            {"Student-t", ChartView::DisplayColour(velta::kStudentLineColour), 3.0},
            {"fitted", ChartView::DisplayColour(velta::kFittedLineColour), 3.0}};
        for (const auto& [name, colour, least] : cases) {
            const double c = Contrast(colour, ChartView::Background());
            QVERIFY2(c >= least, qPrintable(QString("%1: %2").arg(name).arg(c)));
        }
    }

    void denserSpotsAreDarkerAndALoneSampleShows() {
        using velta::qt::ChartView;
        // Opacity grows with the count, a lone sample is visible, the densest
        // spot never exceeds full opacity.
        QVERIFY(ChartView::CloudOpacity(1, 100000) >= 0.25);
        QVERIFY(ChartView::CloudOpacity(10, 100000) > ChartView::CloudOpacity(1, 100000));
        QVERIFY(ChartView::CloudOpacity(1000, 100000) > ChartView::CloudOpacity(10, 100000));
        QVERIFY(ChartView::CloudOpacity(100000, 100000) <= 1.0);
        QCOMPARE(ChartView::CloudOpacity(0, 100000), 0.0);

        // 20,000 samples on 12.0, 20 on 16.0, one on 18.0, at category 2.
        velta::ChartModel model("Means");
        const int32_t v = 20021;
        model.SetDataGrid(3, v);
        for (int32_t s = 1; s <= v; ++s)
            model.SetValue(2, s, s <= 20000 ? 12.0 : s < v ? 16.0 : 18.0);
        FinishCloud(model, v, 3);
        const std::vector<int> d = DarknessAt(model, 2, {12.0, 16.0, 18.0, 14.0});
        const int dense = d[0], some = d[1], lone = d[2], empty = d[3];
        QVERIFY2(dense > some && some > lone && lone > empty + 30,
                 qPrintable(QString("%1 %2 %3 %4").arg(dense).arg(some).arg(lone).arg(empty)));
    }

    void pointsOnTheLimitsAreDrawn() {
        velta::ChartModel model("Standard deviations");
        model.SetDataGrid(3, 2);
        model.SetValue(1, 1, 10.0);  // the lower limit
        model.SetValue(1, 2, 20.0);  // the upper limit
        FinishCloud(model, 2, 3);
        for (int dark : DarknessAt(model, 1, {10.0, 20.0})) QVERIFY(dark > 40);
        velta::qt::ChartView view(model);
        view.Render();
        QCOMPARE(view.Plot()->yAxis->label(), QString("Standard deviation"));
    }

    void ticksSitOnTheSizesThatHoldData() {
        // Every size, jumps of 2 and 3, many sizes thinned.
        const std::tuple<int, int, QStringList> cases[] = {
            {8, 1, {"2", "3", "4", "5", "6", "7", "8"}},
            {10, 2, {"3", "5", "7", "9"}},
            {13, 3, {"4", "7", "10", "13"}},
            {98, 1, {"2", "12", "22", "32", "42", "52", "62", "72", "82", "92"}}};
        for (const auto& [rows, jump, labels] : cases) {
            velta::ChartModel model("Means");
            FillCloud(model, rows, 5);
            model.MarkCloudSeries(5, jump, rows - 1, velta::kCloudMarkerSize);
            velta::qt::ChartView view(model);
            view.Render();
            auto ticker = qSharedPointerCast<QCPAxisTickerText>(view.Plot()->xAxis->ticker());
            QCOMPARE(QStringList(ticker->ticks().values()), labels);
        }
    }

    void wheelZoomStaysUntilTheCommandsSetARange() {
        velta::ChartModel model("Means");
        FillCloud(model, 12, 100);
        velta::qt::ChartView view(model);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.Render();
        const QCPRange fixed = view.Plot()->yAxis->range();
        const QPointF centre = view.Plot()->axisRect()->rect().center();
        QWheelEvent wheel(centre, view.Plot()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.Plot(), &wheel);
        const QCPRange zoomed = view.Plot()->yAxis->range();
        QVERIFY(zoomed.size() < fixed.size() * 0.95);
        QVERIFY(view.ViewChanged());
        // A line drawn meanwhile keeps the zoom.
        model.SetPenColour(1, velta::kManualLineColour);
        view.Render();
        QCOMPARE(view.Plot()->yAxis->range(), zoomed);
        view.ResetView();
        QCOMPARE(view.Plot()->yAxis->range(), fixed);
        // A new fixed range from a command replaces any zoom.
        QApplication::sendEvent(view.Plot(), &wheel);
        model.Axis() = {false, 0.0, 30.0, "##0.0##"};
        model.Touch();
        view.Render();
        QVERIFY(view.Plot()->yAxis->range().contains(0.0));
        QVERIFY(view.Plot()->yAxis->range().contains(30.0));
        QVERIFY(!view.ViewChanged());
    }

    void previousCloudsStayWhileAGenerationReplacesThem() {
        velta::ChartModel model("Means");
        FillCloud(model, 12, 100);
        velta::qt::ChartView view(model);
        view.resize(600, 400);
        view.Render();
        auto emptied = [&] {
            model.LoadPlaceholder();
            model.SetCloudSeries(0);
            model.MarkCloudSeries(0, 1, 0, velta::kCloudMarkerSize);
            view.Render();
        };
        // A generation that completes: greyed meanwhile, then the new cloud.
        view.HoldGhost(true);
        emptied();
        QVERIFY(view.GhostShown());
        FillCloud(model, 12, 80);
        view.Render();
        QVERIFY(!view.GhostShown());
        view.ReleaseGhost();
        QVERIFY(!view.GhostShown());
        // An aborted one: the old picture stays until the model changes again.
        view.HoldGhost(true);
        emptied();
        view.ReleaseGhost();
        view.Render();
        QVERIFY(view.GhostShown());
        model.Touch();  // New, Open, ...
        view.Render();
        QVERIFY(!view.GhostShown());
        // Nothing to keep when there was no cloud.
        view.HoldGhost(true);
        QVERIFY(!view.GhostShown());
        view.ReleaseGhost();
    }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
