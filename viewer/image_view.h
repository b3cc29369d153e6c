#pragma once

#include <QWidget>
#include <functional>

#include "viewer/display_bitmap.h"

namespace ctiq {

// The image control: shows the display bitmap with a grey palette, stretched to the control's
// size, and hands its mouse events to the window's handlers.
class ImageView : public QWidget {
    Q_OBJECT
  public:
    ImageView(const DisplayBitmap& bitmap, QWidget* parent);

    std::function<void(Qt::MouseButton, int x, int y)> onMouseDown;
    std::function<void(int x, int y)> onMouseMove;
    std::function<void(Qt::MouseButton, int x, int y)> onMouseUp;

    // The bitmap as an 8-bit indexed image with the 256-grey palette (for the clipboard too).
    QImage toImage() const;

    // How much larger than the 512-pixel image area the control is shown (the window grown):
    // the handlers get the position the pointer has in the 512-pixel area.
    void setDisplayScale(double scale) { scale_ = scale; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

  private:
    QPoint inImageArea(const QPointF& position) const;
    const DisplayBitmap& bitmap_;
    double scale_ = 1;
};

}  // namespace ctiq
