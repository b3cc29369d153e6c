#include "cli/plot.h"

#include <QBuffer>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QAreaSeries>

#include "common/app_error.h"
#include "common/safe_file.h"
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
        // The generator writes its title as given: the input's path must not become markup
        // (a folder named "<script>…") nor break the XML (control characters).
        generator.setTitle(svgText(QString::fromStdString(r.title)));
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

QString svgText(const QString& text) {
    QString plain = text;
    for (QChar& c : plain)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
    return plain.toHtmlEscaped();
}

void writePlot(const PlotRequest& r) {
    const QString path = QString::fromStdString(r.path);
    const bool svg = path.endsWith(".svg", Qt::CaseInsensitive);
    if (!svg && !path.endsWith(".png", Qt::CaseInsensitive))
        throw AppError("--plot writes .png or .svg files, not " + r.path);
    const QByteArray bytes = renderPlot(r, svg ? PlotFormat::Svg : PlotFormat::Png);
    if (bytes.isEmpty()) throw AppError("The plot could not be drawn for " + r.path);
    saveFileSafely(r.path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace ctiq::cli
