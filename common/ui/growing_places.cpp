#include "common/ui/growing_places.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace ctiq {

GrowingPlaces::GrowingPlaces(QWidget* window) : window_(window), design_(window) {
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
    const auto& places = design_.places();
    const auto n = std::find_if(places.begin(), places.end(), [neighbour](const DesignPlace& p) {
        return p.control == neighbour;
    });
    if (n == places.end()) return;
    for (const DesignPlace& p : places)
        if (p.control->parentWidget() == neighbour->parentWidget() &&
            p.rect.x() >= n->rect.x() + n->rect.width())
            stretch(p.control, how);
}

void GrowingPlaces::fitFont() {
    scale_ = design_.captionScale();
    design_.applyScale(scale_);
    place();
}

void GrowingPlaces::place() {
    const QSize smallest = window_->minimumSize();
    const double growX = std::max(0, window_->width() - smallest.width());
    const double growY = std::max(0, window_->height() - smallest.height());
    for (const auto& [control, design] : design_.places()) {
        QRect r = scaled(design, scale_);
        if (const auto it = stretches_.find(control); it != stretches_.end()) {
            const Stretch& s = it->second;
            r.setCoords(r.left() + static_cast<int>(s.left * growX),
                        r.top() + static_cast<int>(s.top * growY),
                        r.right() + static_cast<int>(s.right * growX),
                        r.bottom() + static_cast<int>(s.bottom * growY));
        }
        control->setGeometry(r);
    }
}

}  // namespace ctiq
