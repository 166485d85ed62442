// Typed values are not lost by a click: the close box, Ctrl+Q, Ctrl+N and
// Ctrl+O ask "Save the typed values?" when units were typed since the last
// save or open. Save saves them and goes on, Discard goes on, Cancel (or a
// save dialog cancelled) stays; nothing is asked when nothing typed is at
// stake. The questions are answered synchronously through the window's
// platform.
#include <QAction>
#include <functional>

#include "platform/qt/grid_view.h"
#include "platform/scripted/scripted_platform.h"
#include "window_test_support.h"

using velta::MsgAnswer;
using velta::gui::MainWindow;
using namespace velta::gui::test;

namespace {

// Four values typed into the grid, as the editor commits them.
void TypeUnits(MainWindow& w) {
    auto* grid = Control<velta::qt::GridView>(w, "unitsGrid");
    int row = 0;
    for (const char* v : {"41.2", "38.7", "45.1", "39.9"})
        QVERIFY(grid->model()->setData(grid->model()->index(row++, 0), v, Qt::EditRole));
}

const QString kExample = VELTA_SOURCE_DIR "/examples/pilot_sample.csv";

// A way to leave the typed values: what it does, and whether it went on.
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

class UnsavedValuesWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void eachAnswerOfTheQuestionForEachWayOut() {
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
                velta::ScriptedPlatform dialogs;
                w.qtPlatform().AnswerDialogsWith(&dialogs);
                ShowActive(w);
                TypeUnits(w);
                dialogs.answers = {a.answer};
                // The save dialog named or cancelled (it answers its own start
                // name), then Open's own dialog.
                if (a.answer == MsgAnswer::Save)
                    dialogs.files.push_back(a.saveNamed ? saved.toStdString() : "*.xls");
                dialogs.files.push_back(kExample.toStdString());
                way.act(w);
                QVERIFY2(!dialogs.messages.empty(), qPrintable(where));
                const auto& question = dialogs.messages.front();
                QCOMPARE(question.text, std::string("Save the typed values?"));
                QCOMPARE(question.buttons, velta::MsgButtons::SaveDiscardCancel);
                QCOMPARE(question.title, std::string("VELTA"));
                QVERIFY2(QFile::exists(saved) == a.saveNamed, qPrintable(where));
                QVERIFY2(way.wentOn(w) == a.goesOn, qPrintable(where));
                if (!a.goesOn) {
                    // Every typed value is still there, and nothing else was asked.
                    QCOMPARE(w.session().units.CellText(1, 4), std::string("39.9"));
                    QVERIFY(w.isVisible());
                    QCOMPARE(dialogs.messages.size(), size_t{1});
                }
            }
    }

    void noQuestionWhenNothingTypedIsAtStake() {
        // A fresh window; values opened from a file; values saved with
        // File > Save > Pre-sampling results; values typed and all deleted.
        const std::function<void(MainWindow&, velta::ScriptedPlatform&)> states[] = {
            [](MainWindow&, velta::ScriptedPlatform&) {},
            [](MainWindow& w, velta::ScriptedPlatform& d) {
                d.files = {kExample.toStdString()};
                QVERIFY(w.Run(velta::Command::Open));
            },
            [](MainWindow& w, velta::ScriptedPlatform& d) {
                static QTemporaryDir dir;
                TypeUnits(w);
                d.files = {dir.filePath("saved.xls").toStdString()};
                w.findChild<QAction*>("saveTypedValuesAction")->trigger();
                QVERIFY(QFile::exists(dir.filePath("saved.xls")));
            },
            [](MainWindow& w, velta::ScriptedPlatform&) {
                TypeUnits(w);
                auto* grid = Control<velta::qt::GridView>(w, "unitsGrid");
                grid->selectAll();
                QTest::keyClick(grid, Qt::Key_Delete);
                QCOMPARE(w.session().units.DataRowCount(), 0);
            },
        };
        for (const auto& state : states)
            for (const Way& way : kWays) {
                MainWindow w;
                velta::ScriptedPlatform dialogs;
                w.qtPlatform().AnswerDialogsWith(&dialogs);
                ShowActive(w);
                state(w, dialogs);
                dialogs.messages.clear();
                dialogs.files = {kExample.toStdString()};
                way.act(w);
                QVERIFY2(dialogs.messages.empty(), way.name);
                QVERIFY2(way.wentOn(w), way.name);
            }
    }
};

QTEST_MAIN(UnsavedValuesWindowTest)
#include "unsaved_values_window_test.moc"
