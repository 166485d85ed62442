// A whole analysis in the window; the charts keep their width through it.
// Also the README's picture (scripts/screenshot.sh sets VELTA_SCREENSHOT_DIR).
#include <QSlider>

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
        LoadExample(w);
        QTest::qWait(20);
        QWidget* chart = w.control("meansChart");
        const int width = chart->width();

        QVERIFY(w.Run(velta::Command::Generate));
        QCOMPARE(w.view().meansChart.samples, 30000);
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(w.view().trimmed);
        Control<QSlider>(w, "slider")->setValue(9);
        QCOMPARE(FieldText(w, "manualSizeField"), QString("9"));
        QTest::keyClicks(Control<QLineEdit>(w, "maxErrorField"), "1");
        w.Run(velta::Command::Automatic);
        w.Run(velta::Command::StudentT);
        QTest::qWait(50);
        QCOMPARE(chart->width(), width);
        auto* statistics = Control<velta::qt::GridView>(w, "statisticsGrid");
        QCOMPARE(statistics->model()->index(0, 0).data().toString(),
                 QString::fromStdString(w.view().statistics[0][0]));
        QVERIFY(!w.view().statistics[0][0].empty());
        SaveScreenshot(w, "analysis.png");
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_window_test.moc"
