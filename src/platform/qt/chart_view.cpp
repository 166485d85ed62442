#include "platform/qt/chart_view.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/numbers.h"
#include "platform/qt/chart_export.h"

namespace velta::qt {

namespace {

// Fraction of the value range added above and below it, so that points on
// the limits are drawn whole.
constexpr double kValuePadding = 0.03;

QString AxisTitle(const std::string& caption) {
    if (caption == "Means") return "Mean";
    if (caption == "Standard deviations") return "Standard deviation";
    return QString::fromStdString(caption);
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

int DiameterOf(int16_t size) {
    return std::max<int>(3, size);
}

}  // namespace

double ChartView::CloudOpacity(double count, double densest) {
    if (count <= 0.0) return 0.0;
    // A lone sample stays clearly visible and the densest spot is near
    // opaque; in between a square root, which keeps the body of a cloud of
    // 100,000 samples from looking uniformly solid.
    constexpr double kLone = 0.30, kDensest = 0.95;
    const double t = std::sqrt(std::min(1.0, count / std::max(densest, 1.0)));
    return kLone + (kDensest - kLone) * t;
}

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

// The cloud: every marker the cloud rule shows, as a density. The samples of
// one category are counted per pixel row, the counts spread over a disc of
// the marker's size, and each pixel of the category's strip is written once
// with an opacity that grows with the spread count. The cost follows the
// plot size, not V, and a pixel is drawn once however many samples land on
// it.
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
        const int diameter = DiameterOf(rule.size);
        const int radius = diameter / 2;
        double offset, scale;
        Mapping(offset, scale);

        // Counts per pixel row, category by category.
        std::vector<int32_t> points;
        for (int32_t d = rule.step; d <= rule.lastPoint && d <= model_.RowCount(); d += rule.step)
            points.push_back(d);
        if (points.empty()) return;
        const auto h = static_cast<size_t>(height);
        std::vector<uint32_t> counts(points.size() * h, 0);
        // Four histograms taken in turn: neighbouring samples often land on
        // one pixel, and a single histogram would then wait on its own
        // increments. Rows outside the plot go to a spare slot at the end.
        const double lo = top;
        const size_t stride = h + 1;
        std::vector<uint32_t> four(4 * stride);
        auto slot = [&](double v) {
            const double py = offset + scale * v - lo;
            return py >= 0.0 && py < static_cast<double>(h) ? static_cast<size_t>(py) : h;
        };
        for (size_t p = 0; p < points.size(); ++p) {
            std::fill(four.begin(), four.end(), 0);
            const double* row = model_.Data().Row(points[p] - 1);
            int32_t s = 0;
            for (; s + 4 <= series; s += 4) {
                ++four[slot(row[s])];
                ++four[stride + slot(row[s + 1])];
                ++four[2 * stride + slot(row[s + 2])];
                ++four[3 * stride + slot(row[s + 3])];
            }
            for (; s < series; ++s) ++four[slot(row[s])];
            uint32_t* hit = counts.data() + p * h;
            for (size_t y = 0; y < h; ++y)
                hit[y] = four[y] + four[stride + y] + four[2 * stride + y] + four[3 * stride + y];
        }

        // The disc as a stencil of row half-widths: row dy covers |dx| <= w.
        std::vector<int> half(static_cast<size_t>(2 * radius + 1));
        for (int dy = -radius; dy <= radius; ++dy) {
            const double r = diameter / 2.0;
            half[static_cast<size_t>(dy + radius)] =
                static_cast<int>(std::floor(std::sqrt(std::max(0.0, r * r - dy * dy)) + 0.25));
        }
        // Spread counts: what a pixel of the strip at (dx, y) is covered by.
        const int width = 2 * radius + 1;
        std::vector<double> cover(h * static_cast<size_t>(width));
        auto spread = [&](const uint32_t* hit) {
            std::fill(cover.begin(), cover.end(), 0.0);
            for (int y = 0; y < height; ++y) {
                const uint32_t c = hit[y];
                if (c == 0) continue;
                for (int dy = -radius; dy <= radius; ++dy) {
                    const int yy = y + dy;
                    if (yy < 0 || yy >= height) continue;
                    const int w = half[static_cast<size_t>(dy + radius)];
                    double* line = cover.data() + static_cast<size_t>(yy) * width + radius;
                    for (int dx = -w; dx <= w; ++dx) line[dx] += c;
                }
            }
        };
        // The densest spot of the chart: the disc's centre column is covered
        // by every row of the disc, so a running sum over 2r+1 rows finds it.
        double densest = 1.0;
        for (size_t p = 0; p < points.size(); ++p) {
            const uint32_t* hit = counts.data() + p * h;
            uint64_t window = 0;
            for (int y = 0; y < height + radius; ++y) {
                if (y < height) window += hit[y];
                if (y - 2 * radius - 1 >= 0) window -= hit[y - 2 * radius - 1];
                densest = std::max(densest, static_cast<double>(window));
            }
        }

