// The window offscreen: start-up through the splash, the load state of every
// control, menus and toolbar reaching the commands, About and Help.
#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

#include "data/presample.h"
#include "gui/splash_window.h"
#include "platform/qt/grid_view.h"

using velta::gui::MainWindow;

namespace {

QString FieldText(MainWindow& w, const char* name) {
    return qobject_cast<QLineEdit*>(w.control(name))->text();
}

void SaveScreenshot(QWidget& w, const QString& name) {
    const QByteArray dir = qgetenv("VELTA_SCREENSHOT_DIR");
    if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void splashClickOpensMainWindow() {
        velta::gui::SplashWindow splash;
        splash.show();
        QVERIFY(splash.mainWindow() == nullptr);
        QTest::mouseClick(splash.button(), Qt::LeftButton);
        MainWindow* w = splash.mainWindow();
        QVERIFY(w != nullptr);
        QVERIFY(w->isVisible());
        QVERIFY(!splash.isVisible());
        QCOMPARE(w->windowTitle(), QString("VELTA 1.00"));
        QCOMPARE(FieldText(*w, "txtLimite"), QString("250"));
        w->close();
    }

    void loadStateOfEveryControl() {
        MainWindow w;
        w.show();
        QCOMPARE(FieldText(w, "txtLimite"), QString("250"));
        QCOMPARE(FieldText(w, "txtPerc"), QString("5"));
        for (const char* f : {"txtSampleMean", "txtSampleStDev", "txtSampleN", "txtOrvoStDev",
                              "txtOrvoStErr", "txtOrvoStErrSD", "Text1", "Text2", "Text3", "Text4",
                              "Text5", "txtAutoMeanAlto", "txtManualMeanBasso"})
            QVERIFY2(FieldText(w, f).isEmpty(), f);
        QCOMPARE(qobject_cast<QLabel*>(w.control("Label17"))->text(), QString("Maximum number: "));
        for (const char* b :
             {"cmdEsegui", "cmdFilter", "cmdAutoSampleSize", "Command1", "tStudentSampleSize"})
            QVERIFY2(!w.control(b)->isEnabled(), b);
        auto* alpha = qobject_cast<QComboBox*>(w.control("cmbAlphaStud"));
        QCOMPARE(alpha->count(), 3);
        QCOMPARE(alpha->itemText(0), QString("0.01"));
        QCOMPARE(alpha->itemText(2), QString("0.10"));
        QCOMPARE(alpha->currentText(), QString("0.05"));
        auto* slider = qobject_cast<QSlider*>(w.control("Slider1"));
        QCOMPARE(slider->minimum(), 2);
        QCOMPARE(slider->maximum(), 4);
        QCOMPARE(w.findChild<QLabel*>("StatusBar1_1")->text(), QString("File name:"));
        QCOMPARE(w.findChild<QLabel*>("StatusBar1_4")->text(), QString("Generation started:"));
        QCOMPARE(w.findChild<QLabel*>("StatusBar1_7")->text(), QString("Generation completed:"));
        QTest::qWait(50);
        SaveScreenshot(w, "main_window.png");
    }

    void menusCarryCaptionsAndShortcuts() {
        MainWindow w;
        QStringList menus;
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"File", "Export", "?"}));
        auto* open = w.findChild<QAction*>("mnuOpen");
        QCOMPARE(open->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(w.findChild<QAction*>("mnuNew")->shortcut(), QKeySequence("Ctrl+N"));
        QCOMPARE(w.findChild<QAction*>("cmdContents")->text(), QString("Contents...       F1"));
        QCOMPARE(w.findChild<QAction*>("SaveSU")->text(), QString("Pre-sampling results"));
        QStringList hints;
        for (QAction* a : w.toolbar()->actions()) hints << a->toolTip();
        QCOMPARE(hints, (QStringList{"Open", "Save pre-sampling results", "New",
                                     "Configuration and Results", "Help"}));
        for (QAction* a : w.toolbar()->actions()) QVERIFY(!a->icon().isNull());
    }

    void newRestoresTheLoadState() {
        MainWindow w;
        w.show();
        auto* limit = qobject_cast<QLineEdit*>(w.control("txtLimite"));
        limit->selectAll();
        QTest::keyClicks(limit, "1234");
        QCOMPARE(w.workspace().txtLimite.text, std::string("1234"));
        w.workspace().sprMain.SetCell(1, 1, "42");
        w.Render();
        QVERIFY(w.findChild<QAction*>("mnuNew") != nullptr);
        w.findChild<QAction*>("mnuNew")->trigger();
        QCOMPARE(limit->text(), QString("250"));
        QVERIFY(w.workspace().sprMain.CellText(1, 1).empty());
    }

    void aboutIsOneWindowAndHelpOpensTheGuide() {
        MainWindow w;
        w.show();
        w.findChild<QAction*>("cmdAboutVELTA")->trigger();
        auto* about = w.aboutWindow();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QString("About VELTA"));
        QCOMPARE(about->findChild<QLabel*>("Label2")->text(),
                 QString("Version 1.01       (September 2006)"));
        w.findChild<QAction*>("cmdAboutVELTA")->trigger();
        QCOMPARE(w.aboutWindow(), about);

        QVERIFY(w.RunToolbar("Help"));
        QVERIFY(w.helpWindow() && w.helpWindow()->isVisible());
        QVERIFY(w.helpWindow()->browser()->toPlainText().contains("Visual jackknife"));
        QVERIFY(!w.RunToolbar("help"));  // keys compare exactly
        SaveScreenshot(*about, "about.png");

        // F1 and "Contents..." open the guide too.
        w.helpWindow()->close();
        w.findChild<QAction*>("cmdContents")->trigger();
        QVERIFY(w.helpWindow()->isVisible());
        w.helpWindow()->close();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QVERIFY(w.helpWindow()->isVisible());

        // The About request is consumed: a fresh workspace (New) or any
        // later command never brings the window back by itself.
        about->close();
        w.findChild<QAction*>("mnuNew")->trigger();
        QVERIFY(!about->isVisible());
        w.Run(velta::Command::New);
        w.Render();
        QVERIFY(!about->isVisible());
    }

    void editingAcceptedUnitsAsksForAcceptanceAgain() {
        MainWindow w;
        w.show();
        auto& ws = w.workspace();
        for (int i = 1; i <= 6; ++i) ws.sprMain.SetCell(1, i, 10.0 + i * 1.5);
        QVERIFY(velta::ComputePreSampleStats(ws, w.platform()));
        w.Render();
        auto* generate = w.findChild<QPushButton*>("cmdEsegui");
        QVERIFY(generate->isEnabled());
        auto* grid = qobject_cast<velta::qt::GridView*>(w.control("sprMain"));
        QVERIFY(grid->model()->setData(grid->model()->index(2, 0), "99", Qt::EditRole));
        QCOMPARE(ws.PreSampleReady, std::string("0"));
        QVERIFY(!generate->isEnabled());
        auto* note = w.findChild<QLabel*>("statusNote");
        QVERIFY(note->isVisible() && note->text().contains("Pre-sampling results"));
        // Accepting again clears the note and enables Generate.
        QVERIFY(velta::ComputePreSampleStats(ws, w.platform()));
        w.Render();
        QVERIFY(generate->isEnabled() && !note->isVisible());
        QCOMPARE(ws.txtSampleN.text, std::string("6"));
    }

    void pastingIntoTheUnitsGridNeverCrashes() {
        MainWindow w;
        w.show();
        auto* grid = qobject_cast<velta::qt::GridView*>(w.control("sprMain"));
        QString column;
        for (int i = 1; i <= 1000; ++i) column += QString::number(i * 0.25) + "\r\n";
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(column);
        QCOMPARE(w.workspace().sprMain.DataRowCount(), 1000);
        QCOMPARE(w.workspace().sprMain.CellText(1, 1000), std::string("250"));
        QVERIFY(grid->model()->rowCount() >= 1000);
        // Odd texts are kept as typed; accepting them is the commands' job.
        grid->setCurrentIndex(grid->model()->index(2, 0));
        grid->PasteText("nan\t1e999\n \ninf");
        QCOMPARE(w.workspace().sprMain.CellText(1, 3), std::string("nan"));
        QCOMPARE(w.workspace().sprMain.CellText(2, 3), std::string("1e999"));
        QCOMPARE(w.workspace().sprMain.CellText(1, 4), std::string(""));
        // Typing into a cell writes the workspace.
        QVERIFY(grid->model()->setData(grid->model()->index(9, 0), "3,5", Qt::EditRole));
        QCOMPARE(w.workspace().sprMain.CellText(1, 10), std::string("3,5"));
    }

    void exitDuringAGenerationAbortsItAndCloses() {
        MainWindow w;
        w.show();
        auto& ws = w.workspace();
        for (int i = 1; i <= 20; ++i) ws.sprMain.SetCell(1, i, 10.0 + (i * 7) % 11);
        QVERIFY(velta::ComputePreSampleStats(ws, w.platform()));
        ws.txtLimite.text = "200000";
        // Exit from the menu while the generation lets events run.
        bool asked = false;
        QTimer::singleShot(0, &w, [&] {
            QTimer::singleShot(0, &w, [&] {
                QMessageBox* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box) box->button(QMessageBox::Yes)->click();
                asked = true;
                QTimer::singleShot(5, &w, [&] { w.findChild<QAction*>("mnuExit")->trigger(); });
            });
        });
        w.Run(velta::Command::Generate);
        QVERIFY(asked);
        QVERIFY(!ws.generationRunning);
        QVERIFY(!w.isVisible());
    }

    void exitClosesTheWindow() {
        MainWindow w;
        w.show();
        w.findChild<QAction*>("mnuExit")->trigger();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
