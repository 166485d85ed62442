// The window's controls: the splash, About and Help, leaving during a
// generation, the dialogs' start folder and filters, the units grid as a
// spreadsheet, typed values never lost by a click, a file given at start.
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "base/version.h"
#include "gui/help_window.h"
#include "gui/splash_window.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_platform.h"
#include "window_test_support.h"

using velta::MsgAnswer;
using velta::gui::MainWindow;
using velta::qt::GridView;
using namespace velta::gui::test;

namespace {

// Keys typed where the focus is, then Enter (the editor commits on a queued call).
void TypeAndEnter(const QString& text, Qt::Key enter = Qt::Key_Return) {
    for (const QChar ch : text) QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), enter);
    QCoreApplication::processEvents();
}

const QString kExample = VELTA_SOURCE_DIR "/examples/pilot_sample.csv";

QString Column(MainWindow& w) {
    QStringList cells;
    const velta::Grid& g = w.session().units;
    for (int r = 1; r <= g.DataRowCount(); ++r) cells << QString::fromStdString(g.CellText(1, r));
    return cells.join(',');
}

// Selects rows first .. last (from 1) of columns 1 .. `columns` and makes the first current.
void SelectRows(GridView* grid, int first, int last, int columns = 1) {
    grid->setCurrentIndex(grid->model()->index(first - 1, 0));
    grid->selectionModel()->select(QItemSelection(grid->model()->index(first - 1, 0),
                                                  grid->model()->index(last - 1, columns - 1)),
                                   QItemSelectionModel::ClearAndSelect);
}

void TypeUnits(MainWindow& w) {
    auto* grid = Control<GridView>(w, "unitsGrid");
    int row = 0;
    for (const char* v : {"41.2", "38.7", "45.1", "39.9"})
        QVERIFY(grid->model()->setData(grid->model()->index(row++, 0), v, Qt::EditRole));
}

// A way to leave the typed values: the close box, or a key with Ctrl.
struct Way {
    const char* name;
    Qt::Key key;
    int rowsAfter;  // the rows when it went on; -1: the window closed
};
const Way kClose{"close box", Qt::Key_unknown, -1}, kQuit{"Ctrl+Q", Qt::Key_Q, -1},
    kNew{"Ctrl+N", Qt::Key_N, 0}, kOpen{"Ctrl+O", Qt::Key_O, 24};