        const QColor colour = ChartView::CloudColour();
        const bool vector = painter->modes().testFlag(QCPPainter::pmVectorized);
        // Opacity levels, computed once per chart rather than per pixel.
        constexpr int kLevels = 64;
        QImage strip(width, height, QImage::Format_ARGB32_Premultiplied);
        QRgb shades[kLevels + 1] = {};
        for (int l = 1; l <= kLevels; ++l) {
            const double f = (l - 0.5) / kLevels;
            const double a = ChartView::CloudOpacity(densest * f * f, densest);
            shades[l] = qPremultiply(qRgba(colour.red(), colour.green(), colour.blue(),
                                           static_cast<int>(std::lround(255 * a))));
        }
        for (size_t p = 0; p < points.size(); ++p) {
            const double px = keyAxis()->coordToPixel(points[p]);
            const uint32_t* hit = counts.data() + p * h;
            if (vector) {
                // Real discs for vector output: one per occupied pixel row.
                painter->setPen(Qt::NoPen);
                for (int y = 0; y < height; ++y) {
                    if (hit[y] == 0) continue;
                    QColor c = colour;
                    c.setAlphaF(static_cast<float>(ChartView::CloudOpacity(hit[y], densest) * 0.6));
                    painter->setBrush(c);
                    painter->drawEllipse(QPointF(px, top + y + 0.5), diameter / 2.0,
                                         diameter / 2.0);
                }
                continue;
            }
            spread(hit);
            strip.fill(Qt::transparent);
            for (int y = 0; y < height; ++y) {
                auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
                const double* c = cover.data() + static_cast<size_t>(y) * width;
                for (int x = 0; x < width; ++x) {
                    if (c[x] <= 0.0) continue;
                    const int l =
                        1 + std::min(kLevels - 1,
                                     static_cast<int>(std::sqrt(c[x] / densest) * kLevels));
                    line[x] = shades[l];
                }
            }
            painter->drawImage(QPointF(std::round(px) - radius, top), strip);
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
            // At least two pixels: a hairline is lost over the cloud.
            painter->setPen(QPen(ChartView::DisplayColour(model_.PenColour(c)),
                                 std::max<int>(2, model_.PenWidth(c))));
            painter->setBrush(Qt::NoBrush);
            painter->drawPolyline(line);
        }
        for (const auto& [where, m] : model_.MarkerOverrides()) {
            if (!m.visible) continue;
            const auto [series, point] = where;
            const double v = data(point - 1, series - 1);
            const QPointF at(keyAxis()->coordToPixel(point), valueAxis()->coordToPixel(v));
            const double r = DiameterOf(m.size) / 2.0;
            painter->setPen(QPen(ChartView::DisplayColour(m.border), 1));
            painter->setBrush(ChartView::DisplayColour(m.fill));
            painter->drawEllipse(at, r, r);
        }
    }
};

QColor ChartView::Background() {
    return QColor(252, 252, 250);
}
QColor ChartView::CloudColour() {
    return QColor(38, 62, 96);
}

