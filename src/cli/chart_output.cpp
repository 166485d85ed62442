#include "cli/chart_output.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "platform/qt/chart_export.h"

namespace velta::cli {

bool ExportChartOffscreen(const ChartModel& chart, const std::string& path, int width, int height,
                          std::string& why) {
    // QCustomPlot draws through widgets: a QApplication, offscreen when
    // there is no display, made on the first chart only.
    static std::unique_ptr<QApplication> app;
    if (!QCoreApplication::instance()) {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if ((!display || !*display) && (!wayland || !*wayland))
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "velta-cli";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
    }
    return velta::qt::ExportChart(chart, path, width, height, why);
}

}  // namespace velta::cli
