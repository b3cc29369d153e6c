#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

namespace ctiq {

// A white paint box with a black frame and tick marks standing on its bottom edge: one every
// `spacing` over a `span` drawn across the box's width, so the marks follow the box's size.
class TickBox : public QWidget {
    Q_OBJECT
  public:
    explicit TickBox(QWidget* parent) : QWidget(parent) {}
    void setTicks(double span, double spacing);
    void clearTicks() { setTicks(0, 0); }
    // The marks' x positions at the box's current width.
    std::vector<std::int32_t> ticks() const;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    double span_ = 0, spacing_ = 0;
};

}  // namespace ctiq
