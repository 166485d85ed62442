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
using namespace velta::gui::test;

class GenerationWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestSettings(); }

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
        const std::pair<int, const char*> bars[] = {
            {100, "Generation of the virtual samples"},
            {25, "Means and standard deviations computation"},
            {0, "Creation of the charts"}};
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(win.bar(i)->value(), bars[i - 1].first);
            QCOMPARE(win.caption(i)->text(), QString(bars[i - 1].second));
        }
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
        QVERIFY(w.Run(velta::FormCommand::Generate));
        QVERIFY(progressSeen);
        QVERIFY(w.progressWindow() == nullptr);
        QVERIFY(ws.cmdFilter.enabled && w.control("cmdFilter")->isEnabled());
        auto* chart = Control<velta::qt::ChartView>(w, "VtChart1");
        // The fixed range, padded a little so points on its limits show whole.
        const QCPRange range = chart->Plot()->yAxis->range();
        const double span = ws.MeansUpper - ws.MeansLower;
        QVERIFY(range.lower < ws.MeansLower && range.lower > ws.MeansLower - 0.1 * span);
        QVERIFY(range.upper > ws.MeansUpper && range.upper < ws.MeansUpper + 0.1 * span);
        QCOMPARE(chart->Plot()->xAxis->label(), QString("Sample size"));
        QCOMPARE(chart->Plot()->yAxis->label(), QString("Mean"));
        QTest::qWait(50);
        const QImage img = chart->Plot()->toPixmap(700, 500).toImage();
        // Cloud pixels: the cloud's hue, darker than the plot background.
        const QColor c = velta::qt::ChartView::CloudColour();
        int cloud = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2) {
                const QColor p = img.pixelColor(x, y);
                cloud += p.blue() > p.red() + 20 && p.lightness() < 200 &&
                         std::abs(p.hue() - c.hue()) < 20;
            }
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
        QVERIFY(w.Run(velta::FormCommand::Generate));
        QVERIFY(w.workspace().VirtualSampleTable.Empty() && !w.workspace().generationRunning);
        QCOMPARE(w.workspace().AbortRequested, std::string("0"));
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(GenerationWindowTest)
#include "generation_window_test.moc"
