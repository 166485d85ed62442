#pragma once
// Draws charts as an image without showing any window: PNG (raster), SVG
// and PDF (vector, every marker a real disc), as on paper: each chart with its
// caption, the line naming the pilot, V, P and the seed, and its legend. The
// image is made in memory and written by the program's one file writer
// (base/file_output.h), so a chart follows the same rules as every other
// file. Used by the charts' context menu, File > Export chart... and the
// command line.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "view/chart_picture.h"

namespace velta::qt {

// The size of one exported chart unless the user chooses another: pixels
// for PNG, the drawing's units for SVG, points for PDF.
inline constexpr int kExportWidth = 1600;
inline constexpr int kExportHeight = 1000;

// A chart to draw: its picture, and the value range the user zoomed to on
// screen (none: the picture's own).
struct ChartToDraw {
    const ChartPicture* picture = nullptr;
    std::optional<std::pair<double, double>> valueRange;
};

// The charts side by side, each width x height, in one image of
// (count * width) x height as `format`: "png", "svg" or "pdf". Texts keep
// their proportion to the drawing at any size (a larger image is a sharper
// one, not one with smaller writing). False, with the reason in `why`, for an
// unknown format or a size out of 1 .. 20000 in all. Creates an offscreen
// QApplication when the process has none.
bool RenderCharts(const std::vector<ChartToDraw>& charts, const std::string& format, int width,
                  int height, std::string& bytes, std::string& why);
// Renders them in the format of the extension of `path` and writes it there.
bool ExportCharts(const std::vector<ChartToDraw>& charts, const std::string& path, int width,
                  int height, std::string& why);

// One chart picture, as RenderCharts draws it (the command line's renderer).
bool RenderChart(const ChartPicture& picture, const std::string& format, int width, int height,
                 std::string& bytes, std::string& why);
bool ExportChart(const ChartPicture& picture, const std::string& path, int width, int height,
                 std::string& why);

}  // namespace velta::qt
