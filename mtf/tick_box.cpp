#include "mtf/tick_box.h"

#include <QPainter>
#include <cmath>

#include "mtf/lsf.h"

namespace ctiq {

void TickBox::setTicks(double span, double spacing) {
    span_ = span;
    spacing_ = spacing;
    update();
}

std::vector<std::int32_t> TickBox::ticks() const {
    return tickPositions(span_, spacing_, width());
}

void TickBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int h = height();
    const int tick = static_cast<int>(std::nearbyint(h / 40.0));
    for (std::int32_t x : ticks()) p.drawLine(x, h, x, h - tick);
}

}  // namespace ctiq
