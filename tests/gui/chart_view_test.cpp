// The charts offscreen: export to PNG, SVG and PDF (valid files, markers as
// real discs in vector output), failures with their reasons.
#include "platform/qt/chart_view.h"

#include <qcustomplot.h>

#include <QSvgRenderer>
#include <QWheelEvent>

#include "platform/qt/chart_export.h"
#include "window_test_support.h"

using velta::gui::test::ReadAll;

namespace {

// A cloud of `v` virtual samples over `rows` categories (sizes 2 .. rows +
// 1), range 10 .. 20, markers on every category but the last.
velta::ChartPicture Picture(int32_t rows, int32_t v, const char* caption = "Means") {
    velta::ChartPicture p;
    p.caption = caption;
    p.cloud = std::make_shared<velta::Table2D>(rows, v + 1);
    p.samples = v;
    p.categories = rows;
    p.step = 1;
    p.lastPoint = rows - 1;
    p.axis = velta::AxisRange{10, 20};
    return p;
}

velta::Table2D& Values(velta::ChartPicture& p) {
    return const_cast<velta::Table2D&>(*p.cloud);
}

// The same with values in 10 .. 20 on every category.
velta::ChartPicture FilledPicture(int32_t rows, int32_t v) {
    velta::ChartPicture p = Picture(rows, v);
    for (int32_t r = 1; r <= rows; ++r)
        for (int32_t s = 1; s <= v; ++s)
            Values(p)(r - 1, s - 1) = 15.0 + 5.0 * ((s * 37 + r * 11) % 101 - 50) / 50.0 / r;
    return p;
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
std::vector<int> DarknessAt(const velta::ChartPicture& picture, int32_t category,
                            std::initializer_list<double> values) {
    velta::qt::ChartView view;
    view.resize(600, 400);
    view.Show(picture);
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
        velta::ChartPicture model = FilledPicture(12, 300);
        model.marks = {{velta::SizeMark::Kind::Manual, 5}};
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
        const velta::ChartPicture model = FilledPicture(5, 10);
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
            {"automatic", ChartView::MarkColour(velta::SizeMark::Kind::Automatic), 4.5},
            {"manual", ChartView::MarkColour(velta::SizeMark::Kind::Manual), 3.0},
            {"Student-t", ChartView::MarkColour(velta::SizeMark::Kind::StudentT), 3.0},
            {"fitted", ChartView::FittedLineColour(), 3.0}};
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
        const int32_t v = 20021;
        velta::ChartPicture model = Picture(3, v);
        for (int32_t s = 1; s <= v; ++s)
            Values(model)(1, s - 1) = s <= 20000 ? 12.0 : s < v ? 16.0 : 18.0;
        const std::vector<int> d = DarknessAt(model, 2, {12.0, 16.0, 18.0, 14.0});
        const int dense = d[0], some = d[1], lone = d[2], empty = d[3];
        QVERIFY2(dense > some && some > lone && lone > empty + 30,
                 qPrintable(QString("%1 %2 %3 %4").arg(dense).arg(some).arg(lone).arg(empty)));
    }

    void pointsOnTheLimitsAreDrawn() {
        velta::ChartPicture model = Picture(3, 2, "Standard deviations");
        Values(model)(0, 0) = 10.0;  // the lower limit
        Values(model)(0, 1) = 20.0;  // the upper limit
        for (int dark : DarknessAt(model, 1, {10.0, 20.0})) QVERIFY(dark > 40);
        velta::qt::ChartView view;
        view.Show(model);
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
            velta::ChartPicture model = FilledPicture(rows, 5);
            model.step = jump;
            velta::qt::ChartView view;
            view.Show(model);
            auto ticker = qSharedPointerCast<QCPAxisTickerText>(view.Plot()->xAxis->ticker());
            QCOMPARE(QStringList(ticker->ticks().values()), labels);
        }
    }

    void wheelZoomStaysUntilTheRangeChanges() {
        velta::ChartPicture model = FilledPicture(12, 100);
        velta::qt::ChartView view;
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.Show(model);
        const QCPRange fixed = view.Plot()->yAxis->range();
        const QPointF centre = view.Plot()->axisRect()->rect().center();
        QWheelEvent wheel(centre, view.Plot()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.Plot(), &wheel);
        const QCPRange zoomed = view.Plot()->yAxis->range();
        QVERIFY(zoomed.size() < fixed.size() * 0.95);
        QVERIFY(view.ViewChanged());
        // A mark drawn meanwhile keeps the zoom.
        model.marks = {{velta::SizeMark::Kind::Manual, 4}};
        view.Show(model);
        QCOMPARE(view.Plot()->yAxis->range(), zoomed);
        view.ResetView();
        QCOMPARE(view.Plot()->yAxis->range(), fixed);
        // A new value range replaces any zoom.
        QApplication::sendEvent(view.Plot(), &wheel);
        model.axis = velta::AxisRange{0, 30};
        view.Show(model);
        QVERIFY(view.Plot()->yAxis->range().contains(0.0));
        QVERIFY(view.Plot()->yAxis->range().contains(30.0));
        QVERIFY(!view.ViewChanged());
    }

    void aGreyedPictureIsWashedOut() {
        // What a generation shows while it replaces the clouds: the same
        // picture, paler.
        velta::ChartPicture model = FilledPicture(3, 400);
        for (int32_t s = 0; s < 400; ++s) Values(model)(1, s) = 15.0;
        const int dark = DarknessAt(model, 2, {15.0})[0];
        model.greyed = true;
        const int pale = DarknessAt(model, 2, {15.0})[0];
        QVERIFY2(pale < dark - 40 && pale > 10, qPrintable(QString("%1 %2").arg(dark).arg(pale)));
    }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
