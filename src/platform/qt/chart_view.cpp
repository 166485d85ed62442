#include "platform/qt/chart_view.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/numbers.h"
#include "platform/qt/chart_export.h"
#include "platform/qt/qt_platform.h"

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

constexpr int kCloudMarkerSize = 5;
constexpr int kMarkSize = 7;

int DiameterOf(int size) {
    return std::max(3, size);
}

// A colour washed toward white: an older picture, plainly not the current one.
QColor Washed(QColor c) {
    return QColor((c.red() + 2 * 255) / 3, (c.green() + 2 * 255) / 3, (c.blue() + 2 * 255) / 3);
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
    ModelPlottable(QCPAxis* key, QCPAxis* value, const ChartPicture& picture)
        : QCPAbstractPlottable(key, value), picture_(picture) {
        setSelectable(QCP::stNone);
    }
    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
    QCPRange getKeyRange(bool& found, QCP::SignDomain) const override {
        found = picture_.categories > 0;
        return QCPRange(0.5, picture_.categories + 0.5);
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

    const ChartPicture& picture_;
};

// The cloud: every marker of the categories that hold data, as a density. The samples of
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
        if (!picture_.HasCloud() || picture_.lastPoint <= 0) return;
        const int32_t series = std::min(picture_.samples, picture_.cloud->Cols());
        const QRect clip = clipRect();
        const int top = clip.top();
        const bool vector = painter->modes().testFlag(QCPPainter::pmVectorized);
        // Device pixels per pixel of the layout (a screen at scale factor 2,
        // an exported image larger than its layout): the density is counted
        // and drawn at the device's own pixels, so the cloud stays sharp.
        const double pixel =
            vector ? 1.0
                   : std::max(1.0, std::abs(painter->transform().m22()) *
                                       (painter->device() ? painter->device()->devicePixelRatioF()
                                                          : 1.0));
        const int height = static_cast<int>(std::ceil(clip.height() * pixel - 1e-9));
        if (height <= 0) return;
        const int diameter =
            std::max(DiameterOf(kCloudMarkerSize),
                     static_cast<int>(std::lround(DiameterOf(kCloudMarkerSize) * pixel)));
        const int radius = diameter / 2;
        double offset, scale;
        Mapping(offset, scale);

        // Counts per pixel row, category by category.
        std::vector<int32_t> points;
        const int32_t rows = std::min(picture_.categories, picture_.cloud->Rows());
        for (int32_t d = picture_.step; d <= picture_.lastPoint && d <= rows; d += picture_.step)
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
            const double py = (offset + scale * v - lo) * pixel;
            return py >= 0.0 && py < static_cast<double>(h) ? static_cast<size_t>(py) : h;
        };
        for (size_t p = 0; p < points.size(); ++p) {
            std::fill(four.begin(), four.end(), 0);
            const double* row = picture_.cloud->Row(points[p] - 1);
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

        // An older picture shown while a generation runs is washed out.
        QColor colour = ChartView::CloudColour();
        if (picture_.greyed) colour = Washed(colour);
        // Opacity levels, computed once per chart rather than per pixel.
        constexpr int kLevels = 64;
        QImage strip(width, height, QImage::Format_ARGB32_Premultiplied);
        strip.setDevicePixelRatio(pixel);
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
            painter->drawImage(QPointF((std::round(px * pixel) - radius) / pixel, top), strip);
        }
    }
};

// The overlays: the four fitted lines across the categories, then the
// marks of the sizes, each a ladder of discs up the value range.
class LinesPlottable : public ModelPlottable {
  public:
    using ModelPlottable::ModelPlottable;

