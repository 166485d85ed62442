// The automatic sample size in the window: its lines on both charts, the
// mark on the slider, the results shown.
#include <qcustomplot.h>

#include "gui/marked_slider.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "regression/automatic.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using namespace velta::gui::test;

namespace {

int CountPixels(velta::qt::ChartView* chart, const QColor& colour, int tolerance = 0) {
    return velta::gui::test::CountPixels(chart->Plot()->toPixmap(700, 500).toImage(), colour,
                                         tolerance);
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
        velta::Workspace& ws = w.workspace();
        DialogAnswerer answers;
        QVERIFY(w.Run(velta::FormCommand::Generate));
        QVERIFY(w.Run(velta::FormCommand::Trim));
        QVERIFY(w.control("cmdAutoSampleSize")->isEnabled());
        auto* chart1 = Control<velta::qt::ChartView>(w, "VtChart1");
        auto* chart2 = Control<velta::qt::ChartView>(w, "VtChart2");
        // The fitted lines, white in the model, as the chart view draws them.
        const QColor white = velta::qt::ChartView::DisplayColour(velta::kFittedLineColour),
                     blue(50, 0, 255), pink(255, 0, 100);
        const int whiteBefore[] = {CountPixels(chart1, white, 40), CountPixels(chart2, white, 40)};
        QCOMPARE(CountPixels(chart1, blue), 0);

        QVERIFY(w.Run(velta::FormCommand::Automatic));
        QCOMPARE(answers.messages, QStringList{velta::kTrySliderMessage});
        // The result, its statistics and the fitted lines' grid are shown.
        const QString size = FieldText(w, "Text3");
        QCOMPARE(size.toStdString(), std::to_string(ws.SampleSizeM + 1));
        QCOMPARE(size, FieldText(w, "Text4"));
        QVERIFY(!FieldText(w, "txtAutoMeanAlto").isEmpty());
        auto* rep = Control<velta::qt::GridView>(w, "sprRep");
        for (int row = 0; row < 6; ++row)
            QVERIFY(!rep->model()->index(row, 1).data().toString().isEmpty());
        auto* report = Control<velta::qt::GridView>(w, "sprReport");
        QCOMPARE(report->model()->index(1, 0).data().toString(), QString("SZ M"));
        QCOMPARE(report->model()->index(1, 1).data().toInt(), ws.SampleSizeM);

        // The slider marks the automatic size on its track.
        auto* slider = Control<velta::gui::MarkedSlider>(w, "Slider1");
        QCOMPARE(slider->Mark(), ws.SampleSizeM + 1);
        QVERIFY(velta::gui::test::CountPixels(slider->grab().toImage(), blue) > 5);

        // White fitted lines on both charts; the manual line drawn at the
        // automatic size covers the automatic one until the slider moves.
        QTest::qWait(50);
        QVERIFY(CountPixels(chart1, white, 40) > whiteBefore[0] + 200);
        QVERIFY(CountPixels(chart2, white, 40) > whiteBefore[1] + 200);
        for (auto* chart : {chart1, chart2}) QVERIFY(CountPixels(chart, pink) > 20);
        SaveScreenshot(w, "automatic.png");
        ws.Slider1.value = ws.Slider1.max;
        QVERIFY(w.Run(velta::FormCommand::Slider));
        QTest::qWait(50);
        for (auto* chart : {chart1, chart2}) QVERIFY(CountPixels(chart, blue) > 20);
        QCOMPARE(FieldText(w, "Text3"), size);

        // A new trimming drops the mark, and so does a new generation.
        QVERIFY(w.Run(velta::FormCommand::Trim));
        QCOMPARE(slider->Mark(), -1);
        QVERIFY(w.Run(velta::FormCommand::Automatic));
        QCOMPARE(slider->Mark(), ws.SampleSizeM + 1);
        QVERIFY(w.Run(velta::FormCommand::Generate));
        QCOMPARE(slider->Mark(), -1);
    }
};

QTEST_MAIN(AutomaticWindowTest)
#include "automatic_window_test.moc"
