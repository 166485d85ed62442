// The charts offscreen: export to PNG, SVG and PDF (valid files, markers as
// real discs in vector output), failures with their reasons.
#include "platform/qt/chart_view.h"

#include <qcustomplot.h>

#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "model/chart_model.h"
#include "platform/qt/chart_export.h"

namespace {

// A small cloud of `v` virtual samples over sizes 2 .. rows + 1, values in
// 10 .. 20, every row holding data.
void FillCloud(velta::ChartModel& c, int32_t rows, int32_t v) {
    c.SetDataGrid(rows, v);
    for (int32_t r = 1; r <= rows; ++r) {
        c.SetRowLabel(r, std::to_string(r + 1));
        for (int32_t s = 1; s <= v; ++s)
            c.SetValue(r, s, 15.0 + 5.0 * ((s * 37 + r * 11) % 101 - 50) / 50.0 / r);
    }
    c.SetCloudSeries(v);
    c.MarkCloudSeries(v, 1, rows - 1, velta::kCloudMarkerSize);
    c.Axis() = {false, 10.0, 20.0, "##0.0##"};
    c.Touch();
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

// Darkness (0 white .. 255 black) of the plot at a value on a category.
int DarknessAt(velta::qt::ChartView& view, const QImage& img, int32_t category, double value) {
    QCustomPlot* plot = view.Plot();
    const int x = static_cast<int>(std::lround(plot->xAxis->coordToPixel(category)));
    const int y = static_cast<int>(plot->yAxis->coordToPixel(value));
    return 255 - qGray(img.pixel(x, y));
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        const QString png = dir.filePath("c.png"), svg = dir.filePath("c.svg"),
                      pdf = dir.filePath("c.PDF");
        QVERIFY2(velta::qt::ExportChart(model, png.toStdString(), 640, 400, why), why.c_str());
        QVERIFY2(velta::qt::ExportChart(model, svg.toStdString(), 640, 400, why), why.c_str());
        QVERIFY2(velta::qt::ExportChart(model, pdf.toStdString(), 640, 400, why), why.c_str());
        const QImage image(png);
        QCOMPARE(image.size(), QSize(640, 400));
        const QByteArray s = ReadAll(svg);
        QVERIFY(QSvgRenderer(s).isValid());
        QVERIFY(s.contains("<ellipse") || s.contains("<circle"));
        QVERIFY(!s.contains("<image"));
        const QByteArray p = ReadAll(pdf);
        QVERIFY(p.startsWith("%PDF-"));
        QVERIFY(p.trimmed().endsWith("%%EOF"));
    }

    void exportRefusesWithAReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown format") << "c.bmp" << 100 << "unknown image format";
        QTest::newRow("no extension") << "chart" << 100 << "unknown image format";
        QTest::newRow("zero width") << "c.png" << 0 << "image size";
        QTest::newRow("huge width") << "c.png" << 100000 << "image size";
        QTest::newRow("missing folder") << "no/such/dir/c.png" << 100 << "cannot write";
    }
    void exportRefusesWithAReason() {
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(QString, reason);
        velta::ChartModel model("Means");
        FillCloud(model, 5, 10);
        QTemporaryDir dir;
        std::string why;
        QVERIFY(!velta::qt::ExportChart(model, dir.filePath(name).toStdString(), width, 100, why));
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
    }

    void linesAndCloudReadOnTheBackground_data() {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<double>("least");
        const QColor cloud = velta::qt::ChartView::CloudColour();
        QTest::newRow("cloud") << cloud << 7.0;
        QTest::newRow("automatic line")
            << velta::qt::ChartView::DisplayColour(velta::kAutoLineColour) << 4.5;
        QTest::newRow("manual line")
            << velta::qt::ChartView::DisplayColour(velta::kManualLineColour) << 3.0;
        QTest::newRow("Student-t line")
            << velta::qt::ChartView::DisplayColour(velta::kStudentLineColour) << 3.0;
        QTest::newRow("fitted lines")
            << velta::qt::ChartView::DisplayColour(velta::kFittedLineColour) << 3.0;
    }
    void linesAndCloudReadOnTheBackground() {
        QFETCH(QColor, colour);
        QFETCH(double, least);
        QVERIFY2(Contrast(colour, velta::qt::ChartView::Background()) >= least,
                 qPrintable(QString::number(Contrast(colour, velta::qt::ChartView::Background()))));
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
        model.SetCloudSeries(v);
        model.MarkCloudSeries(v, 1, 2, velta::kCloudMarkerSize);
        model.Axis() = {false, 10.0, 20.0, "##0.0##"};
        model.Touch();
        velta::qt::ChartView view(model);
        view.resize(600, 400);
        view.Render();
        const QImage img = view.Plot()->toPixmap(600, 400).toImage();
        const int dense = DarknessAt(view, img, 2, 12.0);
        const int some = DarknessAt(view, img, 2, 16.0);
        const int lone = DarknessAt(view, img, 2, 18.0);
        const int empty = DarknessAt(view, img, 2, 14.0);
        QVERIFY2(dense > some && some > lone && lone > empty + 30,
                 qPrintable(QString("%1 %2 %3 %4").arg(dense).arg(some).arg(lone).arg(empty)));
    }

    void pointsOnTheLimitsAreDrawn() {
        velta::ChartModel model("Standard deviations");
        model.SetDataGrid(3, 2);
        model.SetValue(1, 1, 10.0);  // the lower limit
        model.SetValue(1, 2, 20.0);  // the upper limit
        model.SetCloudSeries(2);
        model.MarkCloudSeries(2, 1, 2, velta::kCloudMarkerSize);
        model.Axis() = {false, 10.0, 20.0, "##0.0##"};
        model.Touch();
        velta::qt::ChartView view(model);
        view.resize(600, 400);
        view.Render();
        QCOMPARE(view.Plot()->yAxis->label(), QString("Standard deviation"));
        const QImage img = view.Plot()->toPixmap(600, 400).toImage();
        QVERIFY(DarknessAt(view, img, 1, 10.0) > 40);
        QVERIFY(DarknessAt(view, img, 1, 20.0) > 40);
    }

    void ticksSitOnTheSizesThatHoldData_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("jump");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("every size") << 8 << 1 << QStringList{"2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("jump 2") << 10 << 2 << QStringList{"3", "5", "7", "9"};
        QTest::newRow("jump 3") << 13 << 3 << QStringList{"4", "7", "10", "13"};
        QTest::newRow("many, thinned")
            << 98 << 1 << QStringList{"2", "12", "22", "32", "42", "52", "62", "72", "82", "92"};
    }
    void ticksSitOnTheSizesThatHoldData() {
        QFETCH(int, rows);
        QFETCH(int, jump);
        QFETCH(QStringList, labels);
        velta::ChartModel model("Means");
        FillCloud(model, rows, 5);
        model.MarkCloudSeries(5, jump, rows - 1, velta::kCloudMarkerSize);
        velta::qt::ChartView view(model);
        view.Render();
        auto ticker = qSharedPointerCast<QCPAxisTickerText>(view.Plot()->xAxis->ticker());
        QCOMPARE(QStringList(ticker->ticks().values()), labels);
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
