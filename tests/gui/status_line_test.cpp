// The status line says what happened: where the pilot in use came from
// (file, sheet and column, or typed values), the words of a long step while
// it runs, where the report was written.
#include <QLabel>
#include <QSlider>

#include "platform/scripted/scripted_platform.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

class StatusLineTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void saysWhatHappened() {
        QTemporaryDir dir;
        MainWindow w;
        velta::ScriptedPlatform dialogs;
        w.qtPlatform().AnswerDialogsWith(&dialogs);
        w.show();
        auto* pilot = Control<QLabel>(w, "fileNamePanel");
        auto* status = Control<QLabel>(w, "statusMessage");
        QCOMPARE(pilot->text(), QString());
        LoadExample(w);
        QCOMPARE(pilot->text(), QString("typed values"));

        // A workbook of three sheets, the second chosen.
        const QString workbook = VELTA_SOURCE_DIR "/tests/data/spreadsheets/three_sheets.ods";
        QVERIFY(QFile::exists(workbook));
        dialogs.files = {workbook.toStdString()};
        dialogs.inputs = {"2"};
        QVERIFY(w.Run(velta::Command::Open));
        QVERIFY2(pilot->text().startsWith("three_sheets.ods, sheet \""), qPrintable(pilot->text()));
        QVERIFY(pilot->text().contains(", column A"));
        QCOMPARE(pilot->toolTip(), workbook);

        // The words of the long steps, shown while they run, gone after.
        QStringList seen;
        const auto draw = w.qtPlatform().onShowNow;
        w.qtPlatform().onShowNow = [&] {
            draw();
            seen << (status->isVisible() ? status->text() : QString());
        };
        QVERIFY(w.Run(velta::Command::Generate) && w.Run(velta::Command::Trim));
        QVERIFY(w.Run(velta::Command::Automatic));
        QCOMPARE(seen, (QStringList{"Trimming the virtual samples...",
                                    "Searching for the automatic sample size..."}));
        QVERIFY(!status->isVisible());

        // A manual size (Automatic cannot succeed on so few units).
        Control<QSlider>(w, "slider")->setValue(3);
        QVERIFY(w.session().analysis.manual());
        const QString report = dir.filePath("report.dat");
        dialogs.files = {report.toStdString()};
        QVERIFY(w.Run(velta::Command::WriteReport));
        QVERIFY(QFile::exists(report));
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), "Report written to " + report);

        // New: nothing in use, nothing written.
        QVERIFY(w.Run(velta::Command::New));
        QCOMPARE(pilot->text() + status->text(), QString());
    }
};

QTEST_MAIN(StatusLineTest)
#include "status_line_test.moc"
