#include "mtf/pixel_grid.h"

#include <QBrush>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <algorithm>

#include "common/ui/guarded.h"

namespace ctiq {

void PixelTableModel::setTable(PixelTable table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

QVariant PixelTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(table_.text(index.column(), index.row()));
    if (role == Qt::BackgroundRole && (index.row() == 0 || index.column() == 0))
        return QBrush(QColor(224, 224, 224));
    return {};
}

PixelGrid::PixelGrid(QWidget* parent) : QTableView(parent), model_(new PixelTableModel(this)) {
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(40);
    verticalHeader()->setDefaultSectionSize(14);
    horizontalHeader()->setMinimumSectionSize(10);
    verticalHeader()->setMinimumSectionSize(10);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
}

CellRect PixelGrid::selectionRect() const {
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty()) {
        const QModelIndex current = currentIndex();
        const int c = std::max(current.column(), 0), r = std::max(current.row(), 0);
        return {c, r, c, r};
    }
    CellRect rect{selection.first().left(), selection.first().top(), selection.first().right(),
                  selection.first().bottom()};
    for (const QItemSelectionRange& range : selection) {
        rect.left = std::min(rect.left, range.left());
        rect.top = std::min(rect.top, range.top());
        rect.right = std::max(rect.right, range.right());
        rect.bottom = std::max(rect.bottom, range.bottom());
    }
    return rect;
}

void PixelGrid::selectCells(const CellRect& rect) {
    const QModelIndex topLeft = model_->index(rect.top, rect.left);
    const QModelIndex bottomRight = model_->index(rect.bottom, rect.right);
    selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(topLeft, bottomRight),
                             QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(bottomRight, QItemSelectionModel::NoUpdate);
}

void PixelGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    guarded(window(), [this] {
        if (onMouseDown) onMouseDown();
    });
}

void PixelGrid::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    guarded(window(), [this] {
        if (onMouseMove) onMouseMove();
    });
}

void PixelGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    guarded(window(), [this] {
        if (onMouseUp) onMouseUp();
    });
}

}  // namespace ctiq
