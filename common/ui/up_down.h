#pragma once

#include <QWidget>
#include <functional>

namespace ctiq {

// An up-down spinner of its own (not attached to an edit field): two arrows that move a position
// within [minimum, maximum] by one, without wrapping.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(int minimum, int maximum, int position, QWidget* parent);

    int position() const { return position_; }
    // Sets the position, held within the range; runs no handler.
    void setPosition(int position);
    // An arrow press: moves the position and runs the click handler when it moved.
    void stepUp();
    void stepDown();

    std::function<void()> onClick;

  private:
    void step(int delta);

    int minimum_;
    int maximum_;
    int position_;
};

}  // namespace ctiq
