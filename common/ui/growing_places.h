#pragma once

#include <QObject>
#include <unordered_map>

#include "common/ui/design_places.h"

namespace ctiq {

// How a control follows its window's growth: the share of the growth each edge moves by.
// {0, 0, 0, 0} stays put, {0, 0, 1, 1} grows with the window, {1, 0, 1, 0} keeps to its right.
struct Stretch {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// A window whose controls are placed at its design font's places, scaled for the current font,
// and moved or stretched as the window grows. Its smallest size is the scaled design size: there
// every control stands at its scaled place, so shrinking hides none of them. It follows the
// window's resizes and font changes itself.
class GrowingPlaces : public QObject {
  public:
    // Takes the window's places as built, fits them to the font and gives the window its
    // smallest size.
    explicit GrowingPlaces(QWidget* window);

    void stretch(QWidget* control, Stretch how) { stretches_[control] = how; }
    // The same stretch for every control beside `neighbour`: in its container, right of it.
    void stretchRightOf(const QWidget* neighbour, Stretch how);
    // Scales the places and tables for the window's current font; the window grows to the new
    // smallest size if it is smaller.
    void fitFont();
    // Places every control for the window's current size.
    void place();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    DesignLayout design_;
    std::unordered_map<const QWidget*, Stretch> stretches_;
    double scale_ = 1;
};

}  // namespace ctiq
