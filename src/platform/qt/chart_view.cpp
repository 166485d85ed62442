#include "platform/qt/chart_view.h"

#include <qcustomplot.h>

#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/numbers.h"

namespace velta::qt {

namespace {

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// A filled disc of the given diameter, drawn once and stamped per point.
QPixmap Disc(const QColor& fill, const QColor& border, int diameter) {
    QPixmap pix(diameter + 2, diameter + 2);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1, 1, diameter, diameter));
    return pix;
}

int DiameterOf(int16_t size) {
    return std::max<int>(3, size);
}

// Value axis labels in the model's number format.
class FormattedTicker : public QCPAxisTicker {
  public:
    bool formatted = false;

  protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override {
        if (!formatted) return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
        if (std::abs(tick) < 1e-12) tick = 0.0;
        return QString::fromStdString(FormatAxis(tick));
    }
};

}  // namespace

// Base of the two plottables: the key range is the categories, the value
// range the data; neither takes part in selection.
class ModelPlottable : public QCPAbstractPlottable {
  public:
    ModelPlottable(QCPAxis* key, QCPAxis* value, const ChartModel& model)
        : QCPAbstractPlottable(key, value), model_(model) {
        setSelectable(QCP::stNone);
    }
    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
    QCPRange getKeyRange(bool& found, QCP::SignDomain) const override {
        found = model_.RowCount() > 0;
        return QCPRange(0.5, model_.RowCount() + 0.5);
    }
    QCPRange getValueRange(bool& found, QCP::SignDomain, const QCPRange&) const override {
        found = false;
        return QCPRange();
    }

  protected:
    void drawLegendIcon(QCPPainter*, const QRectF&) const override {}

    // Linear value-to-pixel mapping of the current axes.
    void Mapping(double& offset, double& scale) const {
        offset = valueAxis()->coordToPixel(0.0);
        scale = valueAxis()->coordToPixel(1.0) - offset;
    }

    const ChartModel& model_;
};

// The cloud: every marker the cloud rule shows. Points that land on the same
// pixel are drawn once, so the cost follows the plot size, not V.
class CloudPlottable : public ModelPlottable {
  public:
    using ModelPlottable::ModelPlottable;

  protected:
    void draw(QCPPainter* painter) override {
        const CloudMarkers& rule = model_.CloudRule();
        const int32_t series = std::min(rule.series, model_.ColumnCount());
        if (series <= 0 || rule.lastPoint <= 0) return;
        const QRect clip = clipRect();
        const int top = clip.top();
        const int height = clip.height();
        if (height <= 0) return;
        const bool vector = painter->modes().testFlag(QCPPainter::pmVectorized);
        const int diameter = DiameterOf(rule.size);
        const QColor colour = ChartView::CloudColour();
        const QPixmap disc = Disc(colour, colour, diameter);
        double offset, scale;
        Mapping(offset, scale);
        std::vector<uint8_t> hit(static_cast<size_t>(height));
        const double lo = top, hi = top + height;
        for (int32_t d = rule.step; d <= rule.lastPoint && d <= model_.RowCount(); d += rule.step) {
            const double px = keyAxis()->coordToPixel(d);
            std::fill(hit.begin(), hit.end(), 0);
            const double* row = model_.Data().Row(d - 1);
            for (int32_t s = 0; s < series; ++s) {
                const double py = offset + scale * row[s];
                if (py >= lo && py < hi) hit[static_cast<size_t>(py - lo)] = 1;
            }
            for (int y = 0; y < height; ++y) {
                if (!hit[static_cast<size_t>(y)]) continue;
                if (vector) {
                    painter->setPen(QPen(colour));
                    painter->setBrush(colour);
                    painter->drawEllipse(QPointF(px, top + y + 0.5), diameter / 2.0,
                                         diameter / 2.0);
                } else {
                    painter->drawPixmap(
                        QPointF(px - disc.width() / 2.0, top + y + 0.5 - disc.height() / 2.0),
                        disc);
                }
            }
        }
    }
};

// The series after the cloud: connecting lines of the series that carry
// data, and the single markers (vertical lines). All-zero series carry no
// information and are not drawn.
class LinesPlottable : public ModelPlottable {
  public:
    using ModelPlottable::ModelPlottable;

