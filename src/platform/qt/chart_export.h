#pragma once
// Writes one chart to an image file without showing any window: the format
// follows the extension (.png raster; .svg and .pdf vector, every marker a
// real disc). Used by the chart's context menu, File > Export chart... and
// the command line.
#include <string>

#include "view/chart_picture.h"

class QCustomPlot;

namespace velta::qt {

// Draws `picture` at width x height pixels (points for .pdf) into `path`.
// False, with the reason in `why`, for an unknown extension, a size out of
// 1 .. 20000, or a file that cannot be written. Creates an offscreen
// QApplication when the process has none.
bool ExportChart(const ChartPicture& picture, const std::string& path, int width, int height,
                 std::string& why);

// The same for a plot already on screen (the view's current zoom is kept).
bool ExportPlot(QCustomPlot& plot, const std::string& path, int width, int height,
                std::string& why);

}  // namespace velta::qt
