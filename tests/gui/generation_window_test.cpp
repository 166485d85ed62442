// Generation in the window offscreen: the progress window from session
// state, its Abort, the clouds drawn after a generation, a mark move that
// repaints only the overlay layer, and closing the window mid-generation.
#include <qcustomplot.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "commands/generate.h"
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
        velta::Session s;
        velta::GenerationProgress& p = s.progress;
        p.shown = true;
        p.samples = 4;
        p.phases[0] = {true, false};
        p.phases[1] = {true, true};
        p.drawn = 4;
        p.summarised = 1;
        velta::UpdateProgressBars(p);
        velta::gui::ProgressWindow win(s);
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
        QVERIFY(s.abortRequested);
    }

    void generationDrawsTheClouds() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QCOMPARE(FieldText(w, "virtualSamplesField"), QString("30000"));
        bool progressSeen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] { progressSeen |= w.progressWindow() != nullptr; });
        poll.start(0);
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(progressSeen);
        QVERIFY(w.progressWindow() == nullptr);
        QVERIFY(w.control("trimButton")->isEnabled());
        auto* chart = Control<velta::qt::ChartView>(w, "meansChart");
        // The fixed range, padded a little so points on its limits show whole.
        const QCPRange range = chart->Plot()->yAxis->range();
        const velta::AxisRange axis = w.session().analysis.generation()->meansAxis;
        const double span = axis.upper - axis.lower;
        QVERIFY(range.lower < axis.lower && range.lower > axis.lower - 0.1 * span);
        QVERIFY(range.upper > axis.upper && range.upper < axis.upper + 0.1 * span);
        QCOMPARE(chart->Plot()->xAxis->label(), QString("Sample size"));
        QCOMPARE(chart->Plot()->yAxis->label(), QString("Mean"));
        QTest::qWait(50);
        const QImage img = chart->Plot()->toPixmap(700, 500).toImage();
        chart->Plot()->replot();  // laid out again at its own size for the screenshot
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

        // A size mark drawn on the chart repaints only the overlay layer.
        velta::ChartPicture picture = chart->Picture();
        const int full = chart->FullRedraws();
        picture.marks = {{velta::SizeMark::Kind::Manual, 10}};
        chart->Show(picture);
        picture.marks = {{velta::SizeMark::Kind::Manual, 12}};
        chart->Show(picture);
        QCOMPARE(chart->FullRedraws(), full);
        const QColor manual = velta::qt::ChartView::MarkColour(velta::SizeMark::Kind::Manual);
        QVERIFY(CountPixels(chart->Plot()->toPixmap(700, 500).toImage(), manual) > 10);
        // A greyed picture (a generation running) is a new picture of the cloud.
        picture.greyed = true;
        chart->Show(picture);
        QCOMPARE(chart->FullRedraws(), full + 1);
    }

    void closingTheWindowAbortsTheGeneration() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QTimer::singleShot(0, &w, [&] { w.close(); });
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(!w.session().analysis.generation() && !w.session().generationRunning);
        QVERIFY(!w.session().abortRequested);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(GenerationWindowTest)
#include "generation_window_test.moc"
