// Trimming and the slider in the window: the manual line without a full
// redraw, its results, and the automatic size's mark on the track.
#include <QLabel>
#include <QTableView>

#include "charts/manual.h"
#include "gui/marked_slider.h"
#include "platform/qt/chart_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::gui::MarkedSlider;
using namespace velta::gui::test;

namespace {

int CountColour(QWidget* w, const QColor& c) {
    return CountPixels(w->grab().toImage(), c);
}

}  // namespace

class ManualWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void trimThenSlide() {
        MainWindow w;
        w.resize(1280, 860);
        w.show();
        LoadExample(w);
        velta::Workspace& ws = w.workspace();
        QVERIFY(w.Run(velta::FormCommand::Generate));
        QVERIFY(w.Run(velta::FormCommand::Trim));
        QVERIFY(ws.DataTrimmed);
        QVERIFY(w.control("cmdAutoSampleSize")->isEnabled());
        QVERIFY(w.control("tStudentSampleSize")->isEnabled());

        auto* slider = Control<MarkedSlider>(w, "Slider1");
        QVERIFY(slider);
        QCOMPARE(slider->maximum(), 23);
        QCOMPARE(slider->value(), 12);
        auto* means = Control<velta::qt::ChartView>(w, "VtChart1");
        auto* sds = Control<velta::qt::ChartView>(w, "VtChart2");
        const QColor manual(255, 0, 100);
        QCOMPARE(CountColour(means, manual), 0);

        // The first move widens the charts (a full redraw); the next ones
        // repaint only the line layer.
        slider->setValue(14);
        const int full[] = {means->FullRedraws(), sds->FullRedraws()};
        slider->setValue(17);
        QCOMPARE(means->FullRedraws(), full[0]);
        QCOMPARE(sds->FullRedraws(), full[1]);
        QVERIFY(CountColour(means, manual) > 10);
        QVERIFY(CountColour(sds, manual) > 10);
        QCOMPARE(FieldText(w, "Text4"), QString("17"));
        QVERIFY(!FieldText(w, "txtManualMeanBasso").isEmpty());
        QVERIFY(!FieldText(w, "txtManualMeanAlto").isEmpty());
        auto* rep = Control<QTableView>(w, "sprRep");
        for (int r = 0; r < 6; ++r) QVERIFY(!rep->model()->index(r, 0).data().toString().isEmpty());
        for (const char* label : {"Label31", "Label28"}) {
            QVERIFY(Control<QLabel>(w, label)->text().startsWith("average (manual): "));
            QVERIFY(w.control(label)->isVisible());
        }
        QVERIFY(w.control("tStudentSampleSize")->isEnabled());
        SaveScreenshot(w, "manual_size.png");

        // The automatic size shows as a mark on the track.
        QCOMPARE(slider->Mark(), -1);
        QCOMPARE(CountColour(slider, MarkedSlider::MarkColour()), 0);
        velta::SpostaRighe(ws, 9, 9);
        ws.AutoSizeDone = "1";
        w.Render();
        QCOMPARE(slider->Mark(), 10);
        QVERIFY(CountColour(slider, MarkedSlider::MarkColour()) > 10);
        QCOMPARE(slider->value(), 17);
    }

    void slidingBeforeTrimmingAnswersOnce() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QVERIFY(w.Run(velta::FormCommand::Generate));
        auto* slider = Control<QSlider>(w, "Slider1");
        // A drag says nothing until it is let go.
        DialogAnswerer answers(5);
        slider->setSliderDown(true);
        slider->setValue(5);
        slider->setValue(6);
        QVERIFY(answers.messages.isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(answers.messages, QStringList{"You have to trim the data before trying to "
                                               "manually select a sample size"});
        QCOMPARE(w.workspace().Text4.text, std::string());
    }
};

QTEST_MAIN(ManualWindowTest)
#include "manual_window_test.moc"
