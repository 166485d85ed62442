// The window offscreen: start-up through the splash, the load state of every
// control, menus and toolbar reaching the commands, About and Help.
#include "base/version.h"
#include "gui/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QPushButton>
#include <QSlider>
#include <QTextBrowser>
#include <QToolBar>

#include "gui/splash_window.h"
#include "platform/qt/grid_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void splashClickOpensMainWindow() {
        velta::gui::SplashWindow splash;
        splash.show();
        QVERIFY(splash.mainWindow() == nullptr);
        QTest::mouseClick(splash.button(), Qt::LeftButton);
        MainWindow* w = splash.mainWindow();
        QVERIFY(w != nullptr && w->isVisible() && !splash.isVisible());
        QCOMPARE(w->windowTitle(), QString("VELTA ") + velta::kVersion);
        QCOMPARE(FieldText(*w, "virtualSamplesField"), QString("30000"));
        w->close();
    }

    void loadStateOfEveryControl() {
        MainWindow w;
        w.show();
        QCOMPARE(FieldText(w, "virtualSamplesField"), QString("30000"));
        QCOMPARE(FieldText(w, "trimPercentField"), QString("5"));
        for (const char* f : {"meanField", "sdField", "nField", "jackknifeSdField",
                              "jackknifeSeMeanField", "jackknifeSeSdField", "maxErrorField", "studentSdField", "automaticSizeField", "manualSizeField",
                              "studentTSizeField", "cvAutomaticUpper", "cvManualLower"})
            QVERIFY2(FieldText(w, f).isEmpty(), f);
        QCOMPARE(Control<QLabel>(w, "maximumNumberLabel")->text(), QString("Maximum number: "));
        for (const char* b :
             {"generateButton", "trimButton", "automaticButton", "manualButton", "studentTButton"})
            QVERIFY2(!w.control(b)->isEnabled(), b);
        auto* alpha = Control<QComboBox>(w, "alphaBox");
        QCOMPARE(alpha->count(), 3);
        QCOMPARE(alpha->itemText(0), QString("0.01"));
        QCOMPARE(alpha->itemText(2), QString("0.10"));
        QCOMPARE(alpha->currentText(), QString("0.05"));
        auto* slider = Control<QSlider>(w, "slider");
        QCOMPARE(QPoint(slider->minimum(), slider->maximum()), QPoint(2, 4));
        QStringList captions;
        for (QLabel* l : w.statusBar()->findChildren<QLabel*>()) captions << l->text();
        for (const char* text : {"File name:", "Generation started:", "Generation completed:"})
            QVERIFY2(captions.contains(text), text);
        QTest::qWait(50);
        SaveScreenshot(w, "main_window.png");
    }

    void menusCarryCaptionsAndShortcutsAndExitCloses() {
        MainWindow w;
        QStringList menus;
        // The captions carry their mnemonics (Alt+F, Alt+X, Alt+?).
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "E&xport", "&?"}));
        QCOMPARE(w.findChild<QAction*>("openAction")->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(w.findChild<QAction*>("newAction")->shortcut(), QKeySequence("Ctrl+N"));
        QCOMPARE(w.findChild<QAction*>("contentsAction")->text(), QString("&Contents...       F1"));
        QCOMPARE(w.findChild<QAction*>("saveTypedValuesAction")->text(),
                 QString("&Pre-sampling results"));
        QStringList hints;
        for (QAction* a : w.toolbar()->actions()) {
            hints << a->toolTip();
            QVERIFY(!a->icon().isNull());
        }
        QCOMPARE(hints, (QStringList{"Open", "Save pre-sampling results", "New",
                                     "Configuration and Results", "Help"}));
        w.show();
        w.findChild<QAction*>("exitAction")->trigger();
        QVERIFY(!w.isVisible());
    }

    void newRestoresTheLoadState() {
        MainWindow w;
        w.show();
        auto* limit = Control<QLineEdit>(w, "virtualSamplesField");
        limit->selectAll();
        QTest::keyClicks(limit, "1234");
        QCOMPARE(w.session().inputs.virtualSamples, std::string("1234"));
        w.session().units.SetCell(1, 1, "42");
        w.Render();
        w.findChild<QAction*>("newAction")->trigger();
        QCOMPARE(limit->text(), QString("30000"));
        QVERIFY(w.session().units.CellText(1, 1).empty());
    }

    void aboutIsOneWindowAndHelpOpensTheGuide() {
        MainWindow w;
        w.show();
        w.findChild<QAction*>("aboutAction")->trigger();
        auto* about = w.aboutWindow();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QString("About VELTA"));
        QCOMPARE(about->findChild<QLabel*>("versionLabel")->text(),
                 QString("Version ") + velta::kVersion);
        w.findChild<QAction*>("aboutAction")->trigger();
        QCOMPARE(w.aboutWindow(), about);

        QVERIFY(w.RunToolbar("Help"));
        QVERIFY(w.helpWindow() && w.helpWindow()->isVisible());
        QVERIFY(w.helpWindow()->browser()->toPlainText().contains("Visual jackknife"));
        QVERIFY(!w.RunToolbar("help"));  // keys compare exactly
        SaveScreenshot(*about, "about.png");

        // F1 and "Contents..." open the guide too.
        w.helpWindow()->close();
        w.findChild<QAction*>("contentsAction")->trigger();
        QVERIFY(w.helpWindow()->isVisible());
        w.helpWindow()->close();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QVERIFY(w.helpWindow()->isVisible());

        // The About request is consumed: a fresh session (New) or any
        // later command never brings the window back by itself.
        about->close();
        w.findChild<QAction*>("newAction")->trigger();
        QVERIFY(!about->isVisible());
        w.Run(velta::Command::New);
        w.Render();
        QVERIFY(!about->isVisible());
    }

    void editingAcceptedUnitsAsksForAcceptanceAgain() {
        MainWindow w;
        w.show();
        auto& s = w.session();
        for (int i = 1; i <= 6; ++i) s.units.SetCell(1, i, 10.0 + i * 1.5);
        QVERIFY(velta::AcceptUnits(s, w.platform(), velta::PilotSource()));
        w.Render();
        auto* generate = w.findChild<QPushButton*>("generateButton");
        QVERIFY(generate->isEnabled());
        auto* grid = Control<velta::qt::GridView>(w, "unitsGrid");
        QVERIFY(grid->model()->setData(grid->model()->index(2, 0), "99", Qt::EditRole));
        QVERIFY(s.unitsChanged);
        QVERIFY(!generate->isEnabled());
        auto* note = w.findChild<QLabel*>("statusNote");
        QVERIFY(note->isVisible() && note->text().contains("Pre-sampling results"));
        // Accepting again clears the note and enables Generate.
        QVERIFY(velta::AcceptUnits(s, w.platform(), velta::PilotSource()));
        w.Render();
        QVERIFY(generate->isEnabled() && !note->isVisible());
        QCOMPARE(FieldText(w, "nField"), QString("6"));
    }

    void pastingIntoTheUnitsGridNeverCrashes() {
        MainWindow w;
        w.show();
        auto* grid = Control<velta::qt::GridView>(w, "unitsGrid");
        const velta::Grid& units = w.session().units;
        QString column;
        for (int i = 1; i <= 1000; ++i) column += QString::number(i * 0.25) + "\r\n";
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(column);
        QCOMPARE(units.DataRowCount(), 1000);
        QCOMPARE(units.CellText(1, 1000), std::string("250"));
        QVERIFY(grid->model()->rowCount() >= 1000);
        // Odd texts are kept as typed; accepting them is the commands' job.
        grid->setCurrentIndex(grid->model()->index(2, 0));
        grid->PasteText("nan\t1e999\n \ninf");
        QCOMPARE(units.CellText(1, 3), std::string("nan"));
        QCOMPARE(units.CellText(2, 3), std::string("1e999"));
        QCOMPARE(units.CellText(1, 4), std::string(""));
        // Typing into a cell writes the session.
        QVERIFY(grid->model()->setData(grid->model()->index(9, 0), "3,5", Qt::EditRole));
        QCOMPARE(units.CellText(1, 10), std::string("3,5"));
    }

    void exitDuringAGenerationAbortsItAndCloses() {
        MainWindow w;
        w.show();
        auto& s = w.session();
        for (int i = 1; i <= 20; ++i) s.units.SetCell(1, i, 10.0 + (i * 7) % 11);
        QVERIFY(velta::AcceptUnits(s, w.platform(), velta::PilotSource()));
        s.inputs.virtualSamples = "200000";
        // Exit from the menu while the generation lets events run.
        bool asked = false;
        QTimer::singleShot(0, &w, [&] {
            QTimer::singleShot(0, &w, [&] {
                QMessageBox* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box) box->button(QMessageBox::Yes)->click();
                asked = true;
                QTimer::singleShot(5, &w, [&] { w.findChild<QAction*>("exitAction")->trigger(); });
            });
        });
        w.Run(velta::Command::Generate);
        QVERIFY(asked);
        QVERIFY(!s.generationRunning);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
