#include "platform/qt/chart_export.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <memory>

#include "base/file_output.h"
#include "platform/qt/chart_view.h"

namespace velta::qt {

namespace {

constexpr int kMaxSide = 20000;

// A process without an application (the command line) gets an offscreen one
// for its whole life: widgets need it, and destroying it at exit would race
// with Qt's own static teardown.
void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velta";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// The format a file name asks for: its extension in lower case.
std::string FormatOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

bool WriteImage(const std::string& path, const std::string& bytes, std::string& why) {
    const std::string reason = WriteOutputFile(path, bytes);
    if (reason.empty()) return true;
    why = "cannot write " + path + ": " + reason;
    return false;
}

// The size a chart is laid out at for a width x height image: about its size
// on a large screen, drawn larger for a larger image, so that its texts and
// marks keep their proportion to the plot.
QSize LayoutSize(int width, int height) {
    const double scale = std::max(1.0, std::min(width / 700.0, height / 440.0));
    return QSize(std::max(1, qRound(width / scale)), std::max(1, qRound(height / scale)));
}

// Each chart in its width x height cell, left to right.
void DrawCharts(QCPPainter& painter, const std::vector<std::unique_ptr<ChartView>>& views,
                int width, int height) {
    const QSize layout = LayoutSize(width, height);
    for (size_t i = 0; i < views.size(); ++i) {
        painter.save();
        painter.translate(static_cast<double>(i) * width, 0);
        painter.scale(static_cast<double>(width) / layout.width(),
                      static_cast<double>(height) / layout.height());
        views[i]->Plot()->toPainter(&painter, layout.width(), layout.height());
        painter.restore();
    }
}

bool RenderChartsPng(const std::vector<std::unique_ptr<ChartView>>& views, QBuffer& out, int width,
                     int height) {
    QImage image(static_cast<int>(views.size()) * width, height,
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return false;
    image.fill(Qt::white);
    QCPPainter painter(&image);
    if (!painter.isActive()) return false;
    DrawCharts(painter, views, width, height);
    painter.end();
    // 96 dots per inch, as a screen shows it.
    const int dotsPerMeter = static_cast<int>(96 / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image.save(&out, "PNG");
}

// Vector mode makes the cloud draw discs rather than stamped pixmaps.
bool PaintChartsVector(const std::vector<std::unique_ptr<ChartView>>& views, QPaintDevice& device,
                       int width, int height, bool scaleToPage) {
    QCPPainter painter;
    if (!painter.begin(&device)) return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const int total = static_cast<int>(views.size()) * width;
    if (scaleToPage) painter.setWindow(QRect(0, 0, total, height));
    DrawCharts(painter, views, width, height);
    return painter.end();
}

}  // namespace

bool RenderCharts(const std::vector<ChartToDraw>& charts, const std::string& format, int width,
                  int height, std::string& bytes, std::string& why) {
    const auto count = static_cast<int>(charts.size());
    if (count < 1 || width < 1 || height < 1 || width > kMaxSide / count || height > kMaxSide) {
        why = "image size must be between 1 and " + std::to_string(kMaxSide) + " pixels";
        return false;
    }
    if (format != "png" && format != "svg" && format != "pdf") {
        why = "unknown image format \"" + format + "\" (use .png, .svg or .pdf)";
        return false;
    }
    EnsureApplication();
    std::vector<std::unique_ptr<ChartView>> views;
    const QSize layout = LayoutSize(width, height);
    for (const ChartToDraw& c : charts) {
        auto view = std::make_unique<ChartView>();
        view->ShowForPaper();
        view->resize(layout);
        view->Show(c.picture ? *c.picture : ChartPicture());
        if (c.valueRange) view->ShowValueRange(c.valueRange->first, c.valueRange->second);
        views.push_back(std::move(view));
    }
    QByteArray data;
    QBuffer out(&data);
    out.open(QIODevice::WriteOnly);
    bool ok = false;
    const int total = count * width;
    if (format == "png") {
        ok = RenderChartsPng(views, out, width, height);
    } else if (format == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(QSize(total, height));
        svg.setViewBox(QRect(0, 0, total, height));
        svg.setTitle(QStringLiteral("VELTA chart"));
        ok = PaintChartsVector(views, svg, width, height, false);
    } else {
        QPdfWriter pdf(&out);
        pdf.setCreator(QStringLiteral("VELTA"));
        pdf.setTitle(QStringLiteral("VELTA chart"));
        // A page of (count * width) x height points filled by the drawing, at
        // the plot's own resolution so that its texts keep their size
        // against the lines.
        pdf.setResolution(views.front()->Plot()->logicalDpiX());
        QPageLayout page(
            QPageSize(QSizeF(total, height), QPageSize::Point, QString(), QPageSize::ExactMatch),
            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
        page.setMode(QPageLayout::FullPageMode);
        ok = pdf.setPageLayout(page) && PaintChartsVector(views, pdf, width, height, true);
    }
    out.close();
    if (!ok || data.isEmpty()) {
        why = "the " + format + " image could not be made";
        return false;
    }
    bytes.assign(data.constData(), static_cast<size_t>(data.size()));
    return true;
}

bool ExportCharts(const std::vector<ChartToDraw>& charts, const std::string& path, int width,
                  int height, std::string& why) {
    std::string bytes;
    return RenderCharts(charts, FormatOf(path), width, height, bytes, why) &&
           WriteImage(path, bytes, why);
}

bool RenderChart(const ChartPicture& picture, const std::string& format, int width, int height,
                 std::string& bytes, std::string& why) {
    return RenderCharts({{&picture, std::nullopt}}, format, width, height, bytes, why);
}

bool ExportChart(const ChartPicture& picture, const std::string& path, int width, int height,
                 std::string& why) {
    std::string bytes;
    return RenderChart(picture, FormatOf(path), width, height, bytes, why) &&
           WriteImage(path, bytes, why);
}

}  // namespace velta::qt
