#pragma once

#include <QRect>
#include <vector>

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

// The window's children, and recursively those of its plain panels and its tab pages: every
// control placed by hand (composite controls lay out their own parts).
std::vector<DesignPlace> designPlaces(QWidget* window);

// max(1, caption width / room) over the places, where a caption's room is its control's width
// and what is left of its panel; 1 when every caption fits at the current font.
double captionScale(const std::vector<DesignPlace>& places, QWidget* window);

// A place at the scale: both edges scaled and rounded, so neighbours stay neighbours.
QRect scaled(const QRect& rect, double scale);
int scaled(int length, double scale);

// Column widths and row height of the window's tables at the scale.
void scaleTables(QWidget* window, double scale);

}  // namespace ctiq
