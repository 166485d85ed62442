// The automatic sample size in the window: its lines on both charts, the
// mark on the slider, the results shown.
#include <qcustomplot.h>

#include "gui/marked_slider.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "commands/automatic.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

namespace {

int CountPixels(velta::qt::ChartView* chart, const QColor& colour, int tolerance = 0) {
    const QImage image = chart->Plot()->toPixmap(700, 500).toImage();
    // Drawn at another size, the plot is laid out again at its own, so that
    // the window (and its screenshot) shows it as before.
    chart->Plot()->replot();
    return velta::gui::test::CountPixels(image, colour, tolerance);
}

}  // namespace

class AutomaticWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void generateTrimAutomatic() {
        MainWindow w;
        w.resize(1280, 800);
        w.show();
        LoadExample(w);
        ScriptedDialogs answers(w);
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(w.control("automaticButton")->isEnabled());
        auto* chart1 = Control<velta::qt::ChartView>(w, "meansChart");
        auto* chart2 = Control<velta::qt::ChartView>(w, "sdsChart");
        // The fitted lines as the chart view draws them.
        const QColor white = velta::qt::ChartView::FittedLineColour(), blue(50, 0, 255),
                     pink(255, 0, 100);
        const int whiteBefore[] = {CountPixels(chart1, white, 40), CountPixels(chart2, white, 40)};
        QCOMPARE(CountPixels(chart1, blue), 0);

        QVERIFY(w.Run(velta::Command::Automatic));
        QCOMPARE(answers.Texts(), QStringList{velta::kTrySliderMessage});
        // The result, its statistics and the fitted lines' grid are shown.
        const velta::AutomaticAnswer& a = *w.session().analysis.automatic();
        const QString size = FieldText(w, "automaticSizeField");
        QCOMPARE(size.toStdString(), std::to_string(a.size));
        QCOMPARE(size, FieldText(w, "manualSizeField"));
        QVERIFY(!FieldText(w, "cvAutomaticUpper").isEmpty());
        auto* rep = Control<velta::qt::GridView>(w, "statisticsGrid");
        for (int row = 0; row < 6; ++row)
            QVERIFY(!rep->model()->index(row, 1).data().toString().isEmpty());
        auto* report = Control<velta::qt::GridView>(w, "resultsGrid");
        QCOMPARE(report->model()->index(1, 0).data().toString(), QString("SZ M"));
        QCOMPARE(report->model()->index(1, 1).data().toInt(), a.size);

        // The slider marks the automatic size on its track, and stands there.
        auto* slider = Control<velta::gui::MarkedSlider>(w, "slider");
        QCOMPARE(slider->Mark(), a.size);
        QCOMPARE(slider->value(), a.size);
        QVERIFY(velta::gui::test::CountPixels(slider->grab().toImage(), blue) > 5);

        // Fitted lines on both charts; the manual mark drawn at the
        // automatic size covers the automatic one until the slider moves.
        QTest::qWait(50);
        QVERIFY(CountPixels(chart1, white, 40) > whiteBefore[0] + 200);
        QVERIFY(CountPixels(chart2, white, 40) > whiteBefore[1] + 200);
        for (auto* chart : {chart1, chart2}) QVERIFY(CountPixels(chart, pink) > 20);
        SaveScreenshot(w, "automatic.png");
        slider->setValue(slider->maximum());
        QTest::qWait(50);
        for (auto* chart : {chart1, chart2}) QVERIFY(CountPixels(chart, blue) > 20);
        QCOMPARE(FieldText(w, "automaticSizeField"), size);

        // A new trimming drops the mark, and so does a new generation.
        QVERIFY(w.Run(velta::Command::Trim));
        QCOMPARE(slider->Mark(), -1);
        QVERIFY(w.Run(velta::Command::Automatic));
        QCOMPARE(slider->Mark(), w.session().analysis.automatic()->size);
        QVERIFY(w.Run(velta::Command::Generate));
        QCOMPARE(slider->Mark(), -1);
        for (auto* chart : {chart1, chart2}) QCOMPARE(CountPixels(chart, blue), 0);
    }
};

QTEST_MAIN(AutomaticWindowTest)
#include "automatic_window_test.moc"
