#pragma once
// Chart export for velta-cli through the window's own export code. The Qt
// application is created on the first export only, offscreen when there is
// no display, so runs without charts never start Qt.
#include <string>

#include "model/chart_model.h"

namespace velta::cli {

bool ExportChartOffscreen(const ChartModel& chart, const std::string& path, int width, int height,
                          std::string& why);

}  // namespace velta::cli
