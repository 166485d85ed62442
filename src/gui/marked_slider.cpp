#include "gui/marked_slider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

namespace velta::gui {

MarkedSlider::MarkedSlider(const Workspace& ws, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), ws_(ws) {}

int MarkedSlider::Mark() const {
    const int v = ws_.Slider1.selStart;
    // Only an automatic size of the clouds shown: a new generation or
    // trimming leaves none.
    if (ws_.AutoSizeDone != "1" || !ws_.DataTrimmed || v < minimum() || v > maximum()) return -1;
    return v;
}

void MarkedSlider::paintEvent(QPaintEvent* e) {
    QSlider::paintEvent(e);
    const int mark = Mark();
    if (mark < 0) return;
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int x = groove.x() + handle.width() / 2 +
                  QStyle::sliderPositionFromValue(minimum(), maximum(), mark, span);
    // A small triangle above the track, in the colour of the automatic line.
    const QColor colour(kAutoLineColour.r, kAutoLineColour.g, kAutoLineColour.b);
    const int top = std::max(0, groove.top() - 7);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygon({QPoint(x - 5, top), QPoint(x + 5, top), QPoint(x, top + 7)}));
}

}  // namespace velta::gui