QColor ChartView::DisplayColour(Rgb c) {
    if (c == kFittedLineColour) return QColor(224, 104, 0);  // orange, not white
    if (c == kStudentLineColour) return QColor(0, 150, 48);  // a green that reads on white
    return QColor(c.r, c.g, c.b);
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
    plot_->setBackground(Qt::white);
    plot_->axisRect()->setBackground(Background());
    plot_->xAxis->setLabel("Sample size");
    plot_->yAxis->setLabel(AxisTitle(model_.Caption()));
    plot_->xAxis->grid()->setVisible(false);
    plot_->yAxis->grid()->setPen(QPen(QColor(218, 220, 224), 0, Qt::DotLine));
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTickerText>(new QCPAxisTickerText));
    plot_->yAxis->setTicker(QSharedPointer<FormattedTicker>(new FormattedTicker));
    // Room for the widest value labels from the start, so the plot area does
    // not shift when the first cloud brings its labels.
    plot_->axisRect()->setMinimumMargins(QMargins(64, 8, 12, 8));

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

    // Zoom and drag the value axis only: the categories are fixed.
    plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot_->axisRect()->setRangeDrag(Qt::Vertical);
    plot_->axisRect()->setRangeZoom(Qt::Vertical);
    connect(plot_, &QCustomPlot::mouseWheel, this, [this] { userView_ = true; });
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        if (e->buttons() & Qt::LeftButton) userView_ = true;
    });
    connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this] { ResetView(); });

    BuildMenu();
    plot_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plot_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(plot_->mapToGlobal(at)); });

    ghost_ = new QLabel(this);
    ghost_->setObjectName("ghost");
    ghost_->setScaledContents(true);
    ghost_->setAttribute(Qt::WA_TransparentForMouseEvents);
    ghost_->hide();

    chooseFile = [this](const std::string& title, const std::string& filter) {
        const QString name = QFileDialog::getSaveFileName(
            this, QString::fromStdString(title), QString(), QString::fromStdString(filter));
        return name.toStdString();
    };
    showError = [this](const std::string& why) {
        QMessageBox::warning(this, "VELTA", QString::fromStdString(why));
    };
    Render();
}

void ChartView::BuildMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName("chartMenu");
    menu_->addAction("Copy image", this, [this] { CopyImage(); })->setObjectName("copyImage");
    menu_->addSeparator();
    menu_->addAction("Save image as PNG...", this, [this] { SaveImageAs("png"); })
        ->setObjectName("savePng");
    menu_->addAction("Save image as SVG...", this, [this] { SaveImageAs("svg"); })
        ->setObjectName("saveSvg");
    menu_->addAction("Save image as PDF...", this, [this] { SaveImageAs("pdf"); })
        ->setObjectName("savePdf");
    menu_->addSeparator();
    menu_->addAction("Reset view", this, [this] { ResetView(); })->setObjectName("resetView");
}

void ChartView::CopyImage() {
    QApplication::clipboard()->setImage(plot_->toPixmap().toImage());
}

void ChartView::SaveImageAs(const QString& ext) {
    std::string filter;
    if (ext == "png" || ext.isEmpty()) filter += "PNG image (*.png)";
    if (ext == "svg" || ext.isEmpty())
        filter += std::string(filter.empty() ? "" : ";;") + "SVG image (*.svg)";
    if (ext == "pdf" || ext.isEmpty())
        filter += std::string(filter.empty() ? "" : ";;") + "PDF document (*.pdf)";
    const std::string title = "Save the " + model_.Caption() + " chart";
    std::string path = chooseFile ? chooseFile(title, filter) : std::string();
    if (path.empty()) return;
    // A name typed without an extension gets the chosen format's.
    const QString name = QString::fromStdString(path);
    if (!ext.isEmpty() && QFileInfo(name).suffix().toLower() != ext)
        path += "." + ext.toStdString();
    std::string why;
    const int w = std::max(plot_->width(), 200), h = std::max(plot_->height(), 150);
    if (!ExportPlot(*plot_, path, w, h, why) && showError) showError(why);
}

void ChartView::ResetView() {
    userView_ = false;
    ApplyValueRange();
    plot_->replot();
}

