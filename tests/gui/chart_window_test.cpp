// The charts: ticks on the sizes that hold data; exported from the chart's
// menu or File > Export chart as PNG, SVG or PDF at 1600x1000 unless another
// size is chosen, titled, with a legend of what is drawn; both charts side by
// side; failures with their reasons.
#include <qcustomplot.h>

#include <QAction>
#include <QMenu>
#include <QSlider>
#include <QXmlStreamReader>

#include "platform/qt/chart_export.h"
#include "platform/qt/chart_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::qt::ChartView;
using namespace velta::gui::test;

namespace {

// A cloud of `v` samples over `rows` categories (sizes 2 .. rows + 1), range 10 .. 20.
velta::ChartPicture Picture(int32_t rows, int32_t v) {
    velta::ChartPicture p;
    p.caption = "Means";
    auto cloud = std::make_shared<velta::Table2D>(rows, v + 1);
    for (int32_t r = 1; r <= rows; ++r)
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

QStringList SvgTexts(const QByteArray& svg) {
    QStringList texts;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    if (xml.hasError()) texts << "XML error: " + xml.errorString();
    return texts;
}

}  // namespace

class ChartWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void ticksSitOnTheSizesThatHoldData() {
        ChartView view;
        // A jump of 3; many sizes thinned.
        const std::tuple<int, int, QString> ticks[] = {{13, 3, "4 7 10 13"},
                                                       {98, 1, "2 12 22 32 42 52 62 72 82 92"}};
        for (const auto& [rows, jump, labels] : ticks) {
            velta::ChartPicture p = Picture(rows, 5);
            p.step = jump;
            view.Show(p);
            auto ticker = qSharedPointerCast<QCPAxisTickerText>(view.Plot()->xAxis->ticker());
            QCOMPARE(QStringList(ticker->ticks().values()).join(' '), labels);
        }
    }

    void exportWritesValidFilesOrSaysWhyNot() {
        velta::ChartPicture model = Picture(12, 300);
        model.marks = {{velta::SizeMark::Kind::Manual, 5}};
        QTemporaryDir dir;
        std::string why;
        // Markers as real discs in an SVG.
        QVERIFY(velta::qt::ExportChart(model, dir.filePath("c.svg").toStdString(), 640, 400, why));
        const QByteArray s = ReadAll(dir.filePath("c.svg"));
        QVERIFY((s.contains("<ellipse") || s.contains("<circle")) && !s.contains("<image"));
        const std::tuple<const char*, int, int, const char*> refused[] = {
            {"c.jpg", 100, 100, "unknown image format"},
            {"c.png", 100, 20001, "image size"},
            {"no/such/dir/c.png", 100, 100, "cannot write"}};
        for (const auto& [name, width, height, reason] : refused) {
            QVERIFY(!velta::qt::ExportChart(model, dir.filePath(name).toStdString(), width, height,
                                            why));
            QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        }
        QVERIFY(
            velta::qt::ExportChart(model, dir.filePath("tall.svg").toStdString(), 100, 20000, why));
    }

    void everyFormatFromTheMenusWithItsSizeTitleAndLegend() {
        QSettings().clear();  // the default size
        MainWindow w;
        ScriptedDialogs dialogs(w);
        QTemporaryDir dir;
        QList<QSize> proposed;        // the sizes the export proposed
        std::optional<QSize> chosen;  // the size chosen (none: the proposed one)
        for (int i : {0, 1})
            w.chart(i)->chooseSize = [&](const QSize& p, const QString&) {
                proposed << p;
                return std::optional<QSize>(chosen.value_or(p));
            };
        // The action of the File menu, or of chart `chart`'s menu.
        auto save = [&](const char* action, const QString& name, int chart = -1) {
            dialogs.files = {dir.filePath(name).toStdString()};
            if (chart >= 0)
                w.chart(chart)->ContextMenu()->findChild<QAction*>(action)->trigger();
            else
                w.findChild<QAction*>(action)->trigger();
            return ReadAll(dir.filePath(name));
        };
        w.show();
        LoadExample(w);
        QVERIFY(w.Run(velta::Command::Generate));
        const std::string seed = std::to_string(w.session().analysis.generation()->seed);
        QCOMPARE(QImage::fromData(save("savePng", "means.png", 0)).size(), QSize(1600, 1000));
        QCOMPARE(proposed, QList<QSize>{QSize(1600, 1000)});
        // Another size, then proposed again next time; a PDF page of that
        // many points; the extension added where none is given.
        chosen = QSize(900, 600);
        QCOMPARE(QImage::fromData(save("savePng", "small.png", 1)).size(), QSize(900, 600));
        chosen.reset();
        QVERIFY(save("savePdf", "means.pdf", 0).contains("/MediaBox [0 0 900.000000 600.000000]"));

        // Both charts side by side at that size, from the File menu and a chart's menu.
        const QImage both = QImage::fromData(save("exportBothChartsAction", "both.png"));
        QCOMPARE(both.size(), QSize(1800, 600));
        QStringList texts = SvgTexts(save("exportBoth", "both.svg", 1));
        QVERIFY2(texts.contains("Means") && texts.contains("Standard deviations"),
                 qPrintable(texts.join(" | ")));
        QCOMPARE(texts.count("Virtual samples"), 2);

        // Trimmed, with every size: the legend names what is drawn.
        QVERIFY(w.Run(velta::Command::Trim) && w.Run(velta::Command::Automatic));
        Control<QSlider>(w, "slider")->setValue(15);
        w.session().inputs.maxError = "2";
        QVERIFY(w.Run(velta::Command::StudentT));
        texts = SvgTexts(save("exportSdsChartAction", "sds.svg"));
        const QString automatic = QString::number(w.session().analysis.automatic()->size);
        const QString student = QString::number(w.session().analysis.studentT()->size);
        for (const QString& s :
             {QString::fromStdString("typed values; V = 30000, P = 5, seed " + seed),
              QString("Trimmed virtual samples"), QString("Fitted lines"),
              "Automatic size: " + automatic, QString("Manual size: 15"),
              "Student-t size: " + student})
            QVERIFY2(texts.contains(s), qPrintable(s + " in " + texts.join(" | ")));
        QVERIFY(!texts.contains("Virtual samples"));
    }
};

QTEST_MAIN(ChartWindowTest)
#include "chart_window_test.moc"
