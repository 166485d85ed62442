// The charts: the cloud's shades, colours that read on the background, ticks
// on the sizes that hold data, the wheel's zoom, a greyed picture; exported
// from the chart's menu or File > Export chart as PNG, SVG (markers as real
// discs) or PDF at 1600x1000 unless another size is chosen, titled with the
// pilot, V, P and the seed, with a legend of what is drawn; both charts side
// by side; failures with their reasons.
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QSlider>
#include <QSvgRenderer>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <qcustomplot.h>

#include "platform/qt/chart_export.h"
#include "platform/qt/chart_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::qt::ChartView;
using namespace velta::gui::test;

namespace {

// A cloud of `v` samples over `rows` categories (sizes 2 .. rows + 1),
// range 10 .. 20, values on every category when `filled`.
velta::ChartPicture Picture(int32_t rows, int32_t v, bool filled = true) {
    velta::ChartPicture p;
    p.caption = "Means";
    auto cloud = std::make_shared<velta::Table2D>(rows, v + 1);
    for (int32_t r = 1; filled && r <= rows; ++r)
        for (int32_t s = 1; s <= v; ++s)
            (*cloud)(r - 1, s - 1) = 15.0 + 5.0 * ((s * 37 + r * 11) % 101 - 50) / 50.0 / r;
    p.cloud = cloud;
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

// Contrast ratio as the web's accessibility rules define it.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto lin = [](double v) {
            v /= 255.0;
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Darkness (0 white .. 255 black) of the 600x400 plot at values on a category.
std::vector<int> DarknessAt(const velta::ChartPicture& picture, int32_t category,
                            std::initializer_list<double> values) {
    ChartView view;
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

QStringList SvgTexts(const QByteArray& svg) {
    QStringList texts;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    if (xml.hasError()) texts << "XML error: " + xml.errorString();
    return texts;
}

// The window with the example typed in, its dialogs and the chart size
// dialog answered here.
struct Road {
    MainWindow w;
    ScriptedDialogs dialogs{w};
    QTemporaryDir dir;
    QList<QSize> proposed;        // the sizes the export proposed
    std::optional<QSize> chosen;  // the size chosen (none: the proposed one)

    Road() {
        QSettings().clear();  // the default size
        w.show();
        LoadExample(w);
        for (int i : {0, 1})
            w.chart(i)->chooseSize = [this](const QSize& p, const QString&) {
                proposed << p;
                return std::optional<QSize>(chosen.value_or(p));
            };
    }
    // The action of the File menu, or of chart `chart`'s menu.
    QByteArray Export(const char* action, const QString& name, int chart = -1) {
        const QString path = dir.filePath(name);
        dialogs.files = {path.toStdString()};
        if (chart >= 0)
            w.chart(chart)->ContextMenu()->findChild<QAction*>(action)->trigger();
        else
            w.findChild<QAction*>(action)->trigger();
        return ReadAll(path);
    }
};

}  // namespace

class ChartWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void coloursReadOnTheBackgroundAndDenserSpotsAreDarker() {
        const std::tuple<QColor, double> colours[] = {
            {ChartView::CloudColour(), 7.0},
            {ChartView::MarkColour(velta::SizeMark::Kind::Automatic), 4.5},
            {ChartView::MarkColour(velta::SizeMark::Kind::Manual), 3.0},
            {ChartView::MarkColour(velta::SizeMark::Kind::StudentT), 3.0},
            {ChartView::FittedLineColour(), 3.0}};
        for (const auto& [colour, least] : colours)
            QVERIFY2(Contrast(colour, ChartView::Background()) >= least, qPrintable(colour.name()));
        QCOMPARE(ChartView::CloudOpacity(0, 100000), 0.0);
        QVERIFY(ChartView::CloudOpacity(1, 100000) >= 0.25);
        QVERIFY(ChartView::CloudOpacity(100000, 100000) <= 1.0);

        // 20,000 samples on 12.0, 20 on 16.0, one on 18.0, at category 2.
        const int32_t v = 20021;
        velta::ChartPicture model = Picture(3, v, false);
        for (int32_t s = 1; s <= v; ++s)
            Values(model)(1, s - 1) = s <= 20000 ? 12.0 : s < v ? 16.0 : 18.0;
        const std::vector<int> d = DarknessAt(model, 2, {12.0, 16.0, 18.0, 14.0});
        QVERIFY2(d[0] > d[1] && d[1] > d[2] && d[2] > d[3] + 30,
                 qPrintable(QString("%1 %2 %3 %4").arg(d[0]).arg(d[1]).arg(d[2]).arg(d[3])));
        // A greyed picture (a generation replacing the clouds) is the same, paler.
        model.greyed = true;
        const int pale = DarknessAt(model, 2, {12.0})[0];
        QVERIFY2(pale < d[0] - 40 && pale > 10, qPrintable(QString::number(pale)));
        // Points on the limits are drawn.
        velta::ChartPicture limits = Picture(3, 2, false);
        limits.caption = "Standard deviations";
        Values(limits)(0, 0) = 10.0;
        Values(limits)(0, 1) = 20.0;
        for (int dark : DarknessAt(limits, 1, {10.0, 20.0})) QVERIFY(dark > 40);
        ChartView view;
        view.Show(limits);
        QCOMPARE(view.Plot()->yAxis->label(), QString("Standard deviation"));
    }

    void ticksSitOnTheSizesThatHoldData() {
        // Every size, jumps of 2 and 3, many sizes thinned.
        const std::tuple<int, int, QString> cases[] = {{8, 1, "2 3 4 5 6 7 8"},
                                                       {10, 2, "3 5 7 9"},
                                                       {13, 3, "4 7 10 13"},
                                                       {98, 1, "2 12 22 32 42 52 62 72 82 92"}};
        for (const auto& [rows, jump, labels] : cases) {
            velta::ChartPicture model = Picture(rows, 5);
            model.step = jump;
            ChartView view;
            view.Show(model);
            auto ticker = qSharedPointerCast<QCPAxisTickerText>(view.Plot()->xAxis->ticker());
            QCOMPARE(QStringList(ticker->ticks().values()).join(' '), labels);
        }
    }

    void wheelZoomStaysUntilTheRangeChanges() {
        velta::ChartPicture model = Picture(12, 100);
        ChartView view;
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
        QVERIFY(zoomed.size() < fixed.size() * 0.95 && view.ViewChanged());
        // A mark drawn meanwhile keeps the zoom, without a full redraw.
        const int full = view.FullRedraws();
        model.marks = {{velta::SizeMark::Kind::Manual, 4}};
        view.Show(model);
        QCOMPARE(view.Plot()->yAxis->range(), zoomed);
        QCOMPARE(view.FullRedraws(), full);
        view.ResetView();
        QCOMPARE(view.Plot()->yAxis->range(), fixed);
        // A new value range replaces any zoom.
        QApplication::sendEvent(view.Plot(), &wheel);
        model.axis = velta::AxisRange{0, 30};
        view.Show(model);
        QVERIFY(view.Plot()->yAxis->range().contains(0.0) && view.Plot()->yAxis->range().contains(30.0));
        QVERIFY(!view.ViewChanged());
    }

    void exportWritesValidFilesOrSaysWhyNot() {
        velta::ChartPicture model = Picture(12, 300);
        model.marks = {{velta::SizeMark::Kind::Manual, 5}};
        QTemporaryDir dir;
        std::string why;
        for (const char* name : {"c.png", "c.svg", "c.PDF"})
            QVERIFY2(velta::qt::ExportChart(model, dir.filePath(name).toStdString(), 640, 400, why),
                     why.c_str());
        QCOMPARE(QImage(dir.filePath("c.png")).size(), QSize(640, 400));
        const QByteArray s = ReadAll(dir.filePath("c.svg"));
        QVERIFY(QSvgRenderer(s).isValid());
        QVERIFY((s.contains("<ellipse") || s.contains("<circle")) && !s.contains("<image"));
        const QByteArray p = ReadAll(dir.filePath("c.PDF"));
        QVERIFY(p.startsWith("%PDF-") && p.trimmed().endsWith("%%EOF"));
        const std::tuple<const char*, int, int, const char*> refused[] = {
            {"c.bmp", 100, 100, "unknown image format"},
            {"c.jpg", 100, 100, "unknown image format"},
            {"chart", 100, 100, "unknown image format"},
            {"c.png", 0, 100, "image size"},
            {"c.png", 100000, 100, "image size"},
            {"c.png", 100, 20001, "image size"},
            {"no/such/dir/c.png", 100, 100, "cannot write"}};
        for (const auto& [name, width, height, reason] : refused) {
            QVERIFY2(!velta::qt::ExportChart(model, dir.filePath(name).toStdString(), width,
                                             height, why),
                     name);
            QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        }
        QVERIFY(velta::qt::ExportChart(model, dir.filePath("tall.svg").toStdString(), 100, 20000, why));
    }

    void thePaperSizeTheChosenSizeAndEveryFormatFromTheMenus() {
        Road r;
        QVERIFY(r.w.Run(velta::Command::Generate));
        QCOMPARE(QImage::fromData(r.Export("savePng", "means.png", 0)).size(), QSize(1600, 1000));
        QCOMPARE(r.proposed, QList<QSize>{QSize(1600, 1000)});
        // Another size, then proposed again next time; a PDF page of that
        // many points; the extension added where none is given.
        r.chosen = QSize(900, 600);
        QCOMPARE(QImage::fromData(r.Export("savePng", "small.png", 1)).size(), QSize(900, 600));
        r.chosen.reset();
        const QByteArray pdf = r.Export("savePdf", "means.pdf", 0);
        QVERIFY(pdf.startsWith("%PDF-") && pdf.contains("/MediaBox [0 0 900.000000 600.000000]"));
        r.Export("saveSvg", "means", 0);
        QVERIFY(QSvgRenderer(ReadAll(r.dir.filePath("means.svg"))).isValid());
        QVERIFY(QSvgRenderer(r.Export("exportSdsChartAction", "sds.svg")).isValid());
        // Cancelled size or file: nothing written; an unwritable place said.
        r.w.chart(0)->chooseSize = [](const QSize&, const QString&) { return std::optional<QSize>(); };
        QVERIFY(r.Export("savePng", "none.png", 0).isEmpty());
        QVERIFY(!QFile::exists(r.dir.filePath("none.png")));
        std::string error;
        r.w.chart(1)->showError = [&](const std::string& why) { error = why; };
        r.Export("savePng", "no/such/folder/x.png", 1);
        QVERIFY(QString::fromStdString(error).contains("cannot write"));
        r.w.chart(0)->ContextMenu()->findChild<QAction*>("copyImage")->trigger();
        QVERIFY(!QApplication::clipboard()->image().isNull());
    }

    void legendAndTitleNameWhatIsShown() {
        Road r;
        QVERIFY(r.w.Run(velta::Command::Generate));
        const std::string seed = std::to_string(r.w.session().analysis.generation()->seed);
        QStringList texts = SvgTexts(r.Export("saveSvg", "generated.svg", 0));
        QVERIFY2(texts.contains("Means"), qPrintable(texts.join(" | ")));
        QVERIFY(texts.contains(QString::fromStdString("typed values; V = 30000, seed " + seed)));
        QVERIFY(texts.contains("Virtual samples"));
        for (const char* absent : {"Fitted lines", "Automatic size", "Manual size", "Student-t size"})
            QVERIFY2(!texts.join('|').contains(absent), absent);

        QVERIFY(r.w.Run(velta::Command::Trim) && r.w.Run(velta::Command::Automatic));
        Control<QSlider>(r.w, "slider")->setValue(15);
        r.w.session().inputs.maxError = "2";
        QVERIFY(r.w.Run(velta::Command::StudentT));
        texts = SvgTexts(r.Export("saveSvg", "sds.svg", 1));
        const QString automatic = QString::number(r.w.session().analysis.automatic()->size);
        const QString student = QString::number(r.w.session().analysis.studentT()->size);
        for (const QString& s :
             {QString("Standard deviations"),
              QString::fromStdString("typed values; V = 30000, P = 5, seed " + seed),
              QString("Trimmed virtual samples"), QString("Fitted lines"),
              "Automatic size: " + automatic, QString("Manual size: 15"),
              "Student-t size: " + student})
            QVERIFY2(texts.contains(s), qPrintable(s + " in " + texts.join(" | ")));
        QVERIFY(!texts.contains("Virtual samples"));
    }

    void bothChartsSideBySide() {
        Road r;
        QVERIFY(r.w.Run(velta::Command::Generate));
        const QImage both = QImage::fromData(r.Export("exportBothChartsAction", "both.png"));
        QCOMPARE(both.size(), QSize(3200, 1000));
        const QColor cloud = ChartView::CloudColour();
        QVERIFY(CountPixels(both.copy(0, 0, 1600, 1000), cloud, 40) > 50);
        QVERIFY(CountPixels(both.copy(1600, 0, 1600, 1000), cloud, 40) > 50);
        const QStringList texts = SvgTexts(r.Export("exportBoth", "both.svg", 1));
        QVERIFY2(texts.contains("Means") && texts.contains("Standard deviations"),
                 qPrintable(texts.join(" | ")));
        QCOMPARE(texts.count("Virtual samples"), 2);
    }
};

QTEST_MAIN(ChartWindowTest)
#include "chart_window_test.moc"
