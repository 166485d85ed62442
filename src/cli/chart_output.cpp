#include "cli/chart_output.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

#if __has_include("platform/qt/chart_export.h")
#include "platform/qt/chart_export.h"
#define VELTA_HAVE_CHART_EXPORT 1
#endif

namespace velta::cli {

bool ExportChartOffscreen(const ChartModel& chart, const std::string& path, int width, int height,
                          std::string& why) {
#ifdef VELTA_HAVE_CHART_EXPORT
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
#else
    (void)chart;
    (void)path;
    (void)width;
    (void)height;
    why = "chart export is not available in this build";
    return false;
#endif
}

}  // namespace velta::cli
