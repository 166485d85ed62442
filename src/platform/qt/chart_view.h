#pragma once
// Renders one ChartModel with QCustomPlot. The cloud is one plottable on its
// own buffered layer and the lines (fitted lines, vertical marker lines) are
// another on a second buffered layer, so moving a line repaints only the
// line layer.
#include <QWidget>
#include <cstdint>

#include "model/chart_model.h"

class QCustomPlot;
class QCPLayer;

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

    // Colours of the plot.
    static QColor Background();
    static QColor CloudColour();

  private:
    void UpdateAxes();

    const ChartModel& model_;
    QCustomPlot* plot_;
    QCPLayer* cloudLayer_ = nullptr;
    QCPLayer* linesLayer_ = nullptr;
    CloudPlottable* cloud_ = nullptr;
    LinesPlottable* lines_ = nullptr;
    uint64_t renderedRevision_ = UINT64_MAX;
    uint64_t renderedCloud_ = UINT64_MAX;
    ValueAxis renderedAxis_;
    int fullRedraws_ = 0;
};

}  // namespace velta::qt
