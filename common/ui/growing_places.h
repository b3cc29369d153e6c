#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <functional>
#include <unordered_map>

#include "common/ui/design_places.h"

namespace ctiq {

// How a control follows its window's growth: the share of the growth each edge moves by.
// {0, 0, 0, 0} stays put, {0, 0, 1, 1} grows with the window, {1, 0, 1, 0} keeps to its right.
// A square stretch moves its top and bottom by the growth across instead of the growth down:
// {0, 0, 1, 1, true} grows as much down as across.
struct Stretch {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool square = false;
};

// A window whose controls are placed at its design font's places, scaled for the current font,
// and moved or stretched as the window grows. Its smallest size is the scaled design size: there
// every control stands at its scaled place, so shrinking hides none of them. It follows the
// window's resizes and font changes itself.
class GrowingPlaces : public QObject {
  public:
    // How far the places grow across: as far as the window does, or (Square) no farther than
    // they grow down, for a window around a square picture; its extra width stays empty.
    enum class Across { Free, Square };

    // Takes the window's places as built, fits them to the font and gives the window its
    // smallest size.
    explicit GrowingPlaces(QWidget* window, Across across = Across::Free);

    void stretch(QWidget* control, Stretch how) { stretches_[control] = how; }
    // The same stretch for every control beside `neighbour`: in its container, right of it.
    void stretchRightOf(const QWidget* neighbour, Stretch how);
    // The same stretch for every control under `neighbour`: in its container, below it.
    void stretchBelow(const QWidget* neighbour, Stretch how);
    // A control whose place the window works out itself (from the scale and the growth): at
    // every placing it goes where `place` says instead of to a stretched place; it goes there now.
    void placeBy(QWidget* control, std::function<QRect()> place);

    // Scales the places and tables for the window's current font; the window grows to the new
    // smallest size if it is smaller.
    void fitFont();
    // Places every control for the window's current size.
    void place();

    // The places' scale for the current font.
    double scale() const { return scale_; }
    // How far the places have grown beyond the smallest size: across (for Square no more than
    // down) and down.
    QSize growth() const;
    // A control's place at the smallest size: its design place, scaled.
    QRect smallestPlace(const QWidget* control) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The stretch for every control of `neighbour`'s container that starts where it ends, in
    // the way given.
    void stretchBeyond(const QWidget* neighbour, Stretch how, Qt::Orientation way);

    QWidget* window_;
    DesignLayout design_;
    Across across_;
    std::unordered_map<const QWidget*, Stretch> stretches_;
    std::unordered_map<const QWidget*, std::function<QRect()>> ownPlaces_;
    double scale_ = 1;
};

}  // namespace ctiq
