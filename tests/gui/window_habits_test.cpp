// The window as a researcher uses it: typing and pasting into the grid, small
// screens, keys, labelled grids, the chart menu, the dialogs' start folder.
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTextBrowser>

#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_platform.h"
#include "platform/scripted/scripted_platform.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::qt::GridView;
using namespace velta::gui::test;

namespace {

GridView* Units(MainWindow& w) {
    return Control<GridView>(w, "unitsGrid");
}

// Types `text` as keys into whatever has the focus, as a person would.
void TypeKeys(const QString& text) {
    for (const QChar ch : text) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target != nullptr);
        QTest::keyClick(target, ch.toLatin1());
    }
}

void PressEnter(Qt::Key key = Qt::Key_Return) {
    QTest::keyClick(QApplication::focusWidget(), key);
    // The editor commits on a queued call.
    QCoreApplication::processEvents();
}

void PasteWhileEditing(const QString& clipboard, const QStringList& column1,
                       const QStringList& column2) {
    MainWindow w;
    ShowActive(w);
    GridView* grid = Units(w);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(4, 0));
    TypeKeys("9");  // starts editing row 5
    QVERIFY(grid->Editing());
    QLineEdit* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QApplication::clipboard()->setText(clipboard);
    QTest::keySequence(editor, QKeySequence::Paste);
    if (grid->Editing()) PressEnter();
    const velta::Grid& units = w.session().units;
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(QString::fromStdString(units.CellText(1, 5 + r)), column1[r]);
        QCOMPARE(QString::fromStdString(units.CellText(2, 5 + r)), column2[r]);
    }
}

}  // namespace

class WindowHabitsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void enterMovesDownSoTypedValuesFillRows() {
        MainWindow w;
        ShowActive(w);
        GridView* grid = Units(w);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        const QStringList typed = {"41.2", "38.7", "45.1", "39.9", "43.4", "40",
                                   "42.8", "37.5", "44",   "41",   "39.3", "42.2"};
        for (int i = 0; i < typed.size(); ++i) {
            TypeKeys(typed[i]);
            PressEnter(i % 2 ? Qt::Key_Enter : Qt::Key_Return);
        }
        const velta::Grid& units = w.session().units;
        QCOMPARE(units.DataRowCount(), 12);
        for (int i = 0; i < typed.size(); ++i)
            QCOMPARE(QString::fromStdString(units.CellText(1, i + 1)), typed[i]);
        QCOMPARE(grid->currentIndex().row(), 12);

