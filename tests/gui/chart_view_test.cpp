// The charts offscreen: export to PNG, SVG and PDF (valid files, markers as
// real discs in vector output), failures with their reasons.
#include "platform/qt/chart_view.h"

#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "model/chart_model.h"
#include "platform/qt/chart_export.h"

namespace {

// A small cloud of `v` virtual samples over sizes 2 .. rows + 1, values in
// 10 .. 20, every row holding data.
void FillCloud(velta::ChartModel& c, int32_t rows, int32_t v) {
    c.SetDataGrid(rows, v);
    for (int32_t r = 1; r <= rows; ++r) {
        c.SetRowLabel(r, std::to_string(r + 1));
        for (int32_t s = 1; s <= v; ++s)
            c.SetValue(r, s, 15.0 + 5.0 * ((s * 37 + r * 11) % 101 - 50) / 50.0 / r);
    }
    c.SetCloudSeries(v);
    c.MarkCloudSeries(v, 1, rows - 1, velta::kCloudMarkerSize);
    c.Axis() = {false, 10.0, 20.0, "##0.0##"};
    c.Touch();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT
  private slots:
    void exportWritesValidFiles() {
        velta::ChartModel model("Means");
        FillCloud(model, 12, 300);
        QTemporaryDir dir;
        std::string why;
        const QString png = dir.filePath("c.png"), svg = dir.filePath("c.svg"),
                      pdf = dir.filePath("c.PDF");
        QVERIFY2(velta::qt::ExportChart(model, png.toStdString(), 640, 400, why), why.c_str());
        QVERIFY2(velta::qt::ExportChart(model, svg.toStdString(), 640, 400, why), why.c_str());
        QVERIFY2(velta::qt::ExportChart(model, pdf.toStdString(), 640, 400, why), why.c_str());
        const QImage image(png);
        QCOMPARE(image.size(), QSize(640, 400));
        const QByteArray s = ReadAll(svg);
        QVERIFY(QSvgRenderer(s).isValid());
        QVERIFY(s.contains("<ellipse") || s.contains("<circle"));
        QVERIFY(!s.contains("<image"));
        const QByteArray p = ReadAll(pdf);
        QVERIFY(p.startsWith("%PDF-"));
        QVERIFY(p.trimmed().endsWith("%%EOF"));
    }

    void exportRefusesWithAReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown format") << "c.bmp" << 100 << "unknown image format";
        QTest::newRow("no extension") << "chart" << 100 << "unknown image format";
        QTest::newRow("zero width") << "c.png" << 0 << "image size";
        QTest::newRow("huge width") << "c.png" << 100000 << "image size";
        QTest::newRow("missing folder") << "no/such/dir/c.png" << 100 << "cannot write";
    }
    void exportRefusesWithAReason() {
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(QString, reason);
        velta::ChartModel model("Means");
        FillCloud(model, 5, 10);
        QTemporaryDir dir;
        std::string why;
        QVERIFY(!velta::qt::ExportChart(model, dir.filePath(name).toStdString(), width, 100, why));
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
    }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
