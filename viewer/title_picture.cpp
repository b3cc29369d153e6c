#include "viewer/title_picture.h"

#include <QFont>
#include <QPainter>
#include <QRadialGradient>

namespace ctiq {

QPixmap titlePicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(size.width() / 2.0, size.height() * 0.38);
    const double radius = size.width() * 0.26;

    // A uniform phantom in a CT field of view, with a point target beside its centre.
    QRadialGradient body(centre, radius);
    body.setColorAt(0.0, QColor(120, 120, 120));
    body.setColorAt(1.0, QColor(70, 70, 70));
    p.setPen(QPen(QColor(200, 200, 200), 3));
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre + QPointF(radius * 0.35, -radius * 0.2), 4, 4);
    p.setPen(QPen(QColor(255, 200, 0), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(
        QRectF(centre.x() - radius * 0.35, centre.y() - radius * 0.1, radius * 0.5, radius * 0.5));

    p.setPen(Qt::white);
    QFont title("Sans", 40, QFont::Bold);
    p.setFont(title);
    p.drawText(QRectF(0, size.height() - 150, size.width(), 60), Qt::AlignCenter, "ctiq");
    QFont subtitle("Sans", 14);
    p.setFont(subtitle);
    p.drawText(QRectF(0, size.height() - 90, size.width(), 30), Qt::AlignCenter,
               "CT image quality: viewer, MTF, Wiener spectrum");
    return pixmap;
}

}  // namespace ctiq
