#pragma once

#include <QWidget>
#include <vector>

namespace ctiq {

// A white paint box with a black frame and tick marks standing on its bottom edge.
class TickBox : public QWidget {
    Q_OBJECT
  public:
    explicit TickBox(QWidget* parent) : QWidget(parent) {}
    void setTicks(std::vector<std::int32_t> ticks);
    const std::vector<std::int32_t>& ticks() const { return ticks_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::vector<std::int32_t> ticks_;
};

}  // namespace ctiq