void ChartView::ApplyValueRange() {
    const ValueAxis& axis = model_.Axis();
    double lo = 0.0, hi = 0.0;
    if (!axis.autoScale && axis.maximum > axis.minimum) {
        lo = axis.minimum;
        hi = axis.maximum;
    } else {
        const Table2D& d = model_.Data();
        for (int32_t r = 0; r < d.Rows(); ++r)
            for (int32_t c = 0; c < d.Cols(); ++c) {
                lo = std::min(lo, d(r, c));
                hi = std::max(hi, d(r, c));
            }
        if (hi <= lo) hi = lo + 1.0;
    }
    const double pad = (hi - lo) * kValuePadding;
    plot_->yAxis->setRange(lo - pad, hi + pad);
}

void ChartView::UpdateAxes() {
    const int32_t rows = model_.RowCount();
    plot_->xAxis->setRange(0.5, rows + 0.5);
    // Ticks on the categories that hold data (every Jump-th with a cloud),
    // every k-th of them labelled, always the first; a label per category is
    // unreadable beyond a few dozen.
    const CloudMarkers& rule = model_.CloudRule();
    const bool cloud = rule.series > 0 && rule.lastPoint > 0 && rule.step >= 1;
    const int32_t first = cloud ? std::min(rule.step, rows) : 1;
    const int32_t step = cloud ? rule.step : 1;
    const int32_t last = cloud ? std::min(rule.lastPoint, rows) : rows;
    const int32_t count = last >= first ? (last - first) / step + 1 : 0;
    auto ticker = qSharedPointerCast<QCPAxisTickerText>(plot_->xAxis->ticker());
    ticker->clear();
    int32_t k = 1;
    for (int32_t nice : {1, 2, 5, 10, 20, 25, 50, 100, 200, 500}) {
        k = nice;
        if (count / nice <= 12) break;
    }
    for (int32_t r = first; r <= last; r += step * k)
        ticker->addTick(r, QString::fromStdString(model_.RowLabel(r)));
    if (count == 0 && rows >= 1) ticker->addTick(1, QString::fromStdString(model_.RowLabel(1)));

    const ValueAxis& axis = model_.Axis();
    auto yTicker = qSharedPointerCast<FormattedTicker>(plot_->yAxis->ticker());
    yTicker->formatted = !axis.labelFormat.empty();
    // A zoom of the user's stays until the commands set another range.
    if (!(renderedAxis_ == axis)) userView_ = false;
    if (!userView_) ApplyValueRange();
    renderedAxis_ = axis;
}

bool ChartView::ModelEmpty() const {
    return model_.CloudSeries() <= 0 || model_.CloudRule().series <= 0;
}

void ChartView::HoldGhost(bool greyed) {
    if (!ghostHeld_ && !GhostShown()) {
        ghostPicture_ = ModelEmpty() ? QPixmap() : plot_->toPixmap();
    }
    ghostHeld_ = !ghostPicture_.isNull();
    ghostGreyed_ = greyed;
    ShowGhost();
}

void ChartView::ReleaseGhost() {
    ghostHeld_ = false;
    ghostGreyed_ = false;
    ghostRevision_ = ModelEmpty() ? model_.Revision() : UINT64_MAX;
    if (ghostRevision_ == UINT64_MAX) ghostPicture_ = QPixmap();
    ShowGhost();
}

bool ChartView::GhostShown() const {
    return !ghostPicture_.isNull() && ModelEmpty() &&
           (ghostHeld_ || model_.Revision() == ghostRevision_);
}

void ChartView::ShowGhost() {
    if (!GhostShown()) {
        if (!ghostHeld_ && model_.Revision() != ghostRevision_) ghostPicture_ = QPixmap();
        ghost_->hide();
        return;
    }
    QPixmap shown = ghostPicture_;
    if (ghostGreyed_) {
        // Faded toward white: the old picture, plainly not the current one.
        QPainter p(&shown);
        p.fillRect(shown.rect(), QColor(255, 255, 255, 170));
    }
    ghost_->setPixmap(shown);
    ghost_->setGeometry(plot_->geometry());
    ghost_->raise();
    ghost_->show();
}

void ChartView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!ghost_->isHidden()) ghost_->setGeometry(plot_->geometry());
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
    if (ghost_->isHidden() == GhostShown()) ShowGhost();
}

}  // namespace velta::qt
