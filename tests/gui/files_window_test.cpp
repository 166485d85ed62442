// The units grid as a spreadsheet (long values and the header whole, rows
// inserted and deleted, every edit undone and redone, copy and cut), typed
// values never lost by a click (the close box, Ctrl+Q, Ctrl+N and Ctrl+O ask
// "Save the typed values?" while something typed is unsaved), and a file
// given at start opened as File > Open opens it.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <functional>

#include "platform/qt/grid_view.h"
#include "window_test_support.h"

using velta::MsgAnswer;
using velta::gui::MainWindow;
using velta::qt::GridView;
using namespace velta::gui::test;

namespace {

const QString kExample = VELTA_SOURCE_DIR "/examples/pilot_sample.csv";

QStringList Column(MainWindow& w) {
    QStringList cells;
    const velta::Grid& g = w.session().units;
    for (int r = 1; r <= g.DataRowCount(); ++r) cells << QString::fromStdString(g.CellText(1, r));
    return cells;
}

// Selects rows first .. last (from 1) of column 1 and makes the first current.
void SelectRows(GridView* grid, int first, int last) {
    grid->setCurrentIndex(grid->model()->index(first - 1, 0));
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(first - 1, 0), grid->model()->index(last - 1, 0)),
        QItemSelectionModel::ClearAndSelect);
}

void TypeUnits(MainWindow& w) {
    auto* grid = Control<GridView>(w, "unitsGrid");
    int row = 0;
    for (const char* v : {"41.2", "38.7", "45.1", "39.9"})
        QVERIFY(grid->model()->setData(grid->model()->index(row++, 0), v, Qt::EditRole));
}

// A way to leave the typed values, and whether it went on.
struct Way {
    const char* name;
    std::function<void(MainWindow&)> act;
    std::function<bool(MainWindow&)> wentOn;
};
const Way kWays[] = {
    {"close box", [](MainWindow& w) { w.close(); }, [](MainWindow& w) { return !w.isVisible(); }},
    {"Ctrl+Q", [](MainWindow& w) { QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier); },
     [](MainWindow& w) { return !w.isVisible(); }},
    {"Ctrl+N", [](MainWindow& w) { QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier); },
     [](MainWindow& w) { return w.session().units.DataRowCount() == 0; }},
    {"Ctrl+O", [](MainWindow& w) { QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier); },
     [](MainWindow& w) { return w.session().units.DataRowCount() == 24; }},
};

}  // namespace

class FilesWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void longValuesAndTheHeaderShowWhole() {
        MainWindow w;
        ScriptedDialogs dialogs(w);
        ShowActive(w);
        dialogs.files = {Copied(VELTA_SOURCE_DIR "/examples/pilot_sample.xls")};
        QVERIFY(w.Run(velta::Command::Open));
        auto* grid = Control<GridView>(w, "unitsGrid");
        const QString header = grid->model()->headerData(0, Qt::Horizontal).toString();
        QCOMPARE(header, QString("Leaf length (mm)"));
        QVERIFY(grid->columnWidth(0) >=
                grid->horizontalHeader()->fontMetrics().horizontalAdvance(header) + 8);
        // Values of up to 15 significant digits show whole, the usual ones
        // without scrolling sideways.
        const QStringList values = {"-12345.6789012345", "0.123456789012345", "41.6950123456789",
                                    "1.23456789012345E-300"};
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(values.join('\n'));
        QCoreApplication::processEvents();
        for (int r = 0; r < values.size(); ++r) {
            QVERIFY2(grid->columnWidth(0) >= grid->fontMetrics().horizontalAdvance(values[r]) + 8,
                     qPrintable(values[r]));
            QCOMPARE(grid->model()->index(r, 0).data().toString(), values[r]);
        }
        grid->model()->setData(grid->model()->index(3, 0), "1", Qt::EditRole);
        QCoreApplication::processEvents();
        QVERIFY(grid->columnViewportPosition(0) + grid->columnWidth(0) <= grid->viewport()->width());
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
            {[&] { SelectRows(grid, 2, 2), key(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier); },
             "1,,2,3,4,5,6"},
            {[&] { SelectRows(grid, 1, 2), key(Qt::Key_Equal); }, ",,1,,2,3,4,5,6"},
            {[&] { SelectRows(grid, 1, 3), key(Qt::Key_Minus); }, ",2,3,4,5,6"},
            {[&] { grid->model()->setData(grid->model()->index(0, 0), "7.5", Qt::EditRole); },
             "7.5,2,3,4,5,6"},
            {[&] {
                 grid->setCurrentIndex(grid->model()->index(4, 0));
                 QApplication::clipboard()->setText("50\n60\n70\n");
                 key(Qt::Key_V);
             },
             "7.5,2,3,4,50,60,70"},
            {[&] { SelectRows(grid, 2, 3), key(Qt::Key_Delete, Qt::NoModifier); },
             "7.5,,,4,50,60,70"},
            {[&] { SelectRows(grid, 4, 4), menu("insertRowsAction"); }, "7.5,,,,4,50,60,70"},
            {[&] { SelectRows(grid, 2, 4), menu("deleteRowsAction"); }, "7.5,4,50,60,70"},
        };
        QStringList states{Column(w).join(',')};
        for (const auto& [act, expected] : steps) {
            w.session().unitsChanged = false;
            act();
            QCOMPARE(Column(w).join(','), expected);
            QVERIFY(w.session().unitsChanged && !w.control("generateButton")->isEnabled());
            states << expected;
        }
        // Ctrl+Z walks every step back (the first paste too), Ctrl+Y and the
        // menu's Redo forward.
        for (int i = states.size() - 1; i > 0; --i) {
            w.session().unitsChanged = false;
            key(Qt::Key_Z);
            QCOMPARE(Column(w).join(','), states[i - 1]);
            QVERIFY(w.session().unitsChanged);
        }
        key(Qt::Key_Z);
        key(Qt::Key_Z);  // nothing more to undo
        QCOMPARE(Column(w), QStringList());
        key(Qt::Key_Y);
        for (int i = 1; i < states.size(); ++i) {
            i % 2 ? key(Qt::Key_Y) : menu("redoAction");
            QCOMPARE(Column(w).join(','), states[i]);
        }
        menu("undoAction");
        QCOMPARE(Column(w).join(','), states[states.size() - 2]);
        // New starts a grid without history.
        dialogs.answers = {MsgAnswer::Discard};
        QVERIFY(w.Run(velta::Command::New));
        key(Qt::Key_Z);
        QCOMPARE(Column(w), QStringList());

        // Copy and cut carry a block, pasted back where it came from.
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText("1\t10\n2\t20\n3\t30\n");
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(1, 0), grid->model()->index(2, 1)),
            QItemSelectionModel::ClearAndSelect);
        key(Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->text(), QString("2\t20\n3\t30\n"));
        key(Qt::Key_X);
        QCOMPARE(Column(w), QStringList{"1"});
        grid->setCurrentIndex(grid->model()->index(1, 0));
        key(Qt::Key_V);
        QCOMPARE(Column(w).join(','), QString("1,2,3"));
        QCOMPARE(w.session().units.CellText(2, 3), std::string("30"));
    }

    void eachAnswerOfTheUnsavedQuestionForEachWayOut() {
        struct Answer {
            const char* name;
            MsgAnswer answer;
            bool saveNamed;  // Save: the .xls name is given; else its dialog is cancelled
            bool goesOn;
        };
        const Answer answers[] = {{"Save", MsgAnswer::Save, true, true},
                                  {"Save, then cancelled", MsgAnswer::Save, false, false},
                                  {"Discard", MsgAnswer::Discard, false, true},
                                  {"Cancel", MsgAnswer::Cancel, false, false}};
        for (const Way& way : kWays)
            for (const Answer& a : answers) {
                const QString where = QString("%1, %2").arg(way.name, a.name);
                QTemporaryDir dir;
                const QString saved = dir.filePath("typed.xls");
                MainWindow w;
                ScriptedDialogs dialogs(w);
                ShowActive(w);
                TypeUnits(w);
                dialogs.answers = {a.answer};
                // The save dialog named or cancelled (it answers its own
                // start name), then Open's own dialog.
                if (a.answer == MsgAnswer::Save)
                    dialogs.files.push_back(a.saveNamed ? saved.toStdString() : "*.xls");
                dialogs.files.push_back(Copied(kExample));
                way.act(w);
                QVERIFY2(!dialogs.messages.empty(), qPrintable(where));
                const auto& question = dialogs.messages.front();
                QCOMPARE(question.text, std::string("Save the typed values?"));
                QCOMPARE(question.buttons, velta::MsgButtons::SaveDiscardCancel);
                QCOMPARE(question.title, std::string("VELTA"));
                QVERIFY2(QFile::exists(saved) == a.saveNamed, qPrintable(where));
                QVERIFY2(way.wentOn(w) == a.goesOn, qPrintable(where));
                if (!a.goesOn) {
                    QCOMPARE(w.session().units.CellText(1, 4), std::string("39.9"));
                    QVERIFY(w.isVisible());
                    QCOMPARE(dialogs.messages.size(), size_t{1});
                }
            }
    }

    void noQuestionWhenNothingTypedIsAtStake() {
        // A fresh window; values opened; values saved with File > Save >
        // Pre-sampling results; values typed and all deleted.
        QTemporaryDir dir;
        const std::function<void(MainWindow&, velta::ScriptedPlatform&)> states[] = {
            [](MainWindow&, velta::ScriptedPlatform&) {},
            [](MainWindow& w, velta::ScriptedPlatform& d) {
                d.files = {Copied(kExample)};
                QVERIFY(w.Run(velta::Command::Open));
            },
            [&](MainWindow& w, velta::ScriptedPlatform& d) {
                TypeUnits(w);
                d.files = {dir.filePath("saved.xls").toStdString()};
                w.findChild<QAction*>("saveTypedValuesAction")->trigger();
                QVERIFY(QFile::exists(dir.filePath("saved.xls")));
            },
            [](MainWindow& w, velta::ScriptedPlatform&) {
                TypeUnits(w);
                auto* grid = Control<GridView>(w, "unitsGrid");
                grid->selectAll();
                QTest::keyClick(grid, Qt::Key_Delete);
                QCOMPARE(w.session().units.DataRowCount(), 0);
            },
        };
        for (const auto& state : states)
            for (const Way& way : kWays) {
                MainWindow w;
                ScriptedDialogs dialogs(w);
                ShowActive(w);
                state(w, dialogs);
                dialogs.messages.clear();
                dialogs.files = {Copied(kExample)};
                way.act(w);
                QVERIFY2(dialogs.messages.empty(), way.name);
                QVERIFY2(way.wentOn(w), way.name);
            }
    }

    void aFileGivenAtStartOpensAsFileOpenDoes() {
        // Each format; the second of three sheets of a workbook, as asked.
        const QString examples = VELTA_SOURCE_DIR "/examples/pilot_sample.";
        const std::tuple<QString, std::string, QString, std::string> cases[] = {
            {examples + "xls", "", "24", "38.9"},
            {examples + "xlsx", "", "24", "38.9"},
            {examples + "csv", "", "24", "38.9"},
            {VELTA_SOURCE_DIR "/tests/data/spreadsheets/three_sheets.ods", "2", "4", "40"}};
        for (const auto& [file, sheet, n, lastValue] : cases) {
            MainWindow w;
            ScriptedDialogs answers(w);
            answers.inputs = {sheet};
            w.show();
            QVERIFY(w.OpenAtStart(file));
            QVERIFY2(answers.messages.empty(), qPrintable(answers.Texts().join(" | ")));
            QVERIFY(answers.fileRequests.empty());
            QCOMPARE(answers.inputRequests.size(), size_t(sheet.empty() ? 0 : 1));
            QCOMPARE(FieldText(w, "nField"), n);
            QCOMPARE(w.session().units.CellText(1, n.toInt()), lastValue);
            QCOMPARE(w.control("fileNamePanel")->toolTip(), file);
            QVERIFY(w.control("generateButton")->isEnabled());
        }
        // A relative path is made absolute.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(VELTA_SOURCE_DIR "/examples"));
        MainWindow w;
        ScriptedDialogs answers(w);
        w.show();
        const bool ran = w.OpenAtStart("pilot_sample.csv");
        QDir::setCurrent(before);
        QVERIFY(ran);
        QCOMPARE(w.control("fileNamePanel")->toolTip(), kExample);
        // The answer serves one Open only: the next shows its dialog (cancelled here).
        QVERIFY(w.Run(velta::Command::Open));
        QCOMPARE(answers.fileRequests.size(), size_t{1});
        QCOMPARE(FieldText(w, "nField"), QString("24"));
        // A missing file is told and changes nothing.
        QTemporaryDir dir;
        MainWindow other;
        ScriptedDialogs otherAnswers(other);
        other.show();
        QVERIFY(other.OpenAtStart(dir.filePath("gone.xls")));
        QCOMPARE(otherAnswers.Texts(),
                 QStringList{"The file " + dir.filePath("gone.xls") + " does not exist."});
        QVERIFY(FieldText(other, "nField").isEmpty());
        // Refused while a generation runs: withdrawn, not left for the next Open.
        other.session().generationRunning = true;
        QVERIFY(!other.OpenAtStart(kExample));
        other.session().generationRunning = false;
        QVERIFY(other.Run(velta::Command::Open));
        QCOMPARE(otherAnswers.fileRequests.size(), size_t{1});
        QVERIFY(FieldText(other, "nField").isEmpty());
    }
};

QTEST_MAIN(FilesWindowTest)
#include "files_window_test.moc"
