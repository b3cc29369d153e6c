#include "viewer/image_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "common/ui/guarded.h"

namespace ctiq {
namespace {

const QList<QRgb>& greyPalette() {
    static const QList<QRgb> palette = [] {
        QList<QRgb> p;
        for (int i = 0; i < 256; ++i) p.push_back(qRgb(i, i, i));
        return p;
    }();
    return palette;
}

}  // namespace

ImageView::ImageView(const DisplayBitmap& bitmap, QWidget* parent)
    : QWidget(parent), bitmap_(bitmap) {
    setMouseTracking(false);
}

QImage ImageView::toImage() const {
    if (bitmap_.width <= 0 || bitmap_.height <= 0) return {};
    QImage image(bitmap_.pixels.data(), bitmap_.width, bitmap_.height, bitmap_.width,
                 QImage::Format_Indexed8);
    image.setColorTable(greyPalette());
    return image.copy();
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (bitmap_.width <= 0 || bitmap_.height <= 0) return;
    // A view over the bitmap's memory; painting reads it, nothing writes through it.
    QImage image(bitmap_.pixels.data(), bitmap_.width, bitmap_.height, bitmap_.width,
                 QImage::Format_Indexed8);
    image.setColorTable(greyPalette());
    painter.drawImage(rect(), image);
}

QPoint ImageView::inImageArea(const QPointF& position) const {
    if (scale_ == 1) return position.toPoint();
    return {static_cast<int>(std::floor(position.x() / scale_)),
            static_cast<int>(std::floor(position.y() / scale_))};
}

void ImageView::mousePressEvent(QMouseEvent* e) {
    const QPoint p = inImageArea(e->position());
    guarded(window(), [&] {
        if (onMouseDown) onMouseDown(e->button(), p.x(), p.y());
    });
}

void ImageView::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = inImageArea(e->position());
    guarded(window(), [&] {
        if (onMouseMove) onMouseMove(p.x(), p.y());
    });
}

void ImageView::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = inImageArea(e->position());
    guarded(window(), [&] {
        if (onMouseUp) onMouseUp(e->button(), p.x(), p.y());
    });
}

}  // namespace ctiq
