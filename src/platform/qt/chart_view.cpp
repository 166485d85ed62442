#include "platform/qt/chart_view.h"

#include <QVBoxLayout>
#include <qcustomplot.h>

namespace velta::qt {

ChartView::ChartView(const ChartModel& model, QWidget* parent)
    : QWidget(parent), model_(model), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(
        0, 0, new QCPTextElement(plot_, QString::fromStdString(model_.Caption()), QFont("sans", 10, QFont::Bold)));
    Render();
}

void ChartView::Render() {
    if (renderedRevision_ == model_.Revision()) return;
    renderedRevision_ = model_.Revision();
    plot_->xAxis->setRange(0, model_.RowCount() + 1);
    const ValueAxis& axis = model_.Axis();
    if (!axis.autoScale) plot_->yAxis->setRange(axis.minimum, axis.maximum);
    plot_->replot();
}

}  // namespace velta::qt
