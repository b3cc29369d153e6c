#include "common/ui/design_places.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>
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
    if (qobject_cast<const QGroupBox*>(w)) {
        // Its items' sizes as they are now: the layout may still hold those of an older font.
        if (QLayout* items = w->layout()) items->invalidate();
        return w->minimumSizeHint().width();
    }
    return 0;
}

DesignLayout::DesignLayout(QWidget* window) : window_(window), windowSize_(window->size()) {
    collect(window, places_);
    for (QTableView* table : window->findChildren<QTableView*>()) {
        TableSizes sizes{table,
                         table->verticalHeader()->defaultSectionSize(),
                         table->horizontalHeader()->defaultSectionSize(),
                         {}};
        for (int c = 0; c < table->horizontalHeader()->count(); ++c)
            if (table->columnWidth(c) != sizes.columnWidth)
                sizes.columnWidths.emplace_back(c, table->columnWidth(c));
        tables_.push_back(std::move(sizes));
    }
}

const DesignPlace* DesignLayout::placeOf(const QWidget* control) const {
    const auto it = std::find_if(places_.begin(), places_.end(),
                                 [control](const DesignPlace& p) { return p.control == control; });
    return it == places_.end() ? nullptr : &*it;
}

// The width the control's container offers it at the design font: its window's or panel's, or
// for a tab page its tab widget's (pages have no size before the window is shown).
int DesignLayout::containerWidth(const QWidget* control) const {
    const QWidget* container = control->parentWidget();
    if (container == window_) return windowSize_.width();
    for (const QWidget* up = container; up && up != window_; up = up->parentWidget())
        if (const DesignPlace* p = placeOf(up)) return p->rect.width();
    return container->width();
}

double DesignLayout::captionScale() const {
    double scale = 1;
    for (const DesignPlace& p : places_) {
        const int needed = captionWidth(p.control);
        if (needed == 0) continue;
        const int room = std::min(p.rect.width(), containerWidth(p.control) - p.rect.x());
        if (room > 0) scale = std::max(scale, static_cast<double>(needed) / room);
    }
    return scale;
}

void DesignLayout::applyScale(double scale) const {
    for (const TableSizes& t : tables_) {
        // Setting the default sizes resets the sections, so the widths come afterwards.
        t.table->verticalHeader()->setDefaultSectionSize(scaled(t.rowHeight, scale));
        t.table->horizontalHeader()->setDefaultSectionSize(scaled(t.columnWidth, scale));
        for (const auto& [column, width] : t.columnWidths)
            if (!t.table->isColumnHidden(column))
                t.table->setColumnWidth(column, scaled(width, scale));
    }
    const QSize smallest = scaled(windowSize_, scale);
    window_->setMinimumSize(smallest);
    window_->resize(window_->size().expandedTo(smallest));
}

int scaled(int length, double scale) {
    return static_cast<int>(std::lround(length * scale));
}

QRect scaled(const QRect& r, double scale) {
    const int left = scaled(r.x(), scale), top = scaled(r.y(), scale);
    return {left, top, scaled(r.x() + r.width(), scale) - left,
            scaled(r.y() + r.height(), scale) - top};
}

QSize scaled(QSize size, double scale) {
    return {scaled(size.width(), scale), scaled(size.height(), scale)};
}

}  // namespace ctiq
