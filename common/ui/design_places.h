#pragma once

#include <QRect>
#include <QSize>
#include <utility>
#include <vector>

class QTableView;
class QWidget;

namespace ctiq {

// The windows place their controls in pixels chosen for their design font. A larger font makes
// captions wider, so a window scales every place by the one factor its tightest caption asks for.

// The width a control needs to show its whole caption: label text, push button text with the
// style's margins, a box's indicator and text, a group's items; 0 for a control without one.
int captionWidth(const QWidget* control);

// A control the window placed itself, at its place for the design font.
struct DesignPlace {
    QWidget* control;
    QRect rect;
};

// A window as built for its design font: the places of its hand-placed controls (its children,
// and recursively those of its plain panels and tab pages; composite controls lay out their own
// parts), its size and its tables' column widths and row heights.
class DesignLayout {
  public:
    explicit DesignLayout(QWidget* window);

    const std::vector<DesignPlace>& places() const { return places_; }
    // The place of one of them; null for a control the window did not place itself.
    const DesignPlace* placeOf(const QWidget* control) const;
    // max(1, caption width / room) over the places at the current font, where a caption's room
    // is its control's width and what is left of its panel: 1 when every caption fits.
    double captionScale() const;
    // The tables' columns and rows and the window's smallest size at their design sizes times
    // the scale; the window grows to the smallest size if it is smaller. (The caller places the
    // controls, with the scale it has stored first: the growth resizes the window.)
    void applyScale(double scale) const;

  private:
    struct TableSizes {
        QTableView* table;
        int rowHeight, columnWidth;
        std::vector<std::pair<int, int>> columnWidths;  // the columns not of the default width
    };
    int containerWidth(const QWidget* control) const;

    QWidget* window_;
    std::vector<DesignPlace> places_;
    QSize windowSize_;
    std::vector<TableSizes> tables_;
};

// A place at the scale: both edges scaled and rounded, so neighbours stay neighbours.
QRect scaled(const QRect& rect, double scale);
int scaled(int length, double scale);
QSize scaled(QSize size, double scale);

}  // namespace ctiq
