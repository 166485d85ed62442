// A whole analysis in the window; the charts keep their width through it.
// Also the README's picture (scripts/screenshot.sh sets VELTA_SCREENSHOT_DIR).
#include "platform/qt/grid_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

class AnalysisWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

    void wholeAnalysis() {
        DialogAnswerer answers;  // guidance notes and questions take their default
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        velta::Workspace& ws = w.workspace();
        LoadExample(w);
        w.Render();
        QTest::qWait(20);
        QWidget* chart = w.control("VtChart1");
        const int width = chart->width();

        QVERIFY(w.Run(velta::FormCommand::Generate));
        QVERIFY(ws.VtChart1.CloudSeries() == 250);
        QVERIFY(w.Run(velta::FormCommand::Trim));
        QVERIFY(ws.DataTrimmed);
        ws.Slider1.value = 9;
        QVERIFY(w.Run(velta::FormCommand::Slider));
        QVERIFY(!ws.Text4.text.empty());
        ws.Text1.text = "1";
        w.Render();
        w.Run(velta::FormCommand::Automatic);
        w.Run(velta::FormCommand::StudentT);
        QTest::qWait(50);
        QCOMPARE(chart->width(), width);
        auto* rep = Control<velta::qt::GridView>(w, "sprRep");
        QCOMPARE(rep->model()->index(0, 0).data().toString(),
                 QString::fromStdString(ws.sprRep.CellText(1, 1)));
        QVERIFY(!ws.sprRep.CellText(1, 1).empty());
        SaveScreenshot(w, "analysis.png");
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_window_test.moc"
