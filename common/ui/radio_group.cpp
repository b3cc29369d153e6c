#include "common/ui/radio_group.h"

#include <QGridLayout>
#include <QRadioButton>

#include "common/ui/guarded.h"

namespace ctiq {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent), buttons_(this) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setHorizontalSpacing(0);
    layout->setVerticalSpacing(0);
    setStyleSheet("QRadioButton { spacing: 1px; }");
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_.addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
    connect(&buttons_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == index_) return;
        index_ = id;
        guarded(window(), [this] {
            if (onClick) onClick();
        });
    });
}

void RadioGroup::setItemIndexSilently(int index) {
    index_ = (index >= 0 && index < count()) ? index : -1;
    buttons_.setExclusive(false);
    for (QAbstractButton* b : buttons_.buttons()) b->setChecked(buttons_.id(b) == index_);
    buttons_.setExclusive(true);
}

void RadioGroup::setItemIndex(int index) {
    const int before = index_;
    setItemIndexSilently(index);
    if (index_ != before && onClick) onClick();
}

int RadioGroup::count() const {
    return static_cast<int>(buttons_.buttons().size());
}

QString RadioGroup::itemText(int index) const {
    QAbstractButton* b = buttons_.button(index);
    return b ? b->text() : QString();
}

}  // namespace ctiq