  protected:
    void draw(QCPPainter* painter) override {
        const int32_t rows = model_.RowCount();
        const int32_t cols = model_.ColumnCount();
        const Table2D& data = model_.Data();
        painter->setRenderHint(QPainter::Antialiasing);
        for (int32_t c = model_.CloudSeries() + 1; c <= cols; ++c) {
            if (!model_.ShowLine(c)) continue;
            QPolygonF line;
            bool any = false;
            for (int32_t r = 1; r <= rows; ++r) {
                const double v = data(r - 1, c - 1);
                any = any || v != 0.0;
                line << QPointF(keyAxis()->coordToPixel(r), valueAxis()->coordToPixel(v));
            }
            if (!any || line.size() < 2) continue;
            painter->setPen(QPen(ToQColor(model_.PenColour(c)), model_.PenWidth(c)));
            painter->setBrush(Qt::NoBrush);
            painter->drawPolyline(line);
        }
        for (const auto& [where, m] : model_.MarkerOverrides()) {
            if (!m.visible) continue;
            const auto [series, point] = where;
            const double v = data(point - 1, series - 1);
            const QPointF at(keyAxis()->coordToPixel(point), valueAxis()->coordToPixel(v));
            const double r = DiameterOf(m.size) / 2.0;
            painter->setPen(QPen(ToQColor(m.border), 1));
            painter->setBrush(ToQColor(m.fill));
            painter->drawEllipse(at, r, r);
        }
    }
};

QColor ChartView::Background() {
    return QColor(142, 148, 156);
}
QColor ChartView::CloudColour() {
    return QColor(24, 36, 64);
}

ChartView::ChartView(const ChartModel& model, QWidget* parent)
    : QWidget(parent), model_(model), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(
        0, 0,
        new QCPTextElement(plot_, QString::fromStdString(model_.Caption()),
                           QFont("sans", 10, QFont::Bold)));
    plot_->setNoAntialiasingOnDrag(true);
    plot_->axisRect()->setBackground(Background());
    plot_->xAxis->setLabel("Sample size");
    plot_->xAxis->grid()->setVisible(false);
    plot_->yAxis->grid()->setPen(QPen(QColor(160, 166, 174), 0, Qt::DotLine));
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTickerText>(new QCPAxisTickerText));
    plot_->yAxis->setTicker(QSharedPointer<FormattedTicker>(new FormattedTicker));

    plot_->addLayer("cloud", plot_->layer("main"), QCustomPlot::limAbove);
    plot_->addLayer("lines", plot_->layer("cloud"), QCustomPlot::limAbove);
    cloudLayer_ = plot_->layer("cloud");
    linesLayer_ = plot_->layer("lines");
    cloudLayer_->setMode(QCPLayer::lmBuffered);
    linesLayer_->setMode(QCPLayer::lmBuffered);
    cloud_ = new CloudPlottable(plot_->xAxis, plot_->yAxis, model_);
    cloud_->setLayer(cloudLayer_);
    lines_ = new LinesPlottable(plot_->xAxis, plot_->yAxis, model_);
    lines_->setLayer(linesLayer_);
    Render();
}

void ChartView::UpdateAxes() {
    const int32_t rows = model_.RowCount();
    plot_->xAxis->setRange(0.5, rows + 0.5);
    // Label every k-th category, always the first; a label per category is
    // unreadable beyond a few dozen.
    auto ticker = qSharedPointerCast<QCPAxisTickerText>(plot_->xAxis->ticker());
    ticker->clear();
    int32_t k = 1;
    for (int32_t nice : {1, 2, 5, 10, 20, 25, 50, 100, 200, 500}) {
        k = nice;
        if (rows / nice <= 12) break;
    }
    for (int32_t r = 1; r <= rows; r += k)
        ticker->addTick(r, QString::fromStdString(model_.RowLabel(r)));

    const ValueAxis& axis = model_.Axis();
    auto yTicker = qSharedPointerCast<FormattedTicker>(plot_->yAxis->ticker());
    yTicker->formatted = !axis.labelFormat.empty();
    if (!axis.autoScale && axis.maximum > axis.minimum) {
        plot_->yAxis->setRange(axis.minimum, axis.maximum);
    } else {
        double lo = 0.0, hi = 0.0;
        const Table2D& d = model_.Data();
        for (int32_t r = 0; r < d.Rows(); ++r)
            for (int32_t c = 0; c < d.Cols(); ++c) {
                lo = std::min(lo, d(r, c));
                hi = std::max(hi, d(r, c));
            }
        if (hi <= lo) hi = lo + 1.0;
        plot_->yAxis->setRange(lo, hi);
    }
    renderedAxis_ = axis;
}

void ChartView::Render() {
    if (renderedRevision_ == model_.Revision()) return;
    renderedRevision_ = model_.Revision();
    if (renderedCloud_ != model_.CloudRevision() || !(renderedAxis_ == model_.Axis())) {
        renderedCloud_ = model_.CloudRevision();
        UpdateAxes();
        ++fullRedraws_;
        plot_->replot();
    } else {
        linesLayer_->replot();
    }
}

}  // namespace velta::qt
