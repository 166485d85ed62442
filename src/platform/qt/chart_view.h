#pragma once
// Renders one ChartModel with QCustomPlot.
#include <QWidget>
#include <cstdint>

#include "charts/chart_model.h"

class QCustomPlot;

namespace velta::qt {

class ChartView : public QWidget {
    Q_OBJECT
public:
    ChartView(const ChartModel& model, QWidget* parent = nullptr);

    // Redraws from the model when it changed since the last call.
    void Render();
    QCustomPlot* Plot() const { return plot_; }

private:
    const ChartModel& model_;
    QCustomPlot* plot_;
    uint64_t renderedRevision_ = UINT64_MAX;
};

}  // namespace velta::qt
