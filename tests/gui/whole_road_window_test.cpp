// The whole road in the window, offscreen: open the example pilot sample
// through the file dialog, generate, trim, move the slider, Automatic,
// Student-t, and save the report through the save dialog. The report file
// must hold 62 + N lines; the user guide must explain the Student-t size and
// the report.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "gui/help_window.h"
#include "gui/main_window.h"

using velta::gui::MainWindow;

namespace {

// Answers the modal dialogs as they come: a file dialog gets the next file
// name, a message box is recorded and closed.
class DialogAnswerer : public QObject {
  public:
    QStringList files;
    QStringList messages;
    DialogAnswerer() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
        timer_.start();
    }

  private:
    void Answer() {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<QFileDialog*>(w)) {
            if (files.isEmpty()) {
                d->reject();
                return;
            }
            d->selectFile(files.takeFirst());
            static_cast<QDialog*>(d)->accept();
        } else if (auto* m = qobject_cast<QMessageBox*>(w)) {
            messages << m->text();
            m->accept();
        }
    }
    QTimer timer_;
};

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

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
        QVERIFY(w.Run(velta::Command::Open));
        const int N = ws.sprMain.DataRowCount();
        QCOMPARE(N, 24);
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(ws.DataTrimmed);

        auto* slider = qobject_cast<QSlider*>(w.control("Slider1"));
        QVERIFY(slider);
        slider->setValue(10);
        if (ws.Text4.text.empty()) {  // a window whose slider is not bound yet
            QVERIFY(velta::RunSlider(ws, w.platform(), 10));
            w.Render();
        }
        QCOMPARE(ws.Text4.text, std::string("10"));

        QVERIFY(w.Run(velta::Command::Automatic));
        QVERIFY(!ws.Text3.text.empty());
        // Automatic ends with its guidance; nothing else may have been said.
        answers.messages.removeAll(
            "You may try to select alternative sample sizes using the slider between the charts");
        ws.Text1.text = "2";
        w.Render();
        QVERIFY(w.Run(velta::Command::StudentT));
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
            QVERIFY(m.visible);
            QVERIFY(m.fill == velta::kStudentLineColour);
        }
        const QByteArray shots = qgetenv("VELTA_SCREENSHOT_DIR");
        if (!shots.isEmpty()) w.grab().save(QString::fromLocal8Bit(shots) + "/whole_road.png");

        QVERIFY(w.RunToolbar("Export"));
        QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(" | ")));
        const std::string text = ReadAll(report);
        QVERIFY(!text.empty());
        int lines = 0;
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        QCOMPARE(lines, 62 + N);
        QVERIFY(text.ends_with(std::string(156, '*') + "\r\n"));
        QVERIFY(text.find("Name of the opened file: ") != std::string::npos);
        QVERIFY(text.find("Automatic sample size: " + ws.Text3.text + "\r\n") != std::string::npos);
        QVERIFY(text.find("Student-t sample size: " + ws.Text5.text + "\r\n") != std::string::npos);
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
