// The whole road through the window's dialogs, Open to the saved report of
// 62 + N lines; the user guide explains the Student-t size and the report.
#include <QSlider>
#include <QTextBrowser>

#include "app/commands.h"
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
        velta::Workspace& ws = w.workspace();
        QVERIFY(w.Run(velta::FormCommand::Open));
        const int N = ws.sprMain.DataRowCount();
        QCOMPARE(N, 24);
        QVERIFY(w.Run(velta::FormCommand::Generate));
        QVERIFY(w.Run(velta::FormCommand::Trim));
        QVERIFY(ws.DataTrimmed);
        Control<QSlider>(w, "Slider1")->setValue(10);
        QCOMPARE(ws.Text4.text, std::string("10"));

        QVERIFY(w.Run(velta::FormCommand::Automatic));
        QVERIFY(!ws.Text3.text.empty());
        // Automatic ends with its guidance; nothing else may have been said.
        answers.messages.removeAll(
            "You may try to select alternative sample sizes using the slider between the charts");
        ws.Text1.text = "2";
        w.Render();
        QVERIFY(w.Run(velta::FormCommand::StudentT));
        QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(" | ")));
        QVERIFY(!ws.Text5.text.empty());
        QCOMPARE(ws.StudentMarkDrawn, std::string("1"));
        const int studentPoint = std::stoi(ws.Text5.text) - 1;
        // Another manual size clears the shared line columns; the green mark
        // comes back at once.
        QVERIFY(velta::RunSlider(ws, w.platform(), 14));
        w.Render();
        QCOMPARE(ws.Text4.text, std::string("14"));
        for (velta::ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
            const velta::Marker m = c->PointMarker(c->ColumnCount(), studentPoint);
            QVERIFY(m.visible && m.fill == velta::kStudentLineColour);
        }
        SaveScreenshot(w, "whole_road.png");

        QVERIFY(w.RunToolbar("Export"));
        QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(" | ")));
        const std::string text = ReadAll(report).toStdString();
        QVERIFY(!text.empty());
        int lines = 0;
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        QCOMPARE(lines, 62 + N);
        QVERIFY(text.ends_with(std::string(156, '*') + "\r\n"));
        for (const std::string& s : {std::string("Name of the opened file: "),
                                     "Automatic sample size: " + ws.Text3.text + "\r\n",
                                     "Student-t sample size: " + ws.Text5.text + "\r\n"})
            QVERIFY2(text.find(s) != std::string::npos, s.c_str());
        QVERIFY(text.find("not calculated") == std::string::npos);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"road.dat"});
    }

    void guideExplainsStudentTAndTheReport() {
        MainWindow w;
        w.show();
        QVERIFY(w.RunToolbar("Help"));
        const QString guide = w.helpWindow()->browser()->toPlainText();
        for (const char* s : {"Student-t sample size determination", "n = 31",
                              "is incoherent with the pre-sampling data", "The report file",
                              "Up-left line: y = ", "not calculated", "62 + N"})
            QVERIFY2(guide.contains(s), s);
    }
};

QTEST_MAIN(WholeRoadWindowTest)
#include "whole_road_window_test.moc"
