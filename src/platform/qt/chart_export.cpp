#include "platform/qt/chart_export.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSvgGenerator>
#include <algorithm>

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

bool SaveSvg(QCustomPlot& plot, const QString& path, int width, int height) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setTitle(QStringLiteral("VELTA chart"));
    QCPPainter painter;
    if (!painter.begin(&svg)) return false;
    // Vector mode makes the cloud draw discs rather than stamped pixmaps.
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    plot.toPainter(&painter, width, height);
    return painter.end();
}

}  // namespace

bool ExportPlot(QCustomPlot& plot, const std::string& path, int width, int height,
                std::string& why) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        why = "image size must be between 1 and " + std::to_string(kMaxSide) + " pixels";
        return false;
    }
    const QString file = QString::fromStdString(path);
    const QString ext = QFileInfo(file).suffix().toLower();
    if (ext != "png" && ext != "svg" && ext != "pdf") {
        why = "unknown image format \"" + ext.toStdString() + "\" (use .png, .svg or .pdf)";
        return false;
    }
    // The writers report failure only vaguely; try the file first for a
    // clear reason.
    {
        QFile probe(file);
        const bool existed = probe.exists();
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            why = "cannot write " + path + ": " + probe.errorString().toStdString();
            return false;
        }
        probe.close();
        if (!existed) probe.remove();
    }
    bool ok = false;
    if (ext == "png")
        ok = plot.savePng(file, width, height);
    else if (ext == "pdf")
        ok = plot.savePdf(file, width, height, QCP::epAllowCosmetic, QStringLiteral("VELTA"));
    else
        ok = SaveSvg(plot, file, width, height);
    if (!ok) why = "writing " + path + " failed";
    return ok;
}

bool ExportChart(const ChartPicture& picture, const std::string& path, int width, int height,
                 std::string& why) {
    EnsureApplication();
    ChartView view;
    view.resize(std::clamp(width, 1, kMaxSide), std::clamp(height, 1, kMaxSide));
    view.Show(picture);
    return ExportPlot(*view.Plot(), path, width, height, why);
}

}  // namespace velta::qt
