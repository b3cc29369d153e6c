#include "mtf/tick_box.h"

#include <QPainter>
#include <cmath>

namespace ctiq {

void TickBox::setTicks(std::vector<std::int32_t> ticks) {
    ticks_ = std::move(ticks);
    update();
}

void TickBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int h = height();
    const int tick = static_cast<int>(std::nearbyint(h / 40.0));
    for (std::int32_t x : ticks_) p.drawLine(x, h, x, h - tick);
}

}  // namespace ctiq
