// The whole road in the window by the keyboard alone: Ctrl+O, the buttons'
// mnemonics, the slider by the arrow keys, Student-t's box by its caption's
// mnemonic, the report from the menu bar. On the way: the progress window,
// the busy words of the long steps, the clouds, lines and marks of both
// charts, the result grids, the report; at the end every result in view and
// readable on a 1024x768 screen. Tab follows the road; a remembered geometry
// is cut to the screen. Also the README's and the guide's pictures.
#include <qcustomplot.h>

#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>

#include "base/version.h"
#include "commands/automatic.h"
#include "gui/marked_slider.h"
#include "platform/qt/chart_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::qt::ChartView;
using namespace velta::gui::test;

namespace {

// A key pressed where the keyboard's focus is, as a person presses it.
void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (!target) target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &window, key, mods);
    QCoreApplication::processEvents();
}

// The offscreen platform leaves no window active when the progress window
// closes; a desktop gives the keyboard back to the main window.
void GiveBackTheKeyboard(QWidget& w) {
    if (QApplication::activeWindow() == &w) return;
    QWidget* focus = w.focusWidget();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    if (focus) focus->setFocus();
}

// A button's mnemonic (Alt and its letter): clicked once shown pressed (a
// tenth of a second); the wait ends with the click, the limit only stops a
// test whose button never answers.
void PressButton(MainWindow& w, const char* button, Qt::Key letter) {
    QSignalSpy clicked(w.control(button), SIGNAL(clicked(bool)));
    Press(w, letter, Qt::AltModifier);
    QVERIFY2(clicked.count() == 1 || clicked.wait(60000), button);
}

QString FocusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

// Pixels of `colour` in the chart drawn at 700x500, laid out again at its
// own size afterwards so that the window shows it as before.
int Pixels(MainWindow& w, int chart, const QColor& colour, int tolerance = 0) {
    QCustomPlot* plot = w.chart(chart)->Plot();
    const QImage image = plot->toPixmap(700, 500).toImage();
    plot->replot();
    return CountPixels(image, colour, tolerance);
}

// Every field, grid and label that shows a result, the status line, and the
// inputs and commands of the road.
const QStringList kShown =
    QString(
        "meanField sdField nField jackknifeSdField jackknifeSeMeanField jackknifeSeSdField "
        "maximumNumberLabel cvAutomaticLower cvAutomaticUpper cvManualLower cvManualUpper "
        "automaticSizeField manualSizeField studentTSizeField statisticsGrid resultsGrid "
        "meansChart sdsChart meansAverageAutomatic meansAverageManual sdsAverageAutomatic "
        "sdsAverageManual fileNamePanel generationStartedPanel generationCompletedPanel "
        "unitsGrid virtualSamplesField generateButton trimPercentField trimButton slider "
        "automaticButton manualButton alphaBox maxErrorField studentSdField studentTButton")
        .split(' ');

}  // namespace

class RoadWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void theWholeRoadByKeysOnly() {
        QTemporaryDir dir;
        const QString report = dir.filePath("road.dat");
        MainWindow w;
        ScriptedDialogs dialogs(w);
        dialogs.files = {Copied(VELTA_SOURCE_DIR "/examples/pilot_sample.xls"),
                         report.toStdString()};
        ShowActive(w);
        QCOMPARE(FocusName(), QString("unitsGrid"));
        SaveScreenshot(w, "main_window.png");
        // What the window shows while the long steps run.
        auto* status = Control<QLabel>(w, "statusMessage");
        QStringList busyWords;
        bool progressShown = false;
        const auto draw = w.qtPlatform().onShowNow;
        w.qtPlatform().onShowNow = [&] {
            draw();
            busyWords << (status->isVisible() ? status->text() : QString());
        };
        const auto refresh = w.qtPlatform().onRefresh;
        w.qtPlatform().onRefresh = [&] {
            refresh();
            progressShown |= w.progressWindow() != nullptr;
        };

