#pragma once
// Renders one ChartModel with QCustomPlot. The cloud is one plottable on its
// own buffered layer and the lines (fitted lines, vertical marker lines) are
// another on a second buffered layer, so moving a line repaints only the
// line layer.
//
// The look is the view's own: a light plot area, the cloud in one colour
// whose opacity follows how many samples fall on each spot, value-axis
// titles, category ticks on the sample sizes that hold data, wheel zoom and
// drag on the value axis, and a context menu to copy or save the picture.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "model/chart_model.h"

class QCustomPlot;
class QCPLayer;
class QLabel;
class QMenu;
class QAction;

namespace velta::qt {

class CloudPlottable;
class LinesPlottable;

class ChartView : public QWidget {
    Q_OBJECT
  public:
    ChartView(const ChartModel& model, QWidget* parent = nullptr);

    // Redraws from the model when it changed since the last call: the whole
    // plot when the cloud, its axes or labels changed, else the line layer.
    void Render();
    QCustomPlot* Plot() const { return plot_; }
    // Full redraws so far (for tests: a line move must not cause one).
    int FullRedraws() const { return fullRedraws_; }

    // Back to the value range the model sets, after zooming or dragging.
    void ResetView();
    bool ViewChanged() const { return userView_; }

    // Keeps the picture shown now while the model is emptied and refilled
    // (a generation): greyed while `greyed`, as it was otherwise. The
    // picture goes as soon as the model holds a cloud again or changes in
    // any other way after ReleaseGhost.
    void HoldGhost(bool greyed);
    // The command is over: the ghost stays only if the model was left empty.
    void ReleaseGhost();
    bool GhostShown() const;

    // The context menu: Copy image, Save image as PNG / SVG / PDF, Reset view.
    QMenu* ContextMenu() const { return menu_; }
    // Asks for a file name and writes the chart there in the format of
    // `ext` ("png", "svg", "pdf"; empty: any of the three, by the name).
    void SaveImageAs(const QString& ext);
    void CopyImage();

    // Where the save actions get their file name (empty: cancelled) and
    // report a failure. By default Qt's own dialogs.
    std::function<std::string(const std::string& title, const std::string& filter)> chooseFile;
    std::function<void(const std::string& why)> showError;

    // Colours of the plot.
    static QColor Background();
    static QColor CloudColour();
    // The colour a model colour is drawn in: the model's white fitted lines
    // and bright green would vanish on the light plot area.
    static QColor DisplayColour(Rgb c);
    // Opacity (0 .. 1) of a spot that `count` samples cover when the densest
    // spot of the chart is covered by `densest`.
    static double CloudOpacity(double count, double densest);

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void UpdateAxes();
    void ApplyValueRange();
    void BuildMenu();
    void ShowGhost();
    bool ModelEmpty() const;

    const ChartModel& model_;
    QCustomPlot* plot_;
    QCPLayer* cloudLayer_ = nullptr;
    QCPLayer* linesLayer_ = nullptr;
    CloudPlottable* cloud_ = nullptr;
    LinesPlottable* lines_ = nullptr;
    QMenu* menu_ = nullptr;
    QLabel* ghost_ = nullptr;
    QPixmap ghostPicture_;
    bool ghostHeld_ = false;
    bool ghostGreyed_ = false;
    uint64_t ghostRevision_ = UINT64_MAX;
    uint64_t renderedRevision_ = UINT64_MAX;
    uint64_t renderedCloud_ = UINT64_MAX;
    ValueAxis renderedAxis_;
    bool userView_ = false;
    int fullRedraws_ = 0;
};

}  // namespace velta::qt
