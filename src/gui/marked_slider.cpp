#include "gui/marked_slider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include "platform/qt/chart_view.h"

namespace velta::gui {

MarkedSlider::MarkedSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

QColor MarkedSlider::MarkColour() {
    return qt::ChartView::MarkColour(SizeMark::Kind::Automatic);
}

void MarkedSlider::SetMark(int position) {
    if (position == mark_) return;
    mark_ = position;
    update();
}

int MarkedSlider::Mark() const {
    return mark_ >= 2 && mark_ >= minimum() && mark_ <= maximum() ? mark_ : -1;
}

int MarkedSlider::PixelOf(int value) const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    return groove.x() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), value, span, opt.upsideDown);
}

void MarkedSlider::paintEvent(QPaintEvent* e) {
    QSlider::paintEvent(e);
    const int mark = Mark();
    if (mark < 0) return;
    // A bar across the track with a small pointer above it, in the colour of
    // the automatic line on the charts.
    const int x = PixelOf(mark);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(MarkColour());
    p.drawRect(QRect(x - 1, 2, 3, height() - 4));
    const QPointF pointer[] = {{x - 5.0, 0.0}, {x + 5.0, 0.0}, {double(x), 6.0}};
    p.drawPolygon(pointer, 3);
}

}  // namespace velta::gui