  protected:
    void draw(QCPPainter* painter) override {
        painter->setRenderHint(QPainter::Antialiasing);
        auto colour = [&](QColor c) { return picture_.greyed ? Washed(c) : c; };
        if (const auto& f = picture_.lines) {
            const std::pair<double, double> lines[] = {{f->upperIntercept, f->upperSlope},
                                                       {f->lowerIntercept, f->lowerSlope},
                                                       {f->upperLevel, 0.0},
                                                       {f->lowerLevel, 0.0}};
            // At least two pixels: a hairline is lost over the cloud.
            painter->setPen(QPen(colour(ChartView::FittedLineColour()), 2));
            painter->setBrush(Qt::NoBrush);
            for (const auto& [intercept, slope] : lines) {
                QPolygonF line;
                // The lines are in the sample size, which is category + 1.
                for (int32_t c = 1; c <= picture_.categories; ++c)
                    line << QPointF(keyAxis()->coordToPixel(c),
                                    valueAxis()->coordToPixel(intercept + slope * (c + 1.0)));
                if (line.size() >= 2) painter->drawPolyline(line);
            }
        }
        if (!picture_.axis) return;
        // Sixteen discs: one at 0, then from the lower bound up in fifteenths
        // of the range.
        const double lower = picture_.axis->lower, upper = picture_.axis->upper;
        const double step = (upper - lower) / 15.0;
        const double r = DiameterOf(kMarkSize) / 2.0;
        for (const SizeMark& m : picture_.marks) {
            if (m.category < 1 || m.category > picture_.categories) continue;
            const QColor c = colour(ChartView::MarkColour(m.kind));
            painter->setPen(QPen(c, 1));
            painter->setBrush(c);
            const double x = keyAxis()->coordToPixel(m.category);
            double v = lower;
            painter->drawEllipse(QPointF(x, valueAxis()->coordToPixel(0.0)), r, r);
            for (int k = 1; k <= 15; ++k, v += step)
                painter->drawEllipse(QPointF(x, valueAxis()->coordToPixel(v)), r, r);
        }
    }
};

QColor ChartView::Background() {
    return QColor(252, 252, 250);
}
QColor ChartView::CloudColour() {
    return QColor(38, 62, 96);
}

QColor ChartView::FittedLineColour() {
    return QColor(224, 104, 0);  // orange: reads over the dark cloud and the light plot
}

QColor ChartView::MarkColour(SizeMark::Kind kind) {
    switch (kind) {
        case SizeMark::Kind::Automatic:
            return QColor(50, 0, 255);
        case SizeMark::Kind::Manual:
            return QColor(255, 0, 100);
        case SizeMark::Kind::StudentT:
            return QColor(0, 150, 48);  // a green that reads on white
    }
    return Qt::black;
}

namespace {

// A line of the legend: a small drawing of what the entry names, then its
// words.
class LegendLine : public QCPAbstractLegendItem {
  public:
    LegendLine(QCPLegend* legend, LegendEntry entry)
        : QCPAbstractLegendItem(legend), entry_(std::move(entry)) {
        setSelectable(false);
    }

  protected:
    QSize minimumOuterSizeHint() const override {
        const QSize icon = mParentLegend->iconSize();
        const QRect text =
            QFontMetrics(mFont).boundingRect(0, 0, 0, icon.height(), Qt::TextDontClip, Text());
        return QSize(icon.width() + mParentLegend->iconTextPadding() + text.width() +
                         mMargins.left() + mMargins.right(),
                     std::max(text.height(), icon.height()) + mMargins.top() + mMargins.bottom());
    }

    void draw(QCPPainter* painter) override {
        const QSize icon = mParentLegend->iconSize();
        const QRect iconRect(mRect.topLeft(), icon);
        painter->setFont(mFont);
        painter->setPen(QPen(mTextColor));
        const QRect text =
            painter->fontMetrics().boundingRect(0, 0, 0, icon.height(), Qt::TextDontClip, Text());
        painter->drawText(mRect.x() + icon.width() + mParentLegend->iconTextPadding(), mRect.y(),
                          text.width(), std::max(text.height(), icon.height()), Qt::TextDontClip,
                          Text());
        painter->save();
        painter->setClipRect(iconRect, Qt::IntersectClip);
        painter->setRenderHint(QPainter::Antialiasing);
        DrawIcon(painter, iconRect);
        painter->restore();
    }

