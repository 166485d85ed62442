// The units grid as a spreadsheet: a value of 15 significant digits shown
// whole and the "Sampling units" header not cut; rows inserted and deleted
// by the usual keys and by the context menu; Ctrl+Z and Ctrl+Y for typing,
// a paste, clearing and row edits; every change of column 1 is an edit of
// the units, as typing is.
#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>

#include "platform/qt/grid_view.h"
#include "platform/scripted/scripted_platform.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::qt::GridView;
using namespace velta::gui::test;

namespace {

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

}  // namespace

class SpreadsheetGridWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void longValuesAndTheHeaderShowWhole() {
        MainWindow w;
        velta::ScriptedPlatform dialogs;
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        ShowActive(w);
        dialogs.files = {VELTA_SOURCE_DIR "/examples/pilot_sample.xls"};
        QVERIFY(w.Run(velta::Command::Open));
        auto* grid = Control<GridView>(w, "unitsGrid");
        const QString header = grid->model()->headerData(0, Qt::Horizontal).toString();
        QCOMPARE(header, QString("Leaf length (mm)"));
        QVERIFY(grid->columnWidth(0) >=
                grid->horizontalHeader()->fontMetrics().horizontalAdvance(header) + 8);

        // Values of up to 15 significant digits, typed: each shows whole, the
        // usual ones without scrolling sideways.
        const QStringList values = {"-12345.6789012345", "0.123456789012345", "41.6950123456789",
                                    "1.23456789012345E-300"};
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(values.join('\n'));
        QCoreApplication::processEvents();
        for (int r = 0; r < values.size(); ++r) {
            const int needs = grid->fontMetrics().horizontalAdvance(values[r]);
            QVERIFY2(grid->columnWidth(0) >= needs + 8, qPrintable(values[r]));
            QCOMPARE(grid->model()->index(r, 0).data().toString(), values[r]);
        }
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(values.mid(0, 3).join('\n') + "\n1\n");
        grid->model()->setData(grid->model()->index(3, 0), "", Qt::EditRole);
        QCoreApplication::processEvents();
        QVERIFY2(
            grid->columnViewportPosition(0) + grid->columnWidth(0) <= grid->viewport()->width(),
            "a value of 15 digits is seen without scrolling sideways");
    }

    void rowsInsertedAndDeletedAndEveryEditUndone() {
        MainWindow w;
        velta::ScriptedPlatform dialogs;
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        ShowActive(w);
        auto* grid = Control<GridView>(w, "unitsGrid");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText("1\n2\n3\n4\n5\n6\n");
        // Accepted as the pilot: any later change of column 1 asks for a new
        // acceptance before Generate.
        QVERIFY(velta::AcceptUnits(w.session(), w.platform(), velta::PilotSource()));
        w.Render();
        const QStringList start = Column(w);
        auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) {
            QTest::keyClick(grid, k, m);
            QCoreApplication::processEvents();
        };

        // Ctrl++ (Ctrl+= on most keyboards) inserts as many rows as selected,
        // before the first; Ctrl+- deletes the selected rows.
        struct Step {
            const char* what;
            std::function<void()> act;
            QStringList expected;
        };
        const Step steps[] = {
            {"insert one",
             [&] {
                 SelectRows(grid, 2, 2);
                 key(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
             },
             {"1", "", "2", "3", "4", "5", "6"}},
            {"insert two",
             [&] {
                 SelectRows(grid, 1, 2);
                 key(Qt::Key_Equal);
             },
             {"", "", "1", "", "2", "3", "4", "5", "6"}},
            {"delete three",
             [&] {
                 SelectRows(grid, 1, 3);
                 key(Qt::Key_Minus);
             },
             {"", "2", "3", "4", "5", "6"}},
            {"type",
             [&] { grid->model()->setData(grid->model()->index(0, 0), "7.5", Qt::EditRole); },
             {"7.5", "2", "3", "4", "5", "6"}},
            {"paste",
             [&] {
                 grid->setCurrentIndex(grid->model()->index(4, 0));
                 QApplication::clipboard()->setText("50\n60\n70\n");
                 key(Qt::Key_V);
             },
             {"7.5", "2", "3", "4", "50", "60", "70"}},
            {"clear",
             [&] {
                 SelectRows(grid, 2, 3);
                 key(Qt::Key_Delete, Qt::NoModifier);
             },
             {"7.5", "", "", "4", "50", "60", "70"}},
            {"menu: insert",
             [&] {
                 SelectRows(grid, 4, 4);
                 grid->ContextMenu()->findChild<QAction*>("insertRowsAction")->trigger();
             },
             {"7.5", "", "", "", "4", "50", "60", "70"}},
            {"menu: delete",
             [&] {
                 SelectRows(grid, 2, 4);
                 grid->ContextMenu()->findChild<QAction*>("deleteRowsAction")->trigger();
             },
             {"7.5", "4", "50", "60", "70"}},
        };
        std::vector<QStringList> states{start};
        for (const Step& s : steps) {
            w.session().unitsChanged = false;
            s.act();
            QCOMPARE(Column(w), s.expected);
            QVERIFY2(w.session().unitsChanged, s.what);
            QVERIFY2(!w.control("generateButton")->isEnabled(), s.what);
            states.push_back(Column(w));
        }
        // Ctrl+Z walks every step back, Ctrl+Y (and the menu's Redo) forward.
        for (size_t i = states.size() - 1; i > 0; --i) {
            w.session().unitsChanged = false;
            key(Qt::Key_Z);
            QCOMPARE(Column(w), states[i - 1]);
            QVERIFY(w.session().unitsChanged);
        }
        // The first paste was an edit too.
        key(Qt::Key_Z);
        QCOMPARE(Column(w), QStringList());
        key(Qt::Key_Z);  // nothing more to undo
        QCOMPARE(Column(w), QStringList());
        key(Qt::Key_Y);
        QCOMPARE(Column(w), start);
        for (size_t i = 1; i < states.size(); ++i) {
            if (i % 2)
                key(Qt::Key_Y);
            else
                grid->ContextMenu()->findChild<QAction*>("redoAction")->trigger();
            QCOMPARE(Column(w), states[i]);
        }
        // Undo of the menu.
        grid->ContextMenu()->findChild<QAction*>("undoAction")->trigger();
        QCOMPARE(Column(w), states[states.size() - 2]);
        // New starts a grid without history.
        dialogs.answers = {velta::MsgAnswer::Discard};
        QVERIFY(w.Run(velta::Command::New));
        key(Qt::Key_Z);
        QCOMPARE(Column(w), QStringList());
    }

    void copyAndCutCarryABlock() {
        MainWindow w;
        ShowActive(w);
        auto* grid = Control<GridView>(w, "unitsGrid");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText("1\t10\n2\t20\n3\t30\n");
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(1, 0), grid->model()->index(2, 1)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("2\t20\n3\t30\n"));
        QTest::keyClick(grid, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(Column(w), (QStringList{"1"}));
        // Pasted back where it came from.
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Column(w), (QStringList{"1", "2", "3"}));
        QCOMPARE(w.session().units.CellText(2, 3), std::string("30"));
    }
};

QTEST_MAIN(SpreadsheetGridWindowTest)
#include "spreadsheet_grid_window_test.moc"
