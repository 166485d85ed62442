// Trimming and the slider in the window offscreen: generate, trim, drag the
// slider; the manual line on both charts without a full redraw, the results
// in their fields, sprRep and the average labels; the automatic size's mark
// on the slider track; a screenshot of the state.
#include <qcustomplot.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "charts/manual.h"
#include "data/presample.h"
#include "gui/main_window.h"
#include "gui/marked_slider.h"
#include "model/chart_model.h"
#include "platform/qt/chart_view.h"

using velta::gui::MainWindow;

namespace {

// The example pilot sample (one column with a header line).
void LoadExample(MainWindow& w) {
    std::ifstream in(VELTA_SOURCE_DIR "/examples/pilot_sample.csv");
    std::string line;
    std::getline(in, line);
    int row = 0;
    while (std::getline(in, line))
        if (!line.empty()) w.workspace().sprMain.SetCell(1, ++row, line);
    QVERIFY(velta::ComputePreSampleStats(w.workspace(), w.platform()));
}

int CountColour(QWidget* w, const QColor& c) {
    const QImage img = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

QString Text(MainWindow& w, const char* name) {
    if (auto* e = qobject_cast<QLineEdit*>(w.control(name))) return e->text();
    return qobject_cast<QLabel*>(w.control(name))->text();
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
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(ws.DataTrimmed);
        QVERIFY(w.control("cmdAutoSampleSize")->isEnabled());
        QVERIFY(w.control("tStudentSampleSize")->isEnabled());

        auto* slider = qobject_cast<velta::gui::MarkedSlider*>(w.control("Slider1"));
        QVERIFY(slider);
        QCOMPARE(slider->maximum(), 23);
        QCOMPARE(slider->value(), 12);
        auto* means = qobject_cast<velta::qt::ChartView*>(w.control("VtChart1"));
        auto* sds = qobject_cast<velta::qt::ChartView*>(w.control("VtChart2"));
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
        QCOMPARE(Text(w, "Text4"), QString("17"));
        QVERIFY(!Text(w, "txtManualMeanBasso").isEmpty());
        QVERIFY(!Text(w, "txtManualMeanAlto").isEmpty());
        auto* rep = qobject_cast<QTableView*>(w.control("sprRep"));
        for (int r = 0; r < 6; ++r) QVERIFY(!rep->model()->index(r, 0).data().toString().isEmpty());
        QVERIFY(Text(w, "Label31").startsWith("average (manual): "));
        QVERIFY(Text(w, "Label28").startsWith("average (manual): "));
        QVERIFY(w.control("Label31")->isVisible());
        QVERIFY(w.control("Label28")->isVisible());
        QVERIFY(w.control("tStudentSampleSize")->isEnabled());

        const QByteArray dir = qgetenv("VELTA_SCREENSHOT_DIR");
        if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/manual_size.png");

        // The automatic size shows as a mark on the track.
        QCOMPARE(slider->Mark(), -1);
        QCOMPARE(CountColour(slider, velta::gui::MarkedSlider::MarkColour()), 0);
        velta::SpostaRighe(ws, 9, 9);
        ws.AutoSizeDone = "1";
        w.Render();
        QCOMPARE(slider->Mark(), 10);
        QVERIFY(CountColour(slider, velta::gui::MarkedSlider::MarkColour()) > 10);
        QCOMPARE(slider->value(), 17);
    }

    void slidingBeforeTrimmingAnswersOnce() {
        MainWindow w;
        w.show();
        LoadExample(w);
        QVERIFY(w.Run(velta::Command::Generate));
        auto* slider = qobject_cast<QSlider*>(w.control("Slider1"));
        // A drag says nothing until it is let go; the message box is modal,
        // so close it as soon as it shows.
        int boxes = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++boxes;
                QCOMPARE(box->text(), QString("You have to trim the data before trying to "
                                              "manually select a sample size"));
                box->accept();
            }
        });
        closer.start(5);
        slider->setSliderDown(true);
        slider->setValue(5);
        slider->setValue(6);
        QCOMPARE(boxes, 0);
        slider->setSliderDown(false);
        QCOMPARE(boxes, 1);
        QCOMPARE(w.workspace().Text4.text, std::string());
    }
};

QTEST_MAIN(ManualWindowTest)
#include "manual_window_test.moc"
