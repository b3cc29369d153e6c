#include "common/ui/growing_places.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace ctiq {

GrowingPlaces::GrowingPlaces(QWidget* window, Across across)
    : window_(window), design_(window), across_(across) {
    fitFont();  // the window starts at its smallest size: the design size, scaled
    window->installEventFilter(this);
}

bool GrowingPlaces::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::Resize) place();
        if (event->type() == QEvent::FontChange) fitFont();  // the controls have it by now
    }
    return false;
}

void GrowingPlaces::stretchRightOf(const QWidget* neighbour, Stretch how) {
    stretchBeyond(neighbour, how, Qt::Horizontal);
}

void GrowingPlaces::stretchBelow(const QWidget* neighbour, Stretch how) {
    stretchBeyond(neighbour, how, Qt::Vertical);
}

void GrowingPlaces::stretchBeyond(const QWidget* neighbour, Stretch how, Qt::Orientation way) {
    const DesignPlace* n = design_.placeOf(neighbour);
    if (!n) return;
    const auto start = [way](const QRect& r) { return way == Qt::Horizontal ? r.x() : r.y(); };
    const auto size = [way](const QRect& r) {
        return way == Qt::Horizontal ? r.width() : r.height();
    };
    for (const DesignPlace& p : design_.places())
        if (p.control->parentWidget() == neighbour->parentWidget() &&
            start(p.rect) >= start(n->rect) + size(n->rect))
            stretch(p.control, how);
}

void GrowingPlaces::placeBy(QWidget* control, std::function<QRect()> place) {
    control->setGeometry(place());
    ownPlaces_[control] = std::move(place);
}

void GrowingPlaces::fitFont() {
    scale_ = design_.captionScale();
    design_.applyScale(scale_);
    place();
}

QSize GrowingPlaces::growth() const {
    const QSize smallest = window_->minimumSize();
    const int across = std::max(0, window_->width() - smallest.width());
    const int down = std::max(0, window_->height() - smallest.height());
    return {across_ == Across::Square ? std::min(across, down) : across, down};
}

QRect GrowingPlaces::smallestPlace(const QWidget* control) const {
    const DesignPlace* p = design_.placeOf(control);
    return p ? scaled(p->rect, scale_) : QRect();
}

void GrowingPlaces::place() {
    const QSize grown = growth();
    for (const auto& [control, design] : design_.places()) {
        if (const auto own = ownPlaces_.find(control); own != ownPlaces_.end()) {
            control->setGeometry(own->second());
            continue;
        }
        QRect r = scaled(design, scale_);
        if (const auto it = stretches_.find(control); it != stretches_.end()) {
            const Stretch& s = it->second;
            const double across = grown.width(), down = s.square ? across : grown.height();
            r.setCoords(r.left() + static_cast<int>(s.left * across),
                        r.top() + static_cast<int>(s.top * down),
                        r.right() + static_cast<int>(s.right * across),
                        r.bottom() + static_cast<int>(s.bottom * down));
        }
        control->setGeometry(r);
    }
}

}  // namespace ctiq
