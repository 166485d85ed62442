// `velta FILE`: the window opens a file given at start as File > Open does,
// for each format, with the sheet question of a workbook of several sheets
// and Open's own message for a file that is not there; and the guide comes
// from disk, not from the copy built in.
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>

#include "commands/command_table.h"
#include "gui/help_window.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

class OpenAtStartTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void opensEachFormat_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");  // the answer to the sheet question, if asked
        QTest::addColumn<QString>("n");
        QTest::addColumn<QString>("lastValue");
        const QString examples = VELTA_SOURCE_DIR "/examples/";
        QTest::newRow("xls") << examples + "pilot_sample.xls"
                             << ""
                             << "24"
                             << "38.9";
        QTest::newRow("xlsx") << examples + "pilot_sample.xlsx"
                              << ""
                              << "24"
                              << "38.9";
        QTest::newRow("csv") << examples + "pilot_sample.csv"
                             << ""
                             << "24"
                             << "38.9";
        QTest::newRow("ods, second of three sheets")
            << VELTA_SOURCE_DIR "/tests/data/spreadsheets/three_sheets.ods"
            << "2"
            << "4"
            << "40";
    }

    void opensEachFormat() {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(QString, n);
        QFETCH(QString, lastValue);
        MainWindow w;
        ScriptedDialogs answers(w);
        answers.inputs = {sheet.toStdString()};
        w.show();
        QVERIFY(w.OpenAtStart(file));
        QVERIFY2(answers.messages.empty(), qPrintable(answers.Texts().join(" | ")));
        QVERIFY(answers.fileRequests.empty());
        QCOMPARE(answers.inputRequests.size(), size_t(sheet.isEmpty() ? 0 : 1));
        if (!sheet.isEmpty()) QVERIFY(answers.inputRequests[0].prompt.starts_with("Found 3 sheets"));
        QCOMPARE(FieldText(w, "nField"), n);
        QCOMPARE(QString::fromStdString(w.session().units.CellText(1, n.toInt())), lastValue);
        // The status line names the file (its path in the tip) and the column.
        QCOMPARE(w.control("fileNamePanel")->toolTip(), file);
        QVERIFY(w.control("fileNamePanel")
                    ->property("text")
                    .toString()
                    .startsWith(QFileInfo(file).fileName() + ","));
        // Accepted as Open accepts: Generate is next.
        QVERIFY(w.control("generateButton")->isEnabled());
    }

    void relativePathIsMadeAbsolute() {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(VELTA_SOURCE_DIR "/examples"));
        MainWindow w;
        ScriptedDialogs answers(w);
        w.show();
        const bool ran = w.OpenAtStart("pilot_sample.csv");
        QDir::setCurrent(before);
        QVERIFY(ran);
        QCOMPARE(w.control("fileNamePanel")->toolTip(),
                 QString(VELTA_SOURCE_DIR "/examples/pilot_sample.csv"));
        QCOMPARE(FieldText(w, "nField"), QString("24"));
    }

    void missingFileIsToldAndChangesNothing() {
        QTemporaryDir dir;
        MainWindow w;
        ScriptedDialogs answers(w);
        w.show();
        QVERIFY(w.OpenAtStart(dir.filePath("gone.xls")));
        QCOMPARE(answers.Texts(),
                 QStringList{"The file " + dir.filePath("gone.xls") + " does not exist."});
        QVERIFY(FieldText(w, "nField").isEmpty());
        QVERIFY(!w.control("generateButton")->isEnabled());
    }

    void theAnswerServesOneOpenOnly() {
        MainWindow w;
        ScriptedDialogs answers(w);
        w.show();
        QVERIFY(w.OpenAtStart(VELTA_SOURCE_DIR "/examples/pilot_sample.csv"));
        // The next Open shows its dialog (cancelled here): the file stays.
        QVERIFY(w.Run(velta::Command::Open));
        QCOMPARE(answers.fileRequests.size(), size_t{1});
        QCOMPARE(FieldText(w, "nField"), QString("24"));

        // Refused (a generation runs): the answer is withdrawn, not left for
        // the next Open.
        MainWindow other;
        ScriptedDialogs otherAnswers(other);
        other.show();
        other.session().generationRunning = true;
        QVERIFY(!other.OpenAtStart(VELTA_SOURCE_DIR "/examples/pilot_sample.xls"));
        other.session().generationRunning = false;
        QVERIFY(other.Run(velta::Command::Open));
        QCOMPARE(otherAnswers.fileRequests.size(), size_t{1});
        QVERIFY(FieldText(other, "nField").isEmpty());
    }

    void guideComesFromDisk() {
        // A program of the build tree shows the source tree's guide, whose
        // link to the batch page resolves beside it.
        velta::gui::HelpWindow help;
        const QUrl source = help.browser()->source();
        QCOMPARE(source, QUrl::fromLocalFile(VELTA_SOURCE_DIR "/docs/user_guide.html"));
        QVERIFY(help.browser()->toPlainText().contains("Visual jackknife"));
        QVERIFY(QFileInfo::exists(source.resolved(QUrl("batch.html")).toLocalFile()));
    }
};

QTEST_MAIN(OpenAtStartTest)
#include "open_at_start_test.moc"
