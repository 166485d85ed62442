// The window on a 1024x768 screen: every result in view and readable after a
// whole analysis, a remembered geometry cut to the screen it opens on, one
// that fits kept.
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QTableView>

#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

namespace {

// Every field, grid and label that shows a result, and the status line.
const char* const kResults[] = {
    "meanField", "sdField", "nField", "jackknifeSdField", "jackknifeSeMeanField",
    "jackknifeSeSdField", "maximumNumberLabel", "cvAutomaticLower", "cvAutomaticUpper",
    "cvManualLower", "cvManualUpper", "automaticSizeField", "manualSizeField",
    "studentTSizeField", "statisticsGrid", "resultsGrid", "meansChart", "sdsChart",
    "meansAverageAutomatic", "meansAverageManual", "sdsAverageAutomatic", "sdsAverageManual",
    "fileNamePanel", "generationStartedPanel", "generationCompletedPanel"};

// The inputs and commands of the road.
const char* const kControls[] = {"unitsGrid",        "virtualSamplesField", "generateButton",
                                 "trimPercentField", "trimButton",          "slider",
                                 "automaticButton",  "manualButton",        "alphaBox",
                                 "maxErrorField",    "studentSdField",      "studentTButton"};

// The two 1024x768 screens: bare, and with a desktop panel at the top.
const QRect kScreens[] = {QRect(0, 0, 1024, 768), QRect(0, 27, 1024, 741)};

QRect InWindow(QWidget& w, QWidget* c) {
    return QRect(c->mapTo(&w, QPoint(0, 0)), c->size());
}

}  // namespace

class SmallScreenTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        UseTestSettings();
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1024, 768));
    }

    void everyResultIsReadableOn1024x768() {
        for (const QRect& available : kScreens) {
            MainWindow w;
            ScriptedDialogs dialogs(w);  // Automatic's note is answered Ok
            w.show();
            const QRect g = MainWindow::DefaultGeometry(available);
            w.setGeometry(g);
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            // Not pushed beyond the screen by its own minimum size.
            QCOMPARE(w.size(), g.size());

            LoadExample(w);
            QVERIFY(w.Run(velta::Command::Generate) && w.Run(velta::Command::Trim));
            Control<QSlider>(w, "slider")->setValue(9);
            QVERIFY(w.Run(velta::Command::Automatic));
            Control<QLineEdit>(w, "maxErrorField")->setText("2");
            w.session().inputs.maxError = "2";
            QVERIFY(w.Run(velta::Command::StudentT));
            QCoreApplication::processEvents();
            QVERIFY(!FieldText(w, "studentTSizeField").isEmpty());

            const QString where =
                QString("on %1x%2").arg(available.width()).arg(available.height());
            for (const char* name : kResults) {
                QWidget* c = w.control(name);
                QVERIFY2(c && c->isVisible(), name);
                QVERIFY2(w.rect().contains(InWindow(w, c)), qPrintable(name + (" " + where)));
                // Texts whole in their fields.
                if (auto* edit = qobject_cast<QLineEdit*>(c))
                    QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->text()) <=
                                 edit->contentsRect().width() - 4,
                             qPrintable(QString(name) + ": " + edit->text() + " " + where));
                if (auto* label = qobject_cast<QLabel*>(c);
                    label && label->objectName() != "fileNamePanel")
                    QVERIFY2(
                        label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                        qPrintable(QString(name) + ": " + label->text() + " " + where));
                // Every cell of a result grid in view, none behind a scroll bar.
                if (auto* grid = qobject_cast<QTableView*>(c))
                    for (int r = 0; r < grid->model()->rowCount(); ++r)
                        for (int k = 0; k < grid->model()->columnCount(); ++k)
                            QVERIFY2(
                                grid->viewport()->rect().contains(
                                    grid->visualRect(grid->model()->index(r, k))),
                                qPrintable(
                                    QString("%1 %2,%3 %4").arg(name).arg(r).arg(k).arg(where)));
            }
            for (const char* name : kControls) {
                QWidget* c = w.control(name);
                QVERIFY2(c && c->isVisible() && w.rect().contains(InWindow(w, c)), name);
            }
            SaveScreenshot(w, available.top() == 0 ? "window_1024x768.png" : "window_1024x741.png");
        }
    }

    void rememberedGeometryIsCutToTheScreen() {
        // Frame allowed for: 4 pixels of border each side, a title bar of 36.
        struct Case {
            QRect remembered, available, expected;
        };
        const Case cases[] = {
            // From a 1280x800 screen: cut to the room, kept at the top left.
            {QRect(4, 32, 1272, 764), QRect(0, 0, 1024, 768), QRect(4, 32, 1016, 732)},
            // Under a top panel.
            {QRect(4, 32, 1272, 764), QRect(0, 27, 1024, 741), QRect(4, 59, 1016, 705)},
            // Fits: kept as it was.
            {QRect(40, 60, 900, 600), QRect(0, 0, 1024, 768), QRect(40, 60, 900, 600)},
            // Too far right or down: moved in, size kept.
            {QRect(600, 500, 900, 600), QRect(0, 0, 1024, 768), QRect(120, 164, 900, 600)},
            // On a second screen that is gone: brought onto this one.
            {QRect(2000, 100, 1200, 700), QRect(0, 0, 1024, 768), QRect(4, 64, 1016, 700)},
            // Above and left of the screen.
            {QRect(-300, -50, 800, 600), QRect(0, 0, 1024, 768), QRect(4, 32, 800, 600)},
            // A second screen to the right, the window on it.
            {QRect(1300, 40, 1000, 700), QRect(1024, 0, 1920, 1080), QRect(1300, 40, 1000, 700)},
        };
        for (const Case& c : cases)
            QCOMPARE(MainWindow::FitToScreen(c.remembered, c.available), c.expected);

        // The window itself: a size remembered from a larger screen opens
        // cut to this one, a size that fits as it was.
        for (const auto& [remembered, opens] : {std::pair(QRect(0, 30, 1272, 764), QRect(4, 32, 1016, 732)),
                                                std::pair(QRect(8, 40, 1010, 700), QRect(8, 40, 1010, 700))}) {
            {
                MainWindow w;
                w.show();
                w.setGeometry(remembered);
                QVERIFY(QTest::qWaitForWindowExposed(&w));
                w.close();
            }
            MainWindow again;
            QVERIFY(opens.contains(again.geometry()));
            if (opens == remembered) QCOMPARE(again.geometry(), opens);
        }
        QSettings().clear();
    }
};

// The tests run on an offscreen screen of 1024x768.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (!config.open(QIODevice::WriteOnly)) return 1;
    config.write(R"({"windowFrameMargins": false, "screens": [{"name": "small", "x": 0, "y": 0,
                    "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96,
                    "dpr": 1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM",
            ("offscreen:configfile=" + dir.filePath("screens.json")).toLocal8Bit());
    QApplication app(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "small_screen_test.moc"
