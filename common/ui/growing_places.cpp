#include "common/ui/growing_places.h"

#include <QWidget>
#include <algorithm>

namespace ctiq {

GrowingPlaces::GrowingPlaces(QWidget* window)
    : window_(window), places_(designPlaces(window)), scale_(captionScale(places_, window)) {
    scaleTables(window, scale_);
    const QSize first(scaled(window->width(), scale_), scaled(window->height(), scale_));
    window->setMinimumSize(first);
    window->resize(first);
    place();
}

const DesignPlace* GrowingPlaces::designPlace(const QWidget* control) const {
    const auto it = std::find_if(places_.begin(), places_.end(),
                                 [control](const DesignPlace& p) { return p.control == control; });
    return it == places_.end() ? nullptr : &*it;
}

void GrowingPlaces::stretchRightOf(const QWidget* neighbour, Stretch how) {
    const DesignPlace* n = designPlace(neighbour);
    if (!n) return;
    for (const DesignPlace& p : places_)
        if (p.control->parentWidget() == neighbour->parentWidget() &&
            p.rect.x() >= n->rect.x() + n->rect.width())
            stretch(p.control, how);
}

void GrowingPlaces::place() {
    const QSize first = window_->minimumSize();
    const double growX = std::max(0, window_->width() - first.width());
    const double growY = std::max(0, window_->height() - first.height());
    for (const auto& [control, design] : places_) {
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