// Leaves by `way`; whether it went on.
bool Leave(MainWindow& w, const Way& way) {
    if (way.key == Qt::Key_unknown)
        w.close();
    else
        QTest::keyClick(&w, way.key, Qt::ControlModifier);
    return way.rowsAfter < 0 ? !w.isVisible() : w.session().units.DataRowCount() == way.rowsAfter;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void splashOpensTheWindowInItsLoadStateAboutAndHelp() {
        velta::gui::SplashWindow splash;
        splash.show();
        QTest::mouseClick(splash.button(), Qt::LeftButton);
        MainWindow& w = *splash.mainWindow();
        QVERIFY(w.isVisible() && !splash.isVisible());
        QCOMPARE(w.windowTitle(), QString("VELTA ") + velta::kVersion);
        for (const char* b :
             {"generateButton", "trimButton", "automaticButton", "manualButton", "studentTButton"})
            QVERIFY2(!w.control(b)->isEnabled(), b);

        // About and Help open, and Escape closes them.
        w.findChild<QAction*>("aboutAction")->trigger();
        QWidget* about = w.aboutWindow();
        QVERIFY(about && about->isVisible());
        ShowActive(*about);
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        // The About request is consumed: a later command never brings the
        // window back by itself.
        w.Run(velta::Command::New);
        w.Render();
        QVERIFY(!about->isVisible());

        // F1: the guide from disk.
        ShowActive(w);
        QTest::keyClick(&w, Qt::Key_F1);
        velta::gui::HelpWindow* help = w.helpWindow();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->source(),
                 QUrl::fromLocalFile(VELTA_SOURCE_DIR "/docs/user_guide.html"));
        w.close();
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
            // Queued, so that it runs inside the generation's event loop.
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
            QVERIFY(!w.session().abortRequested && !w.isVisible());
        }
    }

    void typingAndPastingInTheUnitsGrid() {
        MainWindow w;
        ShowActive(w);
        auto* grid = Control<GridView>(w, "unitsGrid");
        const velta::Grid& units = w.session().units;
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        // Enter (either key) moves down, so typed values fill the rows.
        TypeAndEnter("41.2");
        TypeAndEnter("38.7", Qt::Key_Enter);
        QCOMPARE(units.CellText(1, 1) + " " + units.CellText(1, 2), std::string("41.2 38.7"));
        QCOMPARE(grid->currentIndex().row(), 2);

        // A paste while editing fills the block below the cell.
        QTest::keyClick(grid, Qt::Key_9);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(grid->Editing() && editor);
        QApplication::clipboard()->setText("1\t10\r2\t20\r\n3.5\n");
        QTest::keySequence(editor, QKeySequence::Paste);
        if (grid->Editing()) TypeAndEnter("");
        QCOMPARE(Column(w), QString("41.2,38.7,1,2,3.5"));
        QCOMPARE(units.CellText(2, 4), std::string("20"));
    }

    void dialogsStartInTheLastFolderWithTheirFilters() {
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

    void rowsInsertedAndDeletedAndEveryEditUndone() {
        MainWindow w;
        ScriptedDialogs dialogs(w);
        ShowActive(w);
        auto* grid = Control<GridView>(w, "unitsGrid");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText("1\n2\n3\n4\n5\n6\n");
        // Accepted: any later change of column 1 asks for a new acceptance.
        QVERIFY(velta::AcceptUnits(w.session(), w.platform(), velta::PilotSource()));
        w.Render();
        auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) {
            QTest::keyClick(grid, k, m);
            QCoreApplication::processEvents();
        };
        auto menu = [&](const char* action) {
            grid->ContextMenu()->findChild<QAction*>(action)->trigger();
        };
        // Ctrl++ (Ctrl+= on most keyboards) inserts as many rows as selected,
        // before the first; Ctrl+- deletes the selected rows.
        const std::pair<std::function<void()>, QString> steps[] = {
            {[&] {
                 SelectRows(grid, 2, 2), key(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
             },
             "1,,2,3,4,5,6"},
            {[&] { SelectRows(grid, 1, 2), key(Qt::Key_Equal); }, ",,1,,2,3,4,5,6"},
            {[&] { SelectRows(grid, 1, 3), key(Qt::Key_Minus); }, ",2,3,4,5,6"},
            {[&] { SelectRows(grid, 2, 3), key(Qt::Key_Delete, Qt::NoModifier); }, ",,,4,5,6"},
            {[&] { SelectRows(grid, 4, 4), menu("insertRowsAction"); }, ",,,,4,5,6"},
            {[&] { SelectRows(grid, 2, 4), menu("deleteRowsAction"); }, ",4,5,6"},
        };
        QStringList states{Column(w)};
        for (const auto& [act, expected] : steps) {
            w.session().unitsChanged = false;
            act();
            QCOMPARE(Column(w), expected);
            QVERIFY(w.session().unitsChanged && !w.control("generateButton")->isEnabled());
            states << expected;
        }
        // Ctrl+Z walks every step back (the first paste too), Ctrl+Y and the
        // menu's Redo forward.
        for (int i = states.size() - 1; i > 0; --i) {
            key(Qt::Key_Z);
            QCOMPARE(Column(w), states[i - 1]);
        }
        key(Qt::Key_Z);
        key(Qt::Key_Z);  // nothing more to undo
        QCOMPARE(Column(w), QString());
        key(Qt::Key_Y);
        for (int i = 1; i < states.size(); ++i) {
            i % 2 ? key(Qt::Key_Y) : menu("redoAction");
            QCOMPARE(Column(w), states[i]);
        }
        // New starts a grid without history.
        dialogs.answers = {MsgAnswer::Discard};
        QVERIFY(w.Run(velta::Command::New));
        key(Qt::Key_Z);
        QCOMPARE(Column(w), QString());

        // Cut carries a block, pasted back where it came from.
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText("1\t10\n2\t20\n3\t30\n");
        SelectRows(grid, 2, 3, 2);
        key(Qt::Key_X);
        QCOMPARE(QApplication::clipboard()->text(), QString("2\t20\n3\t30\n"));
        QCOMPARE(Column(w), QString("1"));
        grid->setCurrentIndex(grid->model()->index(1, 0));
        key(Qt::Key_V);
        QCOMPARE(Column(w), QString("1,2,3"));
        QCOMPARE(w.session().units.CellText(2, 3), std::string("30"));
    }

    void theUnsavedQuestionsAnswers() {
        // Save: the .xls name given, or its dialog cancelled (it answers its own start name).
        struct Case {
            const Way& way;
            MsgAnswer answer;
            bool saveNamed, goesOn;
        };
        const Case cases[] = {
            {kClose, MsgAnswer::Save, true, true},  {kClose, MsgAnswer::Cancel, false, false},
            {kQuit, MsgAnswer::Save, false, false}, {kNew, MsgAnswer::Discard, false, true},
            {kOpen, MsgAnswer::Save, true, true},   {kOpen, MsgAnswer::Cancel, false, false}};
        for (const Case& c : cases) {
            QTemporaryDir dir;
            const QString saved = dir.filePath("typed.xls");
            MainWindow w;
            ScriptedDialogs dialogs(w);
            ShowActive(w);
            TypeUnits(w);
            dialogs.answers = {c.answer};
            if (c.answer == MsgAnswer::Save)
                dialogs.files.push_back(c.saveNamed ? saved.toStdString() : "*.xls");
            dialogs.files.push_back(Copied(kExample));  // Open's own dialog
            QVERIFY2(Leave(w, c.way) == c.goesOn, c.way.name);
            QCOMPARE(dialogs.Texts().value(0), QString("Save the typed values?"));
            QCOMPARE(dialogs.messages[0].buttons, velta::MsgButtons::SaveDiscardCancel);
            QVERIFY2(QFile::exists(saved) == c.saveNamed, c.way.name);
            if (!c.goesOn) {
                QCOMPARE(w.session().units.CellText(1, 4), std::string("39.9"));
                QCOMPARE(dialogs.messages.size(), size_t{1});
            }
        }
    }

    void noQuestionWhenNothingTypedIsAtStake() {
        // Values opened, then Ctrl+N; values typed and all deleted, then the close box.
        for (const bool opened : {true, false}) {
            MainWindow w;
            ScriptedDialogs dialogs(w);
            ShowActive(w);
            dialogs.files = {Copied(kExample)};
            if (opened) {
                QVERIFY(w.Run(velta::Command::Open));
            } else {
                TypeUnits(w);
                Control<GridView>(w, "unitsGrid")->selectAll();
                QTest::keyClick(w.control("unitsGrid"), Qt::Key_Delete);
            }
            const Way& way = opened ? kNew : kClose;
            QVERIFY2(Leave(w, way) && dialogs.messages.empty(), way.name);
        }
    }

    void aFileGivenAtStartOpensAsFileOpenDoes() {
        // The second of three sheets of a workbook, as asked; no file dialog.
        MainWindow w;
        ScriptedDialogs answers(w);
        w.show();
        answers.inputs = {"2"};
        QVERIFY(w.OpenAtStart(VELTA_SOURCE_DIR "/tests/data/spreadsheets/three_sheets.ods"));
        QCOMPARE(answers.inputRequests.size(), size_t{1});
        QVERIFY(answers.messages.empty() && answers.fileRequests.empty());
        QCOMPARE(w.session().units.CellText(1, 4), std::string("40"));
        const QString gone = VELTA_SOURCE_DIR "/examples/gone.xls";
        QVERIFY(w.OpenAtStart(gone));
        QCOMPARE(answers.Texts(), QStringList{"The file " + gone + " does not exist."});
        // Refused while a generation runs: withdrawn, not left for the next
        // Open, which shows its dialog (cancelled here).
        w.session().generationRunning = true;
        QVERIFY(!w.OpenAtStart(kExample));
        w.session().generationRunning = false;
        QVERIFY(w.Run(velta::Command::Open));
        QCOMPARE(answers.fileRequests.size(), size_t{1});
    }

    // A screen reader names every control and status panel.
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