  private:
    QString Text() const { return QString::fromStdString(entry_.text); }

    void DrawIcon(QCPPainter* painter, const QRectF& r) const {
        using Kind = LegendEntry::Kind;
        // Discs as large as the icon allows two of them one above the other,
        // apart.
        const double d = std::min<double>(DiameterOf(kMarkSize), (r.height() - 3) / 2);
        auto disc = [&](QPointF at, QColor c) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(c);
            painter->drawEllipse(at, d / 2, d / 2);
        };
        const QPointF centre = r.center();
        switch (entry_.kind) {
            case Kind::Cloud: {
                // A few markers of the cloud at its opacities.
                QColor c = ChartView::CloudColour();
                const double steps[][3] = {{-d, -d / 2, 0.95}, {0.0, d / 2, 0.6}, {d, -d / 2, 0.3}};
                for (const auto& [dx, dy, alpha] : steps) {
                    c.setAlphaF(static_cast<float>(alpha));
                    disc(centre + QPointF(dx, dy), c);
                }
                break;
            }
            case Kind::FittedLines:
                painter->setPen(QPen(ChartView::FittedLineColour(), 2));
                painter->drawLine(QPointF(r.left() + 2, r.bottom() - 2),
                                  QPointF(r.right() - 2, r.top() + 2));
                break;
            case Kind::Automatic:
            case Kind::Manual:
            case Kind::StudentT: {
                const auto mark = entry_.kind == Kind::Automatic ? SizeMark::Kind::Automatic
                                  : entry_.kind == Kind::Manual  ? SizeMark::Kind::Manual
                                                                 : SizeMark::Kind::StudentT;
                // A piece of the mark's upright ladder of discs.
                for (const double dy : {-(d / 2 + 0.75), d / 2 + 0.75})
                    disc(centre + QPointF(0, dy), ChartView::MarkColour(mark));
                break;
            }
        }
    }

    LegendEntry entry_;
};

