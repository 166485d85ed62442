// Trimming and the slider in the window: the manual mark without a full
// redraw, its results, and the automatic size's mark on the track.
#include <QLabel>
#include <QTableView>

#include "commands/automatic.h"
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
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(w.view().trimmed);
        QVERIFY(w.control("automaticButton")->isEnabled());
        QVERIFY(w.control("studentTButton")->isEnabled());

        auto* slider = Control<MarkedSlider>(w, "slider");
        QVERIFY(slider);
        QCOMPARE(slider->maximum(), 23);
        QCOMPARE(slider->value(), 12);
        auto* means = Control<velta::qt::ChartView>(w, "meansChart");
        auto* sds = Control<velta::qt::ChartView>(w, "sdsChart");
        const QColor manual(255, 0, 100);
        QCOMPARE(CountColour(means, manual), 0);

        // Moves repaint only the overlay layer, never the cloud.
        const int full[] = {means->FullRedraws(), sds->FullRedraws()};
        slider->setValue(14);
        slider->setValue(17);
        QCOMPARE(means->FullRedraws(), full[0]);
        QCOMPARE(sds->FullRedraws(), full[1]);
        QVERIFY(CountColour(means, manual) > 10);
        QVERIFY(CountColour(sds, manual) > 10);
        QCOMPARE(FieldText(w, "manualSizeField"), QString("17"));
        QVERIFY(!FieldText(w, "cvManualLower").isEmpty());
        QVERIFY(!FieldText(w, "cvManualUpper").isEmpty());
        auto* rep = Control<QTableView>(w, "statisticsGrid");
        for (int r = 0; r < 6; ++r) QVERIFY(!rep->model()->index(r, 0).data().toString().isEmpty());
        for (const char* label : {"meansAverageManual", "sdsAverageManual"}) {
            QVERIFY(Control<QLabel>(w, label)->text().startsWith("average (manual): "));
            QVERIFY(w.control(label)->isVisible());
        }
        QVERIFY(w.control("studentTButton")->isEnabled());
        SaveScreenshot(w, "manual_size.png");

        // The automatic size shows as a mark on the track.
        QCOMPARE(slider->Mark(), -1);
        QCOMPARE(CountColour(slider, MarkedSlider::MarkColour()), 0);
        ScriptedDialogs answers(w);
        QVERIFY(w.Run(velta::Command::Automatic));
        const int automatic = w.session().analysis.automatic()->size;
        QCOMPARE(slider->Mark(), automatic);
        QVERIFY(CountColour(slider, MarkedSlider::MarkColour()) > 10);
        QCOMPARE(slider->value(), automatic);
    }

    void slidingBeforeTrimmingAnswersOnce() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QVERIFY(w.Run(velta::Command::Generate));
        auto* slider = Control<QSlider>(w, "slider");
        // A drag says nothing until it is let go.
        ScriptedDialogs answers(w);
        slider->setSliderDown(true);
        slider->setValue(5);
        slider->setValue(6);
        QVERIFY(answers.messages.empty());
        slider->setSliderDown(false);
        QCOMPARE(answers.Texts(), QStringList{"You have to trim the data before trying to "
                                               "manually select a sample size"});
        QCOMPARE(FieldText(w, "manualSizeField"), QString());
    }
};

QTEST_MAIN(ManualWindowTest)
#include "manual_window_test.moc"
