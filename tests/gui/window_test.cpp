// The window's controls: start-up through the splash, the load state, menus,
// toolbar, shortcuts, About and Help, the progress window and its Abort,
// leaving during a generation, typing and pasting into the units grid, the
// default geometry, names for a screen reader.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "base/version.h"
#include "commands/generate.h"
#include "gui/help_window.h"
#include "gui/progress_window.h"
#include "gui/splash_window.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_platform.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::qt::GridView;
using namespace velta::gui::test;

namespace {

GridView* Units(MainWindow& w) {
    return Control<GridView>(w, "unitsGrid");
}

// Keys typed where the focus is, then Enter (the editor commits on a queued call).
void TypeAndEnter(const QString& text, Qt::Key enter = Qt::Key_Return) {
    for (const QChar ch : text) QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), enter);
    QCoreApplication::processEvents();
}

QString Header(MainWindow& w, const char* grid, Qt::Orientation o, int section) {
    return Control<GridView>(w, grid)->model()->headerData(section, o).toString();
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void splashOpensTheWindowInItsLoadState() {
        velta::gui::SplashWindow splash;
        splash.show();
        QVERIFY(splash.mainWindow() == nullptr);
        QTest::mouseClick(splash.button(), Qt::LeftButton);
        MainWindow& w = *splash.mainWindow();
        QVERIFY(w.isVisible() && !splash.isVisible());
        QCOMPARE(w.windowTitle(), QString("VELTA ") + velta::kVersion);
        QCOMPARE(FieldText(w, "virtualSamplesField") + " " + FieldText(w, "trimPercentField"),
                 QString("30000 5"));
        for (const char* f : {"meanField", "nField", "jackknifeSeSdField", "maxErrorField",
                              "studentSdField", "automaticSizeField", "manualSizeField",
                              "studentTSizeField", "cvAutomaticUpper", "cvManualLower"})
            QVERIFY2(FieldText(w, f).isEmpty(), f);
        QCOMPARE(Control<QLabel>(w, "maximumNumberLabel")->text(), QString("Maximum number: "));
        for (const char* b :
             {"generateButton", "trimButton", "automaticButton", "manualButton", "studentTButton"})
            QVERIFY2(!w.control(b)->isEnabled(), b);
        auto* alpha = Control<QComboBox>(w, "alphaBox");
        QCOMPARE(alpha->count(), 3);
        QCOMPARE(alpha->itemText(0) + alpha->itemText(2) + alpha->currentText(),
                 QString("0.010.100.05"));
        auto* slider = Control<QSlider>(w, "slider");
        QCOMPARE(QPoint(slider->minimum(), slider->maximum()), QPoint(2, 4));
        QStringList captions;
        for (QLabel* l : w.statusBar()->findChildren<QLabel*>()) captions << l->text();
        for (const char* text : {"File name:", "Generation started:", "Generation completed:"})
            QVERIFY2(captions.contains(text), text);
        // The result grids carry their labels.
        QStringList headers;
        for (int c = 0; c < 3; ++c) headers << Header(w, "statisticsGrid", Qt::Horizontal, c);
        for (int r = 0; r < 6; ++r) headers << Header(w, "statisticsGrid", Qt::Vertical, r);
        QCOMPARE(headers.join('|'), QString("Manual|Automatic|Student-t|Average mean|Maximum mean|"
                                            "Minimum mean|Average standard deviation|Maximum "
                                            "standard deviation|Minimum standard deviation"));
        QCOMPARE(Control<GridView>(w, "resultsGrid")->model()->rowCount(), 12);
        w.close();
    }

    void menusToolbarAndShortcuts() {
        MainWindow w;
        QStringList menus, hints;
        // The captions carry their mnemonics (Alt+F, Alt+X, Alt+?).
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "E&xport", "&?"}));
        const std::pair<const char*, const char*> shortcuts[] = {
            {"openAction", "Ctrl+O"}, {"newAction", "Ctrl+N"}, {"exitAction", "Ctrl+Q"}};
        for (const auto& [action, keys] : shortcuts)
            QCOMPARE(w.findChild<QAction*>(action)->shortcut(), QKeySequence(keys));
        QCOMPARE(w.findChild<QAction*>("contentsAction")->text(), QString("&Contents...       F1"));
        QCOMPARE(w.findChild<QAction*>("saveTypedValuesAction")->text(),
                 QString("&Pre-sampling results"));
        for (QAction* a : w.toolbar()->actions()) {
            hints << a->toolTip();
            QVERIFY(!a->icon().isNull());
        }
        QCOMPARE(hints, (QStringList{"Open", "Save pre-sampling results", "New",
                                     "Configuration and Results", "Help"}));
        QVERIFY(!w.RunToolbar("help"));  // keys compare exactly

        // New restores the load state.
        ShowActive(w);
        auto* limit = Control<QLineEdit>(w, "virtualSamplesField");
        limit->selectAll();
        QTest::keyClicks(limit, "1234");
        QCOMPARE(w.session().inputs.virtualSamples, std::string("1234"));
        w.findChild<QAction*>("newAction")->trigger();
        QCOMPARE(limit->text(), QString("30000"));
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w.isVisible());
    }

    void aboutAndHelpOpenOnceAndEscapeClosesThem() {
        MainWindow w;
        ShowActive(w);
        w.findChild<QAction*>("aboutAction")->trigger();
        QWidget* about = w.aboutWindow();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QString("About VELTA"));
        QCOMPARE(about->findChild<QLabel*>("versionLabel")->text(),
                 QString("Version ") + velta::kVersion);
        SaveScreenshot(*about, "about.png");
        w.findChild<QAction*>("aboutAction")->trigger();
        QCOMPARE(w.aboutWindow(), about);
        ShowActive(*about);
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        w.Run(velta::Command::About);
        QTest::mouseClick(about->findChild<QPushButton*>("closeButton"), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        // The About request is consumed: New or a later command never
        // brings the window back by itself.
        w.Run(velta::Command::New);
        w.Render();
        QVERIFY(!about->isVisible());

        // Help from the toolbar, the menu and F1; the guide from disk, whose
        // link to the batch page resolves beside it.
        QVERIFY(w.RunToolbar("Help"));
        velta::gui::HelpWindow* help = w.helpWindow();
        const QUrl source = help->browser()->source();
        QCOMPARE(source, QUrl::fromLocalFile(VELTA_SOURCE_DIR "/docs/user_guide.html"));
        QVERIFY(QFileInfo::exists(source.resolved(QUrl("batch.html")).toLocalFile()));
        const QString guide = help->browser()->toPlainText();
        for (const char* s : {"Visual jackknife", "Student-t sample size determination",
                              "10,000,000", "The report file", "Up-left line: y = ", "71 + N"})
            QVERIFY2(guide.contains(s), s);
        ShowActive(*help);
        QTest::keyClick(help->browser(), Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        w.findChild<QAction*>("contentsAction")->trigger();
        QVERIFY(help->isVisible());
        help->close();
        ShowActive(w);
        QTest::keyClick(&w, Qt::Key_F1);
        QVERIFY(help->isVisible());
    }

    void progressWindowShowsThePhasesAndAborts() {
        velta::Session s;
        velta::GenerationProgress& p = s.progress;
        p.shown = true;
        p.samples = 4;
        p.phases[0] = {true, false};
        p.phases[1] = {true, true};
        p.drawn = 4;
        p.summarised = 1;
        velta::UpdateProgressBars(p);
        velta::gui::ProgressWindow win(s);
        win.Sync();
        const std::pair<int, const char*> bars[] = {
            {100, "Generation of the virtual samples"},
            {25, "Means and standard deviations computation"},
            {0, "Creation of the charts"}};
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(win.bar(i)->value(), bars[i - 1].first);
            QCOMPARE(win.caption(i)->text(), QString(bars[i - 1].second));
        }
        QVERIFY(win.caption(1)->isEnabled() && !win.caption(3)->isEnabled());
        QVERIFY(win.caption(2)->styleSheet().contains("#0000ff"));
        QCOMPARE(win.abortButton()->text(), QString("Abort"));
        QTest::mouseClick(win.abortButton(), Qt::LeftButton);
        QVERIFY(s.abortRequested);
    }

    void leavingDuringAGenerationAbortsIt() {
        // The close box, and Exit from the menu after the question about
        // the many samples was answered Yes.
        for (const bool byMenu : {false, true}) {
            MainWindow w;
            ScriptedDialogs answers(w);
            w.show();
            LoadExample(w);
            if (byMenu) w.session().inputs.virtualSamples = "400000";
            bool sliderEnabled = true;
            QTimer::singleShot(0, &w, [&] {
                sliderEnabled = w.control("slider")->isEnabled();
                if (byMenu)
                    w.findChild<QAction*>("exitAction")->trigger();
                else
                    w.close();
            });
            w.Run(velta::Command::Generate);
            QCOMPARE(answers.messages.size(), size_t(byMenu ? 1 : 0));
            QVERIFY(!sliderEnabled);  // nothing else is taken while it runs
            QVERIFY(!w.session().analysis.generation() && !w.session().generationRunning);
            QVERIFY(!w.session().abortRequested);
            QVERIFY(!w.isVisible());
        }
    }

    void editingAcceptedUnitsAsksForAcceptanceAgain() {
        MainWindow w;
        w.show();
        auto& s = w.session();
        for (int i = 1; i <= 6; ++i) s.units.SetCell(1, i, 10.0 + i * 1.5);
        QVERIFY(velta::AcceptUnits(s, w.platform(), velta::PilotSource()));
        w.Render();
        QWidget* generate = w.control("generateButton");
        QVERIFY(generate->isEnabled());
        QVERIFY(Units(w)->model()->setData(Units(w)->model()->index(2, 0), "99", Qt::EditRole));
        QVERIFY(s.unitsChanged && !generate->isEnabled());
        auto* note = w.findChild<QLabel*>("statusNote");
        QVERIFY(note->isVisible() && note->text().contains("Pre-sampling results"));
        QVERIFY(velta::AcceptUnits(s, w.platform(), velta::PilotSource()));
        w.Render();
        QVERIFY(generate->isEnabled() && !note->isVisible());
    }

    void typingPastingAndDeletingInTheUnitsGrid() {
        MainWindow w;
        ShowActive(w);
        GridView* grid = Units(w);
        const velta::Grid& units = w.session().units;
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        // Enter (either key) moves down, so typed values fill the rows.
        const QStringList typed = {"41.2", "38.7", "45.1", "39.9"};
        for (int i = 0; i < typed.size(); ++i)
            TypeAndEnter(typed[i], i % 2 ? Qt::Key_Enter : Qt::Key_Return);
        for (int i = 0; i < typed.size(); ++i)
            QCOMPARE(QString::fromStdString(units.CellText(1, i + 1)), typed[i]);
        QCOMPARE(grid->currentIndex().row(), 4);
        // Escape is the editor's when no generation runs: the edit is dropped.
        QTest::keyClick(grid, Qt::Key_7);
        QVERIFY(grid->Editing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!grid->Editing() && units.CellText(1, 5).empty());
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(grid->currentIndex().column(), 1);

        // A paste while editing fills the rows below; a single value stays in the cell.
        // Rows 5 .. 7 of both columns after each paste.
        const std::tuple<QString, QStringList> pastes[] = {
            {"1.5\n2.5\r\n3.5\n", {"1.5", "", "2.5", "", "3.5", ""}},
            {"1\t10\r2\t20", {"1", "10", "2", "20", "3.5", ""}},
            {"7.25", {"7.25", "10", "2", "20", "3.5", ""}}};
        for (const auto& [clipboard, cells] : pastes) {
            grid->setCurrentIndex(grid->model()->index(4, 0));
            QTest::keyClick(grid, Qt::Key_9);  // starts editing row 5
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(grid->Editing() && editor);
            editor->selectAll();
            QApplication::clipboard()->setText(clipboard);
            QTest::keySequence(editor, QKeySequence::Paste);
            if (grid->Editing()) TypeAndEnter("");
            QStringList got;
            for (int r = 5; r <= 7; ++r)
                got << QString::fromStdString(units.CellText(1, r))
                    << QString::fromStdString(units.CellText(2, r));
            QCOMPARE(got, cells);
        }

        // 1000 rows pasted; odd texts kept as typed (accepting is the commands' job).
        QString column;
        for (int i = 1; i <= 1000; ++i) column += QString::number(i * 0.25) + "\r\n";
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(column);
        QCOMPARE(units.DataRowCount(), 1000);
        QCOMPARE(units.CellText(1, 1000), std::string("250"));
        grid->setCurrentIndex(grid->model()->index(2, 0));
        grid->PasteText("nan\t1e999\n \ninf");
        QCOMPARE(units.CellText(1, 3) + units.CellText(2, 3) + units.CellText(1, 4),
                 std::string("nan1e999"));
        // Delete clears the selection.
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(5, 0), grid->model()->index(7, 0)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(grid, Qt::Key_Delete);
        QVERIFY(units.CellText(1, 6).empty() && units.CellText(1, 8).empty());
        QCOMPARE(units.CellText(1, 9), std::string("2.25"));
        // New (the typed values discarded) scrolls back to the top.
        grid->scrollTo(grid->model()->index(800, 0));
        QVERIFY(grid->rowAt(0) > 100);
        ScriptedDialogs dialogs(w);
        dialogs.answers = {velta::MsgAnswer::Discard};
        w.findChild<QAction*>("newAction")->trigger();
        QCOMPARE(dialogs.LastMessage(), std::string("Save the typed values?"));
        QCOMPARE(grid->rowAt(0), 0);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
    }

    void defaultGeometryFitsTheScreenAndDialogsStartInTheLastFolder() {
        // 1280x800 bare, under one or two panels, beside a dock; 1600x1000;
        // a second screen; 1024x768 bare and under a panel. Measured as
        // shown: fonts and styles apply when a window is polished.
        MainWindow shown;
        shown.show();
        const QSize least = shown.minimumSizeHint();
        for (const QRect available :
             {QRect(0, 0, 1280, 800), QRect(0, 32, 1280, 768), QRect(0, 27, 1280, 725),
              QRect(64, 27, 1216, 773), QRect(0, 0, 1600, 1000), QRect(1600, 0, 1280, 800),
              QRect(0, 0, 1024, 768), QRect(0, 27, 1024, 741)}) {
            const QRect g = MainWindow::DefaultGeometry(available);
            // With a title bar of 36 pixels and borders of 4 the frame still fits.
            QVERIFY(available.contains(g.adjusted(-4, -32, 4, 4)));
            QVERIFY(least.width() <= g.width() && least.height() <= g.height());
        }
        // A pattern, a bare name, a path that stays, no folder yet.
        const char* cases[][3] = {{"*.xls", "/data/pilot", "/data/pilot"},
                                  {"sheet.xls", "/data/pilot", "/data/pilot/sheet.xls"},
                                  {"/tmp/a.dat", "/data/pilot", "/tmp/a.dat"},
                                  {"*.dat", "", "*.dat"}};
        for (auto [requested, last, start] : cases)
            QCOMPARE(velta::qt::DialogStartPath(requested, last), QString(start));
        QCOMPARE(velta::qt::QtFilterFromPairs("Excel file (*.xls)|*.xls|All|*.xls;*.ods"),
                 QString("Excel file (*.xls);;All (*.xls *.ods)"));
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
        for (const char* panel : {"fileNamePanel", "generationStartedPanel",
                                  "generationCompletedPanel", "statusMessage", "statusNote"})
            if (w.control(panel)->accessibleName().isEmpty()) unnamed << panel;
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
