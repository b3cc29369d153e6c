#include "cli/plot.h"

#include <QBuffer>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QtCharts/QAreaSeries>

#include "common/app_error.h"
#include "common/ui/charts.h"

namespace ctiq::cli {

QByteArray renderPlot(const PlotRequest& r, PlotFormat format) {
    const QSize size(900, 600);
    QGraphicsScene scene;
    auto* chart = newChart("");
    chart->setTitle(QString::fromStdString(r.title).toHtmlEscaped() + "<br>" +
                    QString::fromStdString(r.summary).toHtmlEscaped());
    QAbstractAxis* x = newAxis(false, r.xTitle.c_str());
    QAbstractAxis* y = newAxis(false, r.yTitle.c_str());
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    if (!r.band.empty()) {             // the standard errors as a band around the curve
        auto* area = new QAreaSeries;  // it does not own its lines: they are its children
        auto* upper = new QLineSeries(area);
        auto* lower = new QLineSeries(area);
        for (std::size_t i = 0; i < r.x.size() && i < r.band.size(); ++i) {
            upper->append(r.x[i], r.y[i] + r.band[i]);
            lower->append(r.x[i], r.y[i] - r.band[i]);
        }
        area->setUpperSeries(upper);
        area->setLowerSeries(lower);
        area->setColor(QColor(255, 0, 0, 60));
        area->setBorderColor(Qt::transparent);
        chart->addSeries(area);
        area->attachAxis(x);
        area->attachAxis(y);
    }
    QLineSeries* curve = addLineSeries(chart, x, y);
    curve->setColor(Qt::red);
    for (std::size_t i = 0; i < r.x.size() && i < r.y.size(); ++i) curve->append(r.x[i], r.y[i]);
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), size));
    scene.setSceneRect(QRectF(QPointF(0, 0), size));

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == PlotFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QString::fromStdString(r.title));
        QPainter painter(&generator);
        scene.render(&painter);
        painter.end();
        return bytes;
    }
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter);
    painter.end();
    image.save(&buffer, "PNG");
    return bytes;
}

void writePlot(const PlotRequest& r) {
    const QString path = QString::fromStdString(r.path);
    const bool svg = path.endsWith(".svg", Qt::CaseInsensitive);
    if (!svg && !path.endsWith(".png", Qt::CaseInsensitive))
        throw AppError("--plot writes .png or .svg files, not " + r.path);
    const QByteArray bytes = renderPlot(r, svg ? PlotFormat::Svg : PlotFormat::Png);
    // Written whole or not at all, as the report is.
    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.commit())
        throw AppError("The plot could not be written to " + r.path);
}

}  // namespace ctiq::cli
