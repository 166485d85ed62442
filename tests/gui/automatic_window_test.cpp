// The automatic sample size in the window offscreen: generate, trim,
// Automatic; the fitted lines and the automatic line on both charts, the mark
// on the slider, the results shown; the screenshot of that state.
#include <qcustomplot.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "gui/main_window.h"
#include "gui/marked_slider.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "window_test_support.h"

using velta::gui::MainWindow;
using velta::gui::test::LoadExample;
using velta::gui::test::SaveScreenshot;

namespace {

// Answers every message box with its default button and keeps its text.
class MessageCatcher : public QObject {
  public:
    QStringList texts;
    MessageCatcher() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }

  private:
    QTimer timer_;
};

// Pixels of the chart's picture within `tolerance` of `colour` in every
// channel (the lines are drawn antialiased).
int CountPixels(velta::qt::ChartView* chart, const QColor& colour, int tolerance = 0) {
    const QImage img = chart->Plot()->toPixmap(700, 500).toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) <= tolerance &&
                 std::abs(c.green() - colour.green()) <= tolerance &&
                 std::abs(c.blue() - colour.blue()) <= tolerance;
        }
    return n;
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
        MessageCatcher messages;
        QVERIFY(w.Run(velta::Command::Generate));
        QVERIFY(w.Run(velta::Command::Trim));
        QVERIFY(w.control("cmdAutoSampleSize")->isEnabled());
        auto* chart1 = qobject_cast<velta::qt::ChartView*>(w.control("VtChart1"));
        auto* chart2 = qobject_cast<velta::qt::ChartView*>(w.control("VtChart2"));
        const QColor white(255, 255, 255), blue(50, 0, 255);
        const int whiteBefore1 = CountPixels(chart1, white, 40);
        const int whiteBefore2 = CountPixels(chart2, white, 40);
        QCOMPARE(CountPixels(chart1, blue), 0);

        QVERIFY(w.Run(velta::Command::Automatic));
        QCOMPARE(messages.texts,
                 QStringList{"You may try to select alternative sample sizes using the slider "
                             "between the charts"});
        QCOMPARE(ws.AutoSizeDone, std::string("1"));

        // The result and its statistics are shown.
        const QString size = qobject_cast<QLineEdit*>(w.control("Text3"))->text();
        QCOMPARE(size.toStdString(), std::to_string(ws.SampleSizeM + 1));
        QCOMPARE(size, qobject_cast<QLineEdit*>(w.control("Text4"))->text());
        QVERIFY(!qobject_cast<QLineEdit*>(w.control("txtAutoMeanAlto"))->text().isEmpty());
        auto* rep = qobject_cast<velta::qt::GridView*>(w.control("sprRep"));
        for (int row = 1; row <= 6; ++row) {
            const QString cell = rep->model()->index(row - 1, 1).data().toString();
            QVERIFY2(!cell.isEmpty(), qPrintable(QString::number(row)));
        }
        auto* report = qobject_cast<velta::qt::GridView*>(w.control("sprReport"));
        QCOMPARE(report->model()->index(1, 0).data().toString(), QString("SZ M"));
        QCOMPARE(report->model()->index(1, 1).data().toString().toStdString(),
                 std::to_string(ws.SampleSizeM));

        // The slider marks the automatic size on its track.
        auto* slider = qobject_cast<velta::gui::MarkedSlider*>(w.control("Slider1"));
        QCOMPARE(slider->Mark(), ws.SampleSizeM + 1);
        const QImage track = slider->grab().toImage();
        int marked = 0;
        for (int y = 0; y < track.height(); ++y)
            for (int x = 0; x < track.width(); ++x) marked += track.pixelColor(x, y) == blue;
        QVERIFY(marked > 5);

        // White fitted lines on both charts; the manual line drawn at the
        // automatic size covers the automatic one until the slider moves.
        const QColor red(255, 0, 100);
        QTest::qWait(50);
        for (auto [chart, before] :
             {std::pair{chart1, whiteBefore1}, std::pair{chart2, whiteBefore2}}) {
            QVERIFY(CountPixels(chart, white, 40) > before + 200);
            QVERIFY(CountPixels(chart, red) > 20);
        }
        SaveScreenshot(w, "automatic.png");

        ws.Slider1.value = ws.Slider1.max;
        QVERIFY(w.Run(velta::Command::Slider));
        QTest::qWait(50);
        for (auto* chart : {chart1, chart2}) QVERIFY(CountPixels(chart, blue) > 20);
        QCOMPARE(slider->Mark(), ws.SampleSizeM + 1);
        QCOMPARE(qobject_cast<QLineEdit*>(w.control("Text3"))->text(), size);

        // A new trimming drops the mark, and so does a new generation.
        QVERIFY(w.Run(velta::Command::Trim));
        QCOMPARE(slider->Mark(), -1);
        ws.AutoSizeDone = "1";
        QVERIFY(w.Run(velta::Command::Generate));
        QCOMPARE(slider->Mark(), -1);
    }
};
QTEST_MAIN(AutomaticWindowTest)
#include "automatic_window_test.moc"
