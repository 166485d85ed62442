// Charts fit for a paper: exported from the chart's menu or File > Export
// chart at 1600x1000 unless another size is chosen, titled with the pilot,
// V, P and the seed, with a legend of what is drawn and nothing else; both
// charts side by side in one file.
#include <QAction>
#include <QMenu>
#include <QSlider>
#include <QXmlStreamReader>

#include "platform/qt/chart_view.h"
#include "platform/scripted/scripted_platform.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

namespace {

// The texts of an SVG drawing, in document order.
QStringList SvgTexts(const QByteArray& svg) {
    QStringList texts;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    if (xml.hasError()) texts << "XML error: " + xml.errorString();
    return texts;
}

// Width and height of a PNG from its header.
QSize PngSize(const QByteArray& png) {
    if (png.size() < 24 || !png.startsWith("\x89PNG\r\n\x1a\n")) return {};
    auto word = [&](int at) {
        return (uchar(png[at]) << 24) | (uchar(png[at + 1]) << 16) | (uchar(png[at + 2]) << 8) |
               uchar(png[at + 3]);
    };
    return QSize(word(16), word(20));
}

// The window after the example's road, its dialogs answered here.
struct Road {
    MainWindow w;
    velta::ScriptedPlatform dialogs;
    QTemporaryDir dir;
    QList<QSize> proposed;        // the sizes the export proposed
    std::optional<QSize> chosen;  // the size chosen (none: the proposed one)

    Road() {
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        w.show();
        LoadExample(w);
        for (int i : {0, 1})
            w.chart(i)->chooseSize = [this](const QSize& p, const QString&) {
                proposed << p;
                return std::optional<QSize>(chosen.value_or(p));
            };
    }
    QString Export(const char* action, const QString& name, velta::qt::ChartView* chart = nullptr) {
        const QString path = dir.filePath(name);
        dialogs.files = {path.toStdString()};
        if (chart)
            chart->ContextMenu()->findChild<QAction*>(action)->trigger();
        else
            w.findChild<QAction*>(action)->trigger();
        return path;
    }
};

}  // namespace

class ChartExportWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }
    // Each test starts from the default size.
    void init() { QSettings().clear(); }

    void aPaperSizedPngByDefaultAndTheChosenSize() {
        Road r;
        QVERIFY(r.w.Run(velta::Command::Generate));
        const QString png = r.Export("savePng", "means.png", r.w.chart(0));
        QCOMPARE(r.proposed, QList<QSize>{QSize(1600, 1000)});
        QCOMPARE(PngSize(ReadAll(png)), QSize(1600, 1000));
        QCOMPARE(QImage(png).size(), QSize(1600, 1000));

        // Another size, then proposed again next time; a PDF page of that
        // many points.
        r.chosen = QSize(900, 600);
        QCOMPARE(PngSize(ReadAll(r.Export("savePng", "small.png", r.w.chart(1)))), QSize(900, 600));
        const QByteArray pdf = ReadAll(r.Export("savePdf", "means.pdf", r.w.chart(0)));
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.contains("/MediaBox [0 0 900.000000 600.000000]"));
        QCOMPARE(r.proposed.last(), QSize(900, 600));

        // Cancelled size: nothing written.
        r.w.chart(0)->chooseSize = [](const QSize&, const QString&) {
            return std::optional<QSize>();
        };
        QVERIFY(!QFile::exists(r.Export("savePng", "none.png", r.w.chart(0))));
    }

    void legendAndTitleNameWhatIsShown() {
        Road r;
        QVERIFY(r.w.Run(velta::Command::Generate));
        const std::string seed = std::to_string(r.w.session().analysis.generation()->seed);
        QStringList texts = SvgTexts(ReadAll(r.Export("saveSvg", "generated.svg", r.w.chart(0))));
        QVERIFY2(texts.contains("Means"), qPrintable(texts.join(" | ")));
        QVERIFY(texts.contains(QString::fromStdString("typed values; V = 30000, seed " + seed)));
        QVERIFY(texts.contains("Virtual samples"));
        for (const char* absent :
             {"Fitted lines", "Automatic size", "Manual size", "Student-t size"})
            QVERIFY2(!texts.join('|').contains(absent), absent);

        QVERIFY(r.w.Run(velta::Command::Trim));
        Control<QSlider>(r.w, "slider")->setValue(15);
        QVERIFY(r.w.Run(velta::Command::Automatic));
        Control<QSlider>(r.w, "slider")->setValue(15);
        r.w.session().inputs.maxError = "2";
        QVERIFY(r.w.Run(velta::Command::StudentT));
        texts = SvgTexts(ReadAll(r.Export("saveSvg", "sds.svg", r.w.chart(1))));
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
        const QString png = r.Export("exportBothChartsAction", "both.png");
        QCOMPARE(PngSize(ReadAll(png)), QSize(3200, 1000));
        // The two halves are the two charts: each has the cloud's colour.
        const QImage both(png);
        const QColor cloud = velta::qt::ChartView::CloudColour();
        QVERIFY(CountPixels(both.copy(0, 0, 1600, 1000), cloud, 40) > 50);
        QVERIFY(CountPixels(both.copy(1600, 0, 1600, 1000), cloud, 40) > 50);
        // The same from a chart's menu, as SVG: both captions, one legend each.
        const QStringList texts =
            SvgTexts(ReadAll(r.Export("exportBoth", "both.svg", r.w.chart(1))));
        QVERIFY2(texts.contains("Means") && texts.contains("Standard deviations"),
                 qPrintable(texts.join(" | ")));
        QCOMPARE(texts.count("Virtual samples"), 2);
    }
};

QTEST_MAIN(ChartExportWindowTest)
#include "chart_export_window_test.moc"
