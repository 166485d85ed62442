#pragma once
// Draws one ChartPicture with QCustomPlot. The cloud is one plottable on its
// own buffered layer and the overlays (fitted lines, size marks) are another
// on a second buffered layer, so moving a mark repaints only that layer.
//
// The look is the view's own: a light plot area, the cloud in one colour
// whose opacity follows how many samples fall on each spot, value-axis
// titles, category ticks on the sample sizes that hold data, wheel zoom and
// drag on the value axis, and a context menu (also from the keyboard) to
// copy or save the picture. A chart drawn for paper (ShowForPaper) adds the
// picture's subtitle and legend.
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "view/chart_picture.h"

class QCustomPlot;
class QCPLayer;
class QMenu;
class QAction;

namespace velta::qt {

class CloudPlottable;
class LinesPlottable;

class ChartView : public QWidget {
    Q_OBJECT
  public:
    explicit ChartView(QWidget* parent = nullptr);

    // Shows `picture`: the whole plot is redrawn when the cloud, its shape,
    // its value range or its greying changed, else only the overlay layer.
    void Show(const ChartPicture& picture);
    const ChartPicture& Picture() const { return picture_; }
    QCustomPlot* Plot() const { return plot_; }
    // Full redraws so far (for tests: a mark move must not cause one).
    int FullRedraws() const { return fullRedraws_; }

    // Back to the picture's value range, after zooming or dragging.
    void ResetView();
    bool ViewChanged() const { return userView_; }

    // The value range shown now (the user's zoom, or the picture's own), and
    // a range to show as if the user had zoomed to it.
    std::pair<double, double> ValueRange() const;
    void ShowValueRange(double lower, double upper);

    // Drawn for a file: the picture's subtitle under its caption and its
    // legend under the plot. Set before the first Show.
    void ShowForPaper();

    // The context menu: Copy image, Save image as PNG / SVG / PDF, Export
    // both charts (when exportBoth is set), Reset view.
    QMenu* ContextMenu() const { return menu_; }
    // Asks for a file name and an image size and writes the chart there,
    // drawn for paper, in the format of `ext` ("png", "svg", "pdf"; empty:
    // any of the three, by the name).
    void SaveImageAs(const QString& ext);
    // The same for several charts side by side in one file, with the first
    // chart's dialogs.
    static void SaveImagesAs(const std::vector<ChartView*>& charts, const QString& ext);
    void CopyImage();

    // Where the save actions get their file name (empty: cancelled), the
    // size of one chart (none: cancelled; `proposed` is the last size used,
    // first kExportWidth x kExportHeight) and report a failure. By default
    // Qt's own dialogs.
    std::function<std::string(const std::string& title, const std::string& filter)> chooseFile;
    std::function<std::optional<QSize>(const QSize& proposed, const QString& format)> chooseSize;
    std::function<void(const std::string& why)> showError;
    // "Export both charts..." of the context menu.
    std::function<void()> exportBoth;

    // Colours of the plot.
    static QColor Background();
    static QColor CloudColour();
    static QColor FittedLineColour();
    static QColor MarkColour(SizeMark::Kind kind);
    // Opacity (0 .. 1) of a spot that `count` samples cover when the densest
    // spot of the chart is covered by `densest`.
    static double CloudOpacity(double count, double densest);

  private:
    void UpdateAxes();
    void ApplyValueRange();
    void BuildMenu();
    void ShowLegend();
    bool SameCloud(const ChartPicture& p) const;

    ChartPicture picture_;
    QCustomPlot* plot_;
    QCPLayer* cloudLayer_ = nullptr;
    QCPLayer* linesLayer_ = nullptr;
    CloudPlottable* cloud_ = nullptr;
    LinesPlottable* lines_ = nullptr;
    QMenu* menu_ = nullptr;
    bool shownOnce_ = false;
    bool userView_ = false;
    bool paper_ = false;
    int fullRedraws_ = 0;
};

}  // namespace velta::qt