// Asks for the size of an exported chart, in the format's own units.
std::optional<QSize> AskImageSize(QWidget* parent, const QSize& proposed, const QString& format) {
    QDialog dialog(parent);
    dialog.setWindowTitle("VELTA - Size of the chart");
    auto* form = new QFormLayout(&dialog);
    const QString unit = format == "pdf" ? "points" : "pixels";
    auto spin = [&](int value, const QString& name) {
        auto* box = new QSpinBox;
        box->setRange(100, 10000);
        box->setValue(value);
        box->setSuffix(" " + unit);
        box->setAccessibleName(name);
        return box;
    };
    QSpinBox* width = spin(proposed.width(), "Width of one chart");
    QSpinBox* height = spin(proposed.height(), "Height of one chart");
    form->addRow("&Width:", width);
    form->addRow("&Height:", height);
    if (format == "svg" || format == "pdf")
        form->addRow(new QLabel("A vector drawing: it prints sharp at any size."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return QSize(width->value(), height->value());
}

// The size of one exported chart the last time, kept between runs.
QSize LastExportSize() {
    const QSize fallback(kExportWidth, kExportHeight);
    if (!KeepsSettings()) return fallback;
    const QSize s = QSettings().value("charts/exportSize", fallback).toSize();
    return s.isValid() ? s : fallback;
}

void RememberExportSize(const QSize& size) {
    if (KeepsSettings()) QSettings().setValue("charts/exportSize", size);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(
        0, 0,
        new QCPTextElement(plot_, QString(), QFont("sans", 10, QFont::Bold)));
    plot_->setNoAntialiasingOnDrag(true);
    plot_->setBackground(Qt::white);
    plot_->axisRect()->setBackground(Background());
    plot_->xAxis->setLabel("Sample size");
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
    cloud_ = new CloudPlottable(plot_->xAxis, plot_->yAxis, picture_);
    cloud_->setLayer(cloudLayer_);
    lines_ = new LinesPlottable(plot_->xAxis, plot_->yAxis, picture_);
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

    chooseFile = [this](const std::string& title, const std::string& filter) {
        const QString name = QFileDialog::getSaveFileName(
            this, QString::fromStdString(title), QString(), QString::fromStdString(filter));
        return name.toStdString();
    };
    chooseSize = [this](const QSize& proposed, const QString& format) {
        return AskImageSize(this, proposed, format);
    };
    showError = [this](const std::string& why) {
        QMessageBox::warning(this, "VELTA", QString::fromStdString(why));
    };
    Show(ChartPicture());
}

void ChartView::ShowForPaper() {
    if (paper_) return;
    paper_ = true;
    // Caption, then the line naming the pilot, the plot, and the legend.
    plot_->plotLayout()->insertRow(1);
    auto* subtitle = new QCPTextElement(plot_, QString(), QFont("sans", 8));
    subtitle->setTextColor(QColor(60, 60, 60));
    plot_->plotLayout()->addElement(1, 0, subtitle);
    QCPLegend* legend = plot_->legend;
    plot_->axisRect()->insetLayout()->take(legend);
    plot_->plotLayout()->addElement(3, 0, legend);
    plot_->plotLayout()->setRowStretchFactor(3, 0.001);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(3);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    legend->setFont(QFont("sans", 8));
    legend->setIconSize(22, 14);
    legend->setMargins(QMargins(8, 0, 8, 4));
    legend->setVisible(true);
    plot_->plotLayout()->simplify();
    ShowLegend();
}

void ChartView::ShowLegend() {
    if (!paper_) return;
    auto* subtitle = static_cast<QCPTextElement*>(plot_->plotLayout()->element(1, 0));
    subtitle->setText(QString::fromStdString(picture_.subtitle));
    QCPLegend* legend = plot_->legend;
    legend->clearItems();
    for (const LegendEntry& e : picture_.legend) legend->addItem(new LegendLine(legend, e));
    legend->setVisible(legend->itemCount() > 0);
}

std::pair<double, double> ChartView::ValueRange() const {
    return {plot_->yAxis->range().lower, plot_->yAxis->range().upper};
}

void ChartView::ShowValueRange(double lower, double upper) {
    userView_ = true;
    plot_->yAxis->setRange(lower, upper);
    plot_->replot();
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
    QAction* both = menu_->addAction("Export both charts...", this, [this] {
        if (exportBoth) exportBoth();
    });
    both->setObjectName("exportBoth");
    connect(menu_, &QMenu::aboutToShow, this, [this, both] { both->setVisible(bool(exportBoth)); });
    menu_->addSeparator();
    menu_->addAction("Reset view", this, [this] { ResetView(); })->setObjectName("resetView");
}

void ChartView::CopyImage() {
    QApplication::clipboard()->setImage(plot_->toPixmap().toImage());
}

void ChartView::SaveImageAs(const QString& ext) {
    SaveImagesAs({this}, ext);
}

void ChartView::SaveImagesAs(const std::vector<ChartView*>& charts, const QString& ext) {
    if (charts.empty()) return;
    ChartView& first = *charts.front();
    std::string filter;
    if (ext == "png" || ext.isEmpty()) filter += "PNG image (*.png)";
    if (ext == "svg" || ext.isEmpty())
        filter += std::string(filter.empty() ? "" : ";;") + "SVG image (*.svg)";
    if (ext == "pdf" || ext.isEmpty())
        filter += std::string(filter.empty() ? "" : ";;") + "PDF document (*.pdf)";
    const std::string title = charts.size() == 1 ? "Save the " + first.picture_.caption + " chart"
                                                 : std::string("Save both charts side by side");
    std::string path = first.chooseFile ? first.chooseFile(title, filter) : std::string();
    if (path.empty()) return;
    // A name typed without an extension gets the chosen format's.
    const QString name = QString::fromStdString(path);
    if (!ext.isEmpty() && QFileInfo(name).suffix().toLower() != ext)
        path += "." + ext.toStdString();
    const QString format = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    const QSize proposed = LastExportSize();
    const std::optional<QSize> size =
        first.chooseSize ? first.chooseSize(proposed, format) : std::optional<QSize>(proposed);
    if (!size) return;
    RememberExportSize(*size);
    // The charts as they are on screen: a zoom of the user's is kept.
    std::vector<ChartToDraw> draw;
    for (ChartView* c : charts)
        draw.push_back(
            {&c->picture_, c->userView_ ? std::optional(c->ValueRange()) : std::nullopt});
    std::string why;
    if (!ExportCharts(draw, path, size->width(), size->height(), why) && first.showError)
        first.showError(why);
}

void ChartView::ResetView() {
    userView_ = false;
    ApplyValueRange();
    plot_->replot();
}

void ChartView::ApplyValueRange() {
    double lo = 0.0, hi = 1.0;
    if (picture_.axis && picture_.axis->upper > picture_.axis->lower) {
        lo = picture_.axis->lower;
        hi = picture_.axis->upper;
    }
    const double pad = (hi - lo) * kValuePadding;
    plot_->yAxis->setRange(lo - pad, hi + pad);
}

void ChartView::UpdateAxes() {
    const int32_t rows = picture_.categories;
    plot_->xAxis->setRange(0.5, rows + 0.5);
    // Ticks on the categories that hold data (every step-th with a cloud),
    // every k-th of them labelled, always the first; a label per category is
    // unreadable beyond a few dozen.
    const bool cloud = picture_.HasCloud() && picture_.lastPoint > 0 && picture_.step >= 1;
    const int32_t first = cloud ? std::min(picture_.step, rows) : 1;
    const int32_t step = cloud ? picture_.step : 1;
    const int32_t last = cloud ? std::min(picture_.lastPoint, rows) : rows;
    const int32_t count = last >= first ? (last - first) / step + 1 : 0;
    auto ticker = qSharedPointerCast<QCPAxisTickerText>(plot_->xAxis->ticker());
    ticker->clear();
    int32_t k = 1;
    for (int32_t nice : {1, 2, 5, 10, 20, 25, 50, 100, 200, 500}) {
        k = nice;
        if (count / nice <= 12) break;
    }
    auto label = [&](int32_t r) {
        return picture_.HasCloud() ? QString::fromStdString(picture_.CategoryLabel(r)) : QString();
    };
    if (cloud)
        for (int32_t r = first; r <= last; r += step * k) ticker->addTick(r, label(r));
    else if (rows >= 1)
        ticker->addTick(1, label(1));

    auto yTicker = qSharedPointerCast<FormattedTicker>(plot_->yAxis->ticker());
    yTicker->formatted = picture_.axis.has_value();
    if (!userView_) ApplyValueRange();
}

bool ChartView::SameCloud(const ChartPicture& p) const {
    return p.cloud == picture_.cloud && p.samples == picture_.samples &&
           p.categories == picture_.categories && p.step == picture_.step &&
           p.lastPoint == picture_.lastPoint && p.axis == picture_.axis &&
           p.greyed == picture_.greyed && p.caption == picture_.caption;
}

void ChartView::Show(const ChartPicture& picture) {
    const bool sameCloud = shownOnce_ && SameCloud(picture);
    const bool sameOverlays =
        sameCloud && picture.lines == picture_.lines && picture.marks == picture_.marks;
    if (sameOverlays) return;
    // A zoom of the user's stays until the value range changes.
    if (!shownOnce_ || picture.axis != picture_.axis) userView_ = false;
    picture_ = picture;
    shownOnce_ = true;
    if (sameCloud) {
        if (paper_) {
            ShowLegend();
            plot_->replot();
            return;
        }
        linesLayer_->replot();
        return;
    }
    auto* title = static_cast<QCPTextElement*>(plot_->plotLayout()->element(0, 0));
    title->setText(QString::fromStdString(picture_.caption));
    plot_->yAxis->setLabel(AxisTitle(picture_.caption));
    ShowLegend();
    UpdateAxes();
    ++fullRedraws_;
    plot_->replot();
}

}  // namespace velta::qt
