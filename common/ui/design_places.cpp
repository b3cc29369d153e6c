#include "common/ui/design_places.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>
#include <cmath>

namespace ctiq {
namespace {

bool isPanel(const QWidget* w) {
    return w->metaObject() == &QWidget::staticMetaObject;
}

void collect(QWidget* parent, std::vector<DesignPlace>& places) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) continue;
        places.push_back({w, w->geometry()});
        if (isPanel(w)) collect(w, places);
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i) collect(tabs->widget(i), places);
    }
}

// The width the control's container offers it: its panel's or window's width, or for a tab page
// the tab widget's (pages have no size before the window is shown).
int containerWidth(const QWidget* control, const std::vector<DesignPlace>& places,
                   const QWidget* window) {
    const QWidget* container = control->parentWidget();
    if (container == window) return window->width();
    for (const DesignPlace& p : places)
        if (p.control == container) return p.rect.width();
    for (const QWidget* up = container; up && up != window; up = up->parentWidget())
        if (qobject_cast<const QTabWidget*>(up)) return up->width();
    return container->width();
}

}  // namespace

int captionWidth(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) return 0;
        return label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->text().isEmpty()) return 0;
        if (qobject_cast<const QPushButton*>(w))  // the text and the style's margins
            return button->fontMetrics().horizontalAdvance(button->text()) +
                   2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return button->sizeHint().width();  // indicator, spacing and text
    }
    if (qobject_cast<const QGroupBox*>(w)) return w->minimumSizeHint().width();
    return 0;
}

std::vector<DesignPlace> designPlaces(QWidget* window) {
    std::vector<DesignPlace> places;
    collect(window, places);
    return places;
}

double captionScale(const std::vector<DesignPlace>& places, QWidget* window) {
    double scale = 1;
    for (const DesignPlace& p : places) {
        const int needed = captionWidth(p.control);
        if (needed == 0) continue;
        const int room =
            std::min(p.rect.width(), containerWidth(p.control, places, window) - p.rect.x());
        if (room > 0) scale = std::max(scale, static_cast<double>(needed) / room);
    }
    return scale;
}

int scaled(int length, double scale) {
    return static_cast<int>(std::lround(length * scale));
}

QRect scaled(const QRect& r, double scale) {
    const int left = scaled(r.x(), scale), top = scaled(r.y(), scale);
    return {left, top, scaled(r.x() + r.width(), scale) - left,
            scaled(r.y() + r.height(), scale) - top};
}

void scaleTables(QWidget* window, double scale) {
    if (scale == 1) return;
    for (QTableView* table : window->findChildren<QTableView*>()) {
        QHeaderView* columns = table->horizontalHeader();
        std::vector<int> widths(static_cast<std::size_t>(columns->count()));
        for (int c = 0; c < columns->count(); ++c) widths[c] = table->columnWidth(c);
        for (QHeaderView* header : {columns, table->verticalHeader()})
            header->setDefaultSectionSize(scaled(header->defaultSectionSize(), scale));
        // Setting the default size resets the sections, so the widths are set afterwards.
        for (int c = 0; c < columns->count(); ++c)
            if (!table->isColumnHidden(c)) table->setColumnWidth(c, scaled(widths[c], scale));
    }
}

}  // namespace ctiq
