#include "common/ui/up_down.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/ui/guarded.h"

namespace ctiq {

UpDown::UpDown(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), position_(position) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { guarded(window(), [this] { stepUp(); }); });
    connect(down, &QToolButton::clicked, this,
            [this] { guarded(window(), [this] { stepDown(); }); });
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::stepUp() {
    step(1);
}

void UpDown::stepDown() {
    step(-1);
}

void UpDown::step(int delta) {
    const int before = position_;
    setPosition(position_ + delta);
    if (position_ != before && onClick) onClick();
}

}  // namespace ctiq
