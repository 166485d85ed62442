// A whole analysis in the window: the example pilot sample, generation,
// trimming, a manual size on the slider, then the automatic and Student-t
// sizes where the window offers them. The charts keep their width through
// it. With VELTA_SCREENSHOT_DIR set it saves the picture the README shows
// (scripts/screenshot.sh takes it under Xvfb).
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "data/presample.h"
#include "gui/main_window.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "test_settings.h"

using velta::gui::MainWindow;

class AnalysisWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void wholeAnalysis() {
        // Any message box (a guidance note, a question) takes its default.
        QTimer answer;
        connect(&answer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(box->defaultButton() ? box->standardButton(box->defaultButton())
                                               : QMessageBox::Ok);
        });
        answer.start(10);
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        velta::Workspace& ws = w.workspace();
        std::ifstream in(VELTA_SOURCE_DIR "/examples/pilot_sample.csv");
        std::string line;
        std::getline(in, line);
        int row = 0;
        while (std::getline(in, line))
            if (!line.empty()) ws.sprMain.SetCell(1, ++row, line);
        QVERIFY(velta::ComputePreSampleStats(ws, w.platform()));
        w.Render();
        QTest::qWait(20);
        QWidget* chart = w.control("VtChart1");
        const int width = chart->width();

        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(ws.VtChart1.CloudSeries() == 250);
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(ws.DataTrimmed);
        ws.Slider1.value = 9;
        QVERIFY(w.Run(velta::Command::Slider));
        QVERIFY(!ws.Text4.text.empty());
        // The commands still being wired elsewhere simply refuse.
        ws.Text1.text = "1";
        w.Render();
        w.Run(velta::Command::Automatic);
        w.Run(velta::Command::StudentT);
        QTest::qWait(50);
        QCOMPARE(chart->width(), width);
        auto* rep = qobject_cast<velta::qt::GridView*>(w.control("sprRep"));
        QCOMPARE(rep->model()->index(0, 0).data().toString(),
                 QString::fromStdString(ws.sprRep.CellText(1, 1)));
        QVERIFY(!ws.sprRep.CellText(1, 1).empty());

        const QByteArray dir = qgetenv("VELTA_SCREENSHOT_DIR");
        if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/analysis.png");
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_window_test.moc"
