// The whole road through the window's dialogs, Open to the saved report of
// 63 + N lines; the user guide explains the Student-t size and the report.
#include <QSlider>
#include <QTextBrowser>

#include "base/version.h"
#include "commands/command_table.h"
#include "gui/help_window.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

class WholeRoadWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void wholeRoadWritesTheReport() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString report = dir.filePath("road.dat");
        DialogAnswerer answers;
        answers.files << VELTA_SOURCE_DIR "/examples/pilot_sample.xls" << report;

        MainWindow w;
        w.show();
        QVERIFY(w.Run(velta::Command::Open));
        const int N = w.session().units.DataRowCount();
        QCOMPARE(N, 24);
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(w.view().trimmed);
        auto* slider = Control<QSlider>(w, "slider");
        slider->setValue(10);
        QCOMPARE(FieldText(w, "manualSizeField"), QString("10"));

        QVERIFY(w.Run(velta::Command::Automatic));
        const QString automatic = FieldText(w, "automaticSizeField");
        QVERIFY(!automatic.isEmpty());
        // Automatic ends with its guidance; nothing else may have been said.
        answers.messages.removeAll(
            "You may try to select alternative sample sizes using the slider between the charts");
        QTest::keyClicks(Control<QLineEdit>(w, "maxErrorField"), "2");
        QVERIFY(w.Run(velta::Command::StudentT));
        QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(" | ")));
        const QString student = FieldText(w, "studentTSizeField");
        QVERIFY(!student.isEmpty());
        // Another manual size leaves the Student-t mark where it is.
        slider->setValue(14);
        QCOMPARE(FieldText(w, "manualSizeField"), QString("14"));
        const velta::SizeMark studentMark{velta::SizeMark::Kind::StudentT, student.toInt() - 1};
        for (const velta::ChartPicture* c : {&w.view().meansChart, &w.view().sdsChart})
            QVERIFY(std::find(c->marks.begin(), c->marks.end(), studentMark) != c->marks.end());
        SaveScreenshot(w, "whole_road.png");

        QVERIFY(w.RunToolbar("Export"));
        QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(" | ")));
        const std::string text = ReadAll(report).toStdString();
        QVERIFY(!text.empty());
        int lines = 0;
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        QCOMPARE(lines, 71 + N);
        QVERIFY(text.ends_with(std::string(156, '*') + "\r\nProgram: VELTA " + velta::kVersion + "\r\n"));
        for (const std::string& s : {std::string("Name of the opened file: "),
                                     "Automatic sample size: " + automatic.toStdString() + "\r\n",
                                     "Student-t sample size: " + student.toStdString() + "\r\n"})
            QVERIFY2(text.find(s) != std::string::npos, s.c_str());
        QVERIFY(text.find("not calculated") == std::string::npos);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"road.dat"});
    }

    void guideExplainsStudentTAndTheReport() {
        MainWindow w;
        w.show();
        QVERIFY(w.RunToolbar("Help"));
        const QString guide = w.helpWindow()->browser()->toPlainText();
        for (const char* s : {"Student-t sample size determination", "10,000,000",
                              "not available", "The report file", "Up-left line: y = ",
                              "not calculated", "71 + N", "n/a"})
            QVERIFY2(guide.contains(s), s);
    }
};

QTEST_MAIN(WholeRoadWindowTest)
#include "whole_road_window_test.moc"
