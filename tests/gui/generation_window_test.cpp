// Generation in the window offscreen: the progress window from workspace
// state, its Abort, the clouds drawn after a generation, a line move that
// repaints only the line layer, and closing the window mid-generation.
#include <qcustomplot.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "engine/progress.h"
#include "gui/main_window.h"
#include "gui/progress_window.h"
#include "platform/qt/chart_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::gui::test::LoadExample;
using velta::gui::test::SaveScreenshot;

class GenerationWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void progressWindowShowsStateAndAborts() {
        velta::Workspace ws;
        velta::ShowProgressWindow(ws, 4);
        ws.frmAvanzamento.Label2 = {true, false};
        ws.frmAvanzamento.Label1 = {true, true};
        ws.DrawProgress = 4;
        ws.StatsProgress = 1;
        velta::TickProgressWindow(ws);
        velta::gui::ProgressWindow win(ws);
        win.Sync();
        QCOMPARE(win.bar(1)->value(), 100);
        QCOMPARE(win.bar(2)->value(), 25);
        QCOMPARE(win.bar(3)->value(), 0);
        QCOMPARE(win.caption(1)->text(), QString("Generation of the virtual samples"));
        QCOMPARE(win.caption(2)->text(), QString("Means and standard deviations computation"));
        QCOMPARE(win.caption(3)->text(), QString("Creation of the charts"));
        QVERIFY(win.caption(1)->isEnabled());
        QVERIFY(win.caption(2)->styleSheet().contains("#0000ff"));
        QVERIFY(!win.caption(3)->isEnabled());
        QVERIFY(win.windowTitle().isEmpty());
        QCOMPARE(win.abortButton()->text(), QString("Abort"));
        QTest::mouseClick(win.abortButton(), Qt::LeftButton);
        QCOMPARE(ws.AbortRequested, std::string("1"));
    }

    void generationDrawsTheClouds() {
        MainWindow w;
        w.show();
        LoadExample(w);
        velta::Workspace& ws = w.workspace();
        QCOMPARE(ws.txtLimite.text, std::string("250"));
        bool progressSeen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] { progressSeen |= w.progressWindow() != nullptr; });
        poll.start(0);
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(progressSeen);
        QVERIFY(w.progressWindow() == nullptr);
        QVERIFY(ws.cmdFilter.enabled);
        QVERIFY(w.control("cmdFilter")->isEnabled());
        auto* chart = qobject_cast<velta::qt::ChartView*>(w.control("VtChart1"));
        QCOMPARE(chart->Plot()->yAxis->range().lower, double(ws.MeansLower));
        QCOMPARE(chart->Plot()->yAxis->range().upper, double(ws.MeansUpper));
        QCOMPARE(chart->Plot()->xAxis->label(), QString("Sample size"));
        // Cloud pixels appear inside the plot area.
        QTest::qWait(50);
        const QImage img = chart->Plot()->toPixmap(700, 500).toImage();
        int cloud = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                cloud += img.pixelColor(x, y) == velta::qt::ChartView::CloudColour();
        QVERIFY(cloud > 50);
        SaveScreenshot(w, "generated.png");

        // A vertical line drawn on the chart repaints only the line layer.
        velta::ChartModel& model = ws.VtChart1;
        const int32_t V = model.CloudSeries();
        velta::Table2D t = ws.VirtualSampleTable.means;
        velta::WidenTable(t, V + velta::kLineColumnCount);
        velta::StoreLadder(t, 9, V + 19, ws.MeansLower, ws.MeansUpper);
        const int full = chart->FullRedraws();
        model.SetDataGrid(model.RowCount(), V + velta::kLineColumnCount);
        model.LoadBlock(t, model.RowCount(), V + velta::kLineColumnCount);
        velta::FormatVerticalLine(model, 10, velta::kManualLineColour);
        w.Render();
        QCOMPARE(chart->FullRedraws(), full + 1);  // resizing the grid is a new cloud
        velta::StoreLadder(t, 9, V + 19, 0, 0);
        velta::StoreLadder(t, 11, V + 19, ws.MeansLower, ws.MeansUpper);
        model.LoadBlock(t, model.RowCount(), V + velta::kLineColumnCount);
        velta::FormatVerticalLine(model, 12, velta::kManualLineColour);
        w.Render();
        QCOMPARE(chart->FullRedraws(), full + 1);
    }

    void closingTheWindowAbortsTheGeneration() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QTimer::singleShot(0, &w, [&] { w.close(); });
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.workspace().VirtualSampleTable.Empty());
        QVERIFY(!w.workspace().generationRunning);
        QCOMPARE(w.workspace().AbortRequested, std::string("0"));
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(GenerationWindowTest)
#include "generation_window_test.moc"
