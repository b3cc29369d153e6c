#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <functional>

#include "mtf/pixel_table.h"

namespace ctiq {

// Shows a PixelTable's texts; row 0 and column 0 are drawn as fixed label cells.
class PixelTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PixelTableModel(QObject* parent) : QAbstractTableModel(parent) {}

    const PixelTable& table() const { return table_; }
    void setTable(PixelTable table);

    int rowCount(const QModelIndex& = {}) const override { return table_.rowCount(); }
    int columnCount(const QModelIndex& = {}) const override { return table_.colCount(); }
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    PixelTable table_;
};

// The pixel table's grid: range selection without editing; the mouse handlers see the selection
// after the grid has moved it, as a normalised rectangle.
class PixelGrid : public QTableView {
    Q_OBJECT
  public:
    explicit PixelGrid(QWidget* parent);

    PixelTableModel* pixelModel() const { return model_; }
    // The grid's selection rectangle (left ≤ right, top ≤ bottom).
    CellRect selectionRect() const;
    void selectCells(const CellRect& rect);

    std::function<void()> onMouseDown, onMouseMove, onMouseUp;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    PixelTableModel* model_;
};

}  // namespace ctiq
