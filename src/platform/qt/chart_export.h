#pragma once
// Draws one chart as an image without showing any window: PNG (raster), SVG
// and PDF (vector, every marker a real disc). The image is made in memory and
// written by the program's one file writer (base/file_output.h), so a chart
// follows the same rules as every other file. Used by the chart's context
// menu, File > Export chart... and the command line.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "view/chart_picture.h"

class QCustomPlot;

namespace velta::qt {

// The bytes of `plot` drawn at width x height pixels (points for PDF) as
// `format`: "png", "svg" or "pdf". False, with the reason in `why`, for an
// unknown format or a size out of 1 .. 20000.
bool RenderPlot(QCustomPlot& plot, const std::string& format, int width, int height,
                std::string& bytes, std::string& why);

// The same for a chart picture, drawn offscreen as RenderCharts draws it
// (titled, with its legend). Creates an offscreen QApplication when the
// process has none.
bool RenderChart(const ChartPicture& picture, const std::string& format, int width, int height,
                 std::string& bytes, std::string& why);

// Renders `picture` in the format of the extension of `path` and writes it
// there. False, with the reason in `why`, when it cannot be made or written.
bool ExportChart(const ChartPicture& picture, const std::string& path, int width, int height,
                 std::string& why);

// The same for a plot already on screen (the view's current zoom is kept).
bool ExportPlot(QCustomPlot& plot, const std::string& path, int width, int height,
                std::string& why);

// The size of one exported chart unless the user chooses another: pixels
// for PNG, the drawing's units for SVG, points for PDF.
inline constexpr int kExportWidth = 1600;
inline constexpr int kExportHeight = 1000;

// A chart drawn for a file, as on paper: its caption, the line naming the
// pilot, V, P and the seed, and the legend; the value range the user zoomed
// to on screen, or the picture's own.
struct ChartToDraw {
    const ChartPicture* picture = nullptr;
    std::optional<std::pair<double, double>> valueRange;
};

// The charts side by side, each width x height, in one image of
// (count * width) x height as `format`. Texts keep their proportion to the
// drawing at any size (a larger image is a sharper one, not a smaller
// text). False, with the reason, for an unknown format or a size out of
// 1 .. 20000 in all.
bool RenderCharts(const std::vector<ChartToDraw>& charts, const std::string& format, int width,
                  int height, std::string& bytes, std::string& why);
// Renders them in the format of the extension of `path` and writes it there.
bool ExportCharts(const std::vector<ChartToDraw>& charts, const std::string& path, int width,
                  int height, std::string& why);

}  // namespace velta::qt
