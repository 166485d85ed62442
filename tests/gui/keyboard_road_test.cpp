// The whole road by the keyboard alone: Ctrl+O, the buttons' mnemonics, the
// slider by the arrow keys, Student-t's box by its caption's mnemonic, the
// report from the menu bar; Tab follows the road; every control has a name
// a screen reader can say.
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>

#include "platform/qt/chart_view.h"
#include "platform/scripted/scripted_platform.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

namespace {

// A key pressed where the keyboard's focus is, as a person presses it.
void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (!target) target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &window, key, mods);
    QCoreApplication::processEvents();
}

// The offscreen platform activates every window it shows, the progress
// window too, and leaves no window active when that closes; a desktop gives
// the keyboard back to the main window (the progress window does not even
// take it there: it is shown without activating).
void GiveBackTheKeyboard(QWidget& w) {
    if (QApplication::activeWindow() == &w) return;
    QWidget* focus = w.focusWidget();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    if (focus) focus->setFocus();
}

// A button's mnemonic (Alt and its letter): the button shows itself pressed
// and is clicked when that is over.
void PressButton(MainWindow& w, const char* button, Qt::Key letter) {
    QSignalSpy clicked(w.control(button), SIGNAL(clicked(bool)));
    Press(w, letter, Qt::AltModifier);
    QVERIFY2(clicked.wait(2000), button);
}

void Type(QWidget& window, const QString& text) {
    for (const QChar c : text) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                        c.toLatin1());
    }
}

QString FocusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

}  // namespace

class KeyboardRoadTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void theWholeRoadByKeysOnly() {
        QTemporaryDir dir;
        const QString report = dir.filePath("road.dat");
        MainWindow w;
        velta::ScriptedPlatform dialogs;
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        dialogs.files = {VELTA_SOURCE_DIR "/examples/pilot_sample.xls", report.toStdString()};
        ShowActive(w);
        QCOMPARE(FocusName(), QString("unitsGrid"));

        Press(w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(FieldText(w, "nField"), QString("24"));
        PressButton(w, "generateButton", Qt::Key_G);
        GiveBackTheKeyboard(w);
        QCOMPARE(w.view().meansChart.samples, 30000);
        PressButton(w, "trimButton", Qt::Key_T);
        QVERIFY(w.view().trimmed);

        // The slider by its frame's mnemonic, then the arrow keys.
        Press(w, Qt::Key_Z, Qt::AltModifier);
        QCOMPARE(FocusName(), QString("slider"));
        // Each arrow moves it by the sample-size step (2 for 24 units).
        const int start = Control<QSlider>(w, "slider")->value();
        const int step = Control<QSlider>(w, "slider")->singleStep();
        QCOMPARE(step, 2);
        Press(w, Qt::Key_Right);
        Press(w, Qt::Key_Right);
        QCOMPARE(FieldText(w, "manualSizeField"), QString::number(start + 2 * step));
        Press(w, Qt::Key_Left);
        QCOMPARE(FieldText(w, "manualSizeField"), QString::number(start + step));

        PressButton(w, "automaticButton", Qt::Key_A);
        QVERIFY(!FieldText(w, "automaticSizeField").isEmpty());
        // The maximum error by its caption's mnemonic, then Student-t.
        Press(w, Qt::Key_E, Qt::AltModifier);
        QCOMPARE(FocusName(), QString("maxErrorField"));
        Type(w, "2");
        PressButton(w, "studentTButton", Qt::Key_S);
        QCOMPARE(FieldText(w, "studentTSizeField"), QString("9"));

        // Export > Configuration and Results from the menu bar.
        Press(w, Qt::Key_X, Qt::AltModifier);
        QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        Press(w, Qt::Key_Return);
        QVERIFY(QFile::exists(report));
        const QString status = Control<QLabel>(w, "statusMessage")->text();
        QCOMPARE(status, "Report written to " + report);
        // Automatic's guidance was the only message.
        QCOMPARE(dialogs.messages.size(), size_t{1});
    }

    void tabFollowsTheRoad() {
        MainWindow w;
        velta::ScriptedPlatform dialogs;
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        ShowActive(w);
        LoadExample(w);
        QVERIFY(w.Run(velta::Command::Generate) && w.Run(velta::Command::Trim));
        QVERIFY(w.Run(velta::Command::Automatic));
        GiveBackTheKeyboard(w);
        // Tab moves between the grid's cells; Ctrl+Tab leaves it.
        w.control("unitsGrid")->setFocus();
        Press(w, Qt::Key_Tab, Qt::ControlModifier);
        QStringList order{FocusName()};
        for (int i = 0; i < 28; ++i) {
            Press(w, Qt::Key_Tab);
            order << FocusName();
        }
        const QStringList road = {"virtualSamplesField",
                                  "seedField",
                                  "generateButton",
                                  "trimPercentField",
                                  "trimButton",
                                  "slider",
                                  "automaticButton",
                                  "manualButton",
                                  "alphaBox",
                                  "maxErrorField",
                                  "studentSdField",
                                  "studentTButton",
                                  "automaticSizeField",
                                  "automaticSpreadLabel",
                                  "manualSizeField",
                                  "studentTSizeField",
                                  "cvAutomaticLower",
                                  "cvAutomaticUpper",
                                  "cvManualLower",
                                  "cvManualUpper",
                                  "statisticsGrid",
                                  "resultsGrid",
                                  "meanField",
                                  "sdField",
                                  "nField",
                                  "jackknifeSdField",
                                  "jackknifeSeMeanField",
                                  "jackknifeSeSdField",
                                  "unitsGrid"};
        QCOMPARE(order, road);
        // And back.
        Press(w, Qt::Key_Backtab, Qt::ControlModifier);
        QCOMPARE(FocusName(), QString("jackknifeSeSdField"));
    }

    void everyControlHasAName() {
        MainWindow w;
        ShowActive(w);
        QStringList unnamed;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            const bool control =
                qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) ||
                qobject_cast<QSlider*>(c) || qobject_cast<velta::qt::ChartView*>(c) ||
                (qobject_cast<QTableView*>(c) && c->objectName().endsWith("Grid")) ||
                (qobject_cast<QAbstractButton*>(c) && c->focusPolicy() != Qt::NoFocus) ||
                qobject_cast<QToolButton*>(c);
            if (!control || !c->isVisibleTo(&w)) continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
            if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << c->metaObject()->className() + QString(" ") + c->objectName();
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
        // The panels of the status line are named too.
        for (const char* panel : {"fileNamePanel", "generationStartedPanel",
                                  "generationCompletedPanel", "statusMessage", "statusNote"})
            QVERIFY2(!w.control(panel)->accessibleName().isEmpty(), panel);
    }
};

QTEST_MAIN(KeyboardRoadTest)
#include "keyboard_road_test.moc"