        Press(w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(FieldText(w, "nField"), QString("24"));
        const QColor white = ChartView::FittedLineColour(), blue(50, 0, 255), pink(255, 0, 100);
        PressButton(w, "generateButton", Qt::Key_G);
        GiveBackTheKeyboard(w);
        QVERIFY(progressShown && w.progressWindow() == nullptr);
        QVERIFY(Pixels(w, 0, ChartView::CloudColour(), 40) > 50);
        SaveScreenshot(w, "generated.png");
        PressButton(w, "trimButton", Qt::Key_T);
        const int whiteBefore[] = {Pixels(w, 0, white, 40), Pixels(w, 1, white, 40)};

        // The slider by its frame's mnemonic, then the arrow keys, a step
        // (2 for 24 units) each; a move repaints only the charts' overlay.
        auto* slider = Control<velta::gui::MarkedSlider>(w, "slider");
        QCOMPARE(QPoint(slider->maximum(), slider->singleStep()), QPoint(23, 2));
        const int fullRedraws = w.chart(0)->FullRedraws();
        Press(w, Qt::Key_Z, Qt::AltModifier);
        QCOMPARE(FocusName(), QString("slider"));
        const int start = slider->value();
        Press(w, Qt::Key_Right);
        Press(w, Qt::Key_Right);
        Press(w, Qt::Key_Left);
        QCOMPARE(FieldText(w, "manualSizeField"), QString::number(start + 2));
        QCOMPARE(w.chart(0)->FullRedraws(), fullRedraws);
        QVERIFY(Pixels(w, 0, pink) > 20 && Pixels(w, 1, pink) > 20);
        QVERIFY(Control<QLabel>(w, "sdsAverageManual")->text().startsWith("average (manual): "));
        SaveScreenshot(w, "manual_size.png");

        PressButton(w, "automaticButton", Qt::Key_A);
        QCOMPARE(dialogs.Texts(), QStringList{velta::kTrySliderMessage});
        QCOMPARE(busyWords, (QStringList{"Trimming the virtual samples...",
                                         "Searching for the automatic sample size..."}));
        const velta::AutomaticAnswer& a = *w.session().analysis.automatic();
        const QString automatic = FieldText(w, "automaticSizeField");
        QCOMPARE(automatic, QString::number(a.size));
        QCOMPARE(FieldText(w, "manualSizeField"), automatic);
        auto cell = [&](const char* grid, int row, int column) {
            return Control<QTableView>(w, grid)->model()->index(row, column).data().toString();
        };
        QCOMPARE(cell("resultsGrid", 1, 0) + " " + cell("resultsGrid", 1, 1), "SZ M " + automatic);
        QCOMPARE(cell("statisticsGrid", 4, 1), QString::fromStdString(w.view().statistics[1][4]));
        // The slider marks the automatic size and stands there; fitted lines
        // on both charts, the manual mark over the automatic one.
        QCOMPARE(slider->Mark(), a.size);
        QCOMPARE(slider->value(), a.size);
        QVERIFY(CountPixels(slider->grab().toImage(), blue) > 5);
        QVERIFY(Pixels(w, 0, white, 40) > whiteBefore[0] + 200);
        QVERIFY(Pixels(w, 1, white, 40) > whiteBefore[1] + 200);
        SaveScreenshot(w, "automatic.png");

        // The maximum error by its caption's mnemonic, then Student-t.
        Press(w, Qt::Key_E, Qt::AltModifier);
        QCOMPARE(FocusName(), QString("maxErrorField"));
        Press(w, Qt::Key_2);
        PressButton(w, "studentTButton", Qt::Key_S);
        QCOMPARE(FieldText(w, "studentTSizeField"), QString("9"));
        // Another manual size uncovers the automatic mark.
        slider->setValue(slider->maximum());
        QVERIFY(Pixels(w, 0, blue) > 20 && Pixels(w, 1, blue) > 20);
        SaveScreenshot(w, "whole_road.png");
        SaveScreenshot(w, "analysis.png");

        // Every result readable in the window the screen gives room for,
        // not pushed beyond it by its own minimum size.
        QCOMPARE(w.geometry(), MainWindow::DefaultGeometry(w.screen()->availableGeometry()));
        for (const QString& name : kShown) {
            QWidget* c = w.control(name);
            QVERIFY2(c && c->isVisible(), qPrintable(name));
            QVERIFY2(w.rect().contains(QRect(c->mapTo(&w, QPoint(0, 0)), c->size())),
                     qPrintable(name));
            // Texts whole in their fields.
            if (auto* edit = qobject_cast<QLineEdit*>(c))
                QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->text()) <=
                             edit->contentsRect().width() - 4,
                         qPrintable(name + ": " + edit->text()));
            auto* label = qobject_cast<QLabel*>(c);
            if (label && label->objectName() != "fileNamePanel")
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                         qPrintable(name + ": " + label->text()));
            // Every cell of a result grid in view, none behind a scroll bar.
            auto* grid = qobject_cast<QTableView*>(c);
            for (int r = 0; grid && name != "unitsGrid" && r < grid->model()->rowCount(); ++r)
                for (int k = 0; k < grid->model()->columnCount(); ++k)
                    QVERIFY2(grid->viewport()->rect().contains(
                                 grid->visualRect(grid->model()->index(r, k))),
                             qPrintable(QString("%1 %2,%3").arg(name).arg(r).arg(k)));
        }

        // Export > Configuration and Results from the menu bar.
        Press(w, Qt::Key_X, Qt::AltModifier);
        QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        Press(w, Qt::Key_Return);
        QCOMPARE(status->text(), "Report written to " + report);
        QCOMPARE(dialogs.messages.size(), size_t{1});
        QCOMPARE(ReadAll(report).count("\r\n"), 71 + 24);
        QVERIFY(ReadAll(report).contains("Automatic sample size: " + automatic.toUtf8() + "\r\n"));
    }

    void tabFollowsTheRoad() {
        MainWindow w;
        ScriptedDialogs dialogs(w);
        ShowActive(w);
        LoadExample(w);
        QVERIFY(w.Run(velta::Command::Generate) && w.Run(velta::Command::Trim));
        QVERIFY(w.Run(velta::Command::Automatic));
        GiveBackTheKeyboard(w);
        // Tab moves between the grid's cells; Ctrl+Tab leaves it, and Tab then
        // goes round the road's controls in order, back to the grid.
        w.control("unitsGrid")->setFocus();
        Press(w, Qt::Key_Tab, Qt::ControlModifier);
        QStringList visited{FocusName()};
        while (visited.back() != "unitsGrid" && visited.size() < 40) {
            Press(w, Qt::Key_Tab);
            visited << FocusName();
        }
        const QStringList road = QString(
                                     "virtualSamplesField generateButton trimButton slider "
                                     "automaticButton maxErrorField studentTButton unitsGrid")
                                     .split(' ');
        QCOMPARE(QStringList(visited).filter(QRegularExpression("^(" + road.join('|') + ")$")),
                 road);
        Press(w, Qt::Key_Backtab, Qt::ControlModifier);
        QCOMPARE(FocusName(), QString("jackknifeSeSdField"));

        // Sliding before trimming answers once, when let go.
        QVERIFY(w.Run(velta::Command::Generate));
        auto* slider = Control<QSlider>(w, "slider");
        dialogs.messages.clear();
        slider->setSliderDown(true);
        slider->setValue(5);
        slider->setValue(6);
        QVERIFY(dialogs.messages.empty());
        slider->setSliderDown(false);
        QCOMPARE(dialogs.Texts(), QStringList{"You have to trim the data before trying to "
                                              "manually select a sample size"});
        QCOMPARE(FieldText(w, "manualSizeField"), QString());
    }

    void rememberedGeometryIsCutToTheScreen() {
        // Under a top panel, cut to the room (the frame allowed for: borders
        // of 4 pixels, a title bar of 36); from a screen that is gone, moved in.
        QCOMPARE(MainWindow::FitToScreen(QRect(4, 32, 1592, 964), QRect(0, 27, 1280, 773)),
                 QRect(4, 59, 1272, 737));
        QCOMPARE(MainWindow::FitToScreen(QRect(2000, 100, 1200, 700), QRect(0, 0, 1280, 800)),
                 QRect(76, 96, 1200, 700));
        // The window opens where it was left, when that fits.
        {
            MainWindow w;
            w.show();
            w.setGeometry(8, 40, 1010, 700);
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.close();
        }
        QCOMPARE(MainWindow().geometry(), QRect(8, 40, 1010, 700));
        QSettings().clear();
    }
};

// The tests run on an offscreen screen of 1024x768, the smallest the window
// promises to fit; the pictures on the screen given.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && config.open(QIODevice::WriteOnly)) {
        config.write(R"({"windowFrameMargins": false, "screens": [{"name": "small", "x": 0,
                        "y": 0, "width": 1024, "height": 768, "logicalDpi": 96,
                        "logicalBaseDpi": 96, "dpr": 1}]})");
        config.close();
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" + dir.filePath("screens.json").toLocal8Bit());
    }
    QApplication app(argc, argv);
    RoadWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "road_window_test.moc"