        // Tab moves right; Enter outside an edit moves down.
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(grid->currentIndex().column(), 1);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentIndex().row(), 1);
    }

    void pasteWhileEditingFillsTheRowsBelow() {
        // A column, two columns, and a single value: that one stays the
        // editor's business and lands in the cell.
        const std::tuple<QString, QStringList, QStringList> cases[] = {
            {"1.5\n2.5\r\n3.5\n", {"1.5", "2.5", "3.5"}, {"", "", ""}},
            {"1\t10\r2\t20", {"1", "2", ""}, {"10", "20", ""}},
            {"7.25", {"7.25", "", ""}, {"", "", ""}}};
        for (const auto& [clipboard, column1, column2] : cases)
            PasteWhileEditing(clipboard, column1, column2);
    }
    void deleteClearsTheSelectionAndNewScrollsToTheTop() {
        MainWindow w;
        ShowActive(w);
        GridView* grid = Units(w);
        QString column;
        for (int i = 1; i <= 300; ++i) column += QString::number(i) + "\n";
        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->PasteText(column);
        grid->setFocus();
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(1, 0), grid->model()->index(3, 0)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(grid, Qt::Key_Delete);
        const velta::Grid& units = w.session().units;
        QCOMPARE(units.CellText(1, 1), std::string("1"));
        QVERIFY(units.CellText(1, 2).empty() && units.CellText(1, 4).empty());
        QCOMPARE(units.CellText(1, 5), std::string("5"));

        grid->scrollTo(grid->model()->index(280, 0));
        QVERIFY(grid->rowAt(0) > 100);
        // The typed values were never saved: New asks, and they are discarded.
        velta::ScriptedPlatform dialogs;
        dialogs.answers = {velta::MsgAnswer::Discard};
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        w.findChild<QAction*>("newAction")->trigger();
        QCOMPARE(dialogs.LastMessage(), std::string("Save the typed values?"));
        QCOMPARE(grid->rowAt(0), 0);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
    }

    void defaultGeometryFitsTheScreen() {
        // 1280x800 with no panel, a top panel, two panels, a side dock;
        // 1600x1000; a second screen; 1024x768 bare and with a top panel.
        // Measured as shown: fonts and styles apply when a window is polished.
        MainWindow shown;
        shown.show();
        const QSize least = shown.minimumSizeHint();
        for (const QRect available :
             {QRect(0, 0, 1280, 800), QRect(0, 32, 1280, 768), QRect(0, 27, 1280, 725),
              QRect(64, 27, 1216, 773), QRect(0, 0, 1600, 1000), QRect(1600, 0, 1280, 800),
              QRect(0, 0, 1024, 768), QRect(0, 27, 1024, 741)}) {
            const QRect g = MainWindow::DefaultGeometry(available);
            const QString where = QString("%1x%2 needed in %3x%4 of %5x%6")
                                      .arg(least.width())
                                      .arg(least.height())
                                      .arg(g.width())
                                      .arg(g.height())
                                      .arg(available.width())
                                      .arg(available.height());
            // With a title bar of 36 pixels and borders of 4 the frame still fits.
            QVERIFY2(available.contains(g.adjusted(-4, -32, 4, 4)), qPrintable(where));
            QVERIFY2(least.width() <= g.width() && least.height() <= g.height(), qPrintable(where));
        }
    }

    void escapeClosesAboutAndHelpAndCtrlQQuits() {
        MainWindow w;
        ShowActive(w);
        w.Run(velta::Command::About);
        QWidget* about = w.aboutWindow();
        QVERIFY(about && about->isVisible());
        ShowActive(*about);
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        w.Run(velta::Command::About);
        QVERIFY(about->isVisible());
        QTest::mouseClick(about->findChild<QPushButton*>("closeButton"), Qt::LeftButton);
        QVERIFY(!about->isVisible());

        QVERIFY(w.RunToolbar("Help"));
        QWidget* help = w.helpWindow();
        ShowActive(*help);
        QTest::keyClick(help->findChild<QTextBrowser*>(), Qt::Key_Escape);
        QVERIFY(!help->isVisible());

        QCOMPARE(w.findChild<QAction*>("exitAction")->shortcut(), QKeySequence("Ctrl+Q"));
        ShowActive(w);
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w.isVisible());
    }

    void resultGridsCarryTheirLabels() {
        MainWindow w;
        w.show();
        auto header = [&](const char* grid, Qt::Orientation o, int section) {
            return Control<GridView>(w, grid)->model()->headerData(section, o).toString();
        };
        const QStringList columns = {"Manual", "Automatic", "Student-t"};
        for (int c = 0; c < columns.size(); ++c)
            QCOMPARE(header("statisticsGrid", Qt::Horizontal, c), columns[c]);
        const QStringList rows = {"Average mean",
                                  "Maximum mean",
                                  "Minimum mean",
                                  "Average standard deviation",
                                  "Maximum standard deviation",
                                  "Minimum standard deviation"};
        for (int r = 0; r < rows.size(); ++r) QCOMPARE(header("statisticsGrid", Qt::Vertical, r), rows[r]);
        auto* report = Control<GridView>(w, "resultsGrid");
        QCOMPARE(report->model()->rowCount(), 12);
        // The cells show the view's texts.
        LoadExample(w);
        ScriptedDialogs answers(w);
        QVERIFY(w.Run(velta::Command::Generate) && w.Run(velta::Command::Trim));
        QVERIFY(w.Run(velta::Command::Automatic));
        QCOMPARE(Control<GridView>(w, "statisticsGrid")->model()->index(4, 1).data().toString(),
                 QString::fromStdString(w.view().statistics[1][4]));
        QCOMPARE(report->model()->index(2, 0).data().toString(), QString("M Int,Slo AS"));
    }

    void chartMenuSavesPngSvgAndPdf() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QVERIFY(w.Run(velta::Command::Generate));
        velta::qt::ChartView* chart = w.chart(0);
        QTemporaryDir dir;
        QString next;
        for (int i : {0, 1}) {
            w.chart(i)->chooseFile = [&](const std::string&, const std::string&) {
                return next.toStdString();
            };
            // A small size keeps the test quick; the size itself has its own test.
            w.chart(i)->chooseSize = [](const QSize&, const QString&) {
                return std::optional<QSize>(QSize(400, 250));
            };
        }
        std::string error;
        chart->showError = [&](const std::string& why) { error = why; };
        QMenu* menu = chart->ContextMenu();
        auto trigger = [&](const char* action, const QString& file) {
            next = file;
            menu->findChild<QAction*>(action)->trigger();
        };
        trigger("savePng", dir.filePath("means.png"));
        trigger("saveSvg", dir.filePath("means"));  // the extension is added
        trigger("savePdf", dir.filePath("means.pdf"));
        QVERIFY2(error.empty(), error.c_str());
        QVERIFY(!QImage(dir.filePath("means.png")).isNull());
        const QByteArray svg = ReadAll(dir.filePath("means.svg"));
        QVERIFY(QSvgRenderer(svg).isValid());
        QVERIFY(!svg.contains("<image"));
        QVERIFY(ReadAll(dir.filePath("means.pdf")).startsWith("%PDF-"));
        trigger("savePng", "");  // cancelled: nothing happens
        QVERIFY(error.empty());
        trigger("savePng", dir.filePath("no/such/folder/x.png"));
        QVERIFY(QString::fromStdString(error).contains("cannot write"));

        // File > Export chart... reaches the same save, any of the formats.
        next = dir.filePath("sds.svg");
        w.findChild<QAction*>("exportSdsChartAction")->trigger();
        QVERIFY(QSvgRenderer(ReadAll(next)).isValid());
        next.clear();

        menu->findChild<QAction*>("copyImage")->trigger();
        QVERIFY(!QApplication::clipboard()->image().isNull());
    }

    void fileDialogsStartInTheLastFolder() {
        // A pattern, a bare name, a path that stays, no folder yet.
        const char* cases[][3] = {{"*.xls", "/data/pilot", "/data/pilot"},
                                  {"sheet.xls", "/data/pilot", "/data/pilot/sheet.xls"},
                                  {"/tmp/a.dat", "/data/pilot", "/tmp/a.dat"},
                                  {"*.dat", "", "*.dat"}};
        for (auto [requested, last, start] : cases)
            QCOMPARE(velta::qt::DialogStartPath(requested, last), QString(start));
    }
};

QTEST_MAIN(WindowHabitsTest)
#include "window_habits_test.moc"
