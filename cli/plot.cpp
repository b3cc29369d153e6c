#include "cli/plot.h"

#include <QBuffer>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "common/app_error.h"
#include "common/safe_file.h"
#include "common/ui/charts.h"

namespace ctiq::cli {

namespace {

// One chart: its curve, and the band around it where given.
QChart* curveChart(const QString& title, const std::string& xTitle, const std::string& yTitle,
                   const std::vector<double>& xs, const std::vector<double>& ys,
                   const std::vector<double>& band) {
    auto* chart = newChart("");
    chart->setTitle(title);
    QAbstractAxis* x = newAxis(false, xTitle.c_str());
    QAbstractAxis* y = newAxis(false, yTitle.c_str());
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    if (!band.empty()) {               // the standard errors as a band around the curve
        auto* area = new QAreaSeries;  // it does not own its lines: they are its children
        auto* upper = new QLineSeries(area);
        auto* lower = new QLineSeries(area);
        for (std::size_t i = 0; i < xs.size() && i < band.size() && i < ys.size(); ++i) {
            upper->append(xs[i], ys[i] + band[i]);
            lower->append(xs[i], ys[i] - band[i]);
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
    for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) curve->append(xs[i], ys[i]);
    // The axes span the data (and band) on round ticks; a chart drawn before it is laid out would
    // otherwise keep the axes' first range.
    double xLow = HUGE_VAL, xHigh = -HUGE_VAL, yLow = HUGE_VAL, yHigh = -HUGE_VAL;
    for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
        const double spread = i < band.size() && std::isfinite(band[i]) ? band[i] : 0;
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) continue;
        xLow = std::min(xLow, xs[i]);
        xHigh = std::max(xHigh, xs[i]);
        yLow = std::min(yLow, ys[i] - spread);
        yHigh = std::max(yHigh, ys[i] + spread);
    }
    if (xLow <= xHigh) {
        x->setRange(xLow, xHigh > xLow ? xHigh : xLow + 1);
        y->setRange(yLow, yHigh > yLow ? yHigh : yLow + 1);
        static_cast<QValueAxis*>(y)->applyNiceNumbers();
    }
    return chart;
}

}  // namespace

QByteArray renderPlot(const PlotRequest& r, PlotFormat format) {
    constexpr int kChartWidth = 900, kHeight = 600, kPanelWidth = 600;
    const bool panel = r.second || (r.pictureSize > 0 && !r.picture.empty());
    const QSize size(kChartWidth + (panel ? kPanelWidth : 0), kHeight);
    QGraphicsScene scene;
    scene.setBackgroundBrush(Qt::white);
    QChart* chart = curveChart(QString::fromStdString(r.title).toHtmlEscaped() + "<br>" +
                                   QString::fromStdString(r.summary).toHtmlEscaped(),
                               r.xTitle, r.yTitle, r.x, r.y, r.band);
    scene.addItem(chart);
    chart->setGeometry(QRectF(0, 0, kChartWidth, kHeight));
    if (r.second) {
        QChart* second =
            curveChart(QString::fromStdString(r.second->title).toHtmlEscaped(), r.second->xTitle,
                       r.second->yTitle, r.second->x, r.second->y, {});
        scene.addItem(second);
        second->setGeometry(QRectF(kChartWidth, 0, kPanelWidth, kHeight));
    } else if (panel) {
        const int n = r.pictureSize;
        QImage picture(n, n, QImage::Format_Grayscale8);
        for (int row = 0; row < n; ++row)
            std::copy_n(r.picture.begin() + static_cast<std::ptrdiff_t>(row) * n, n,
                        picture.scanLine(row));
        constexpr int kSide = 520;
        auto* shown = scene.addPixmap(QPixmap::fromImage(
            picture.scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
        shown->setPos(kChartWidth + (kPanelWidth - kSide) / 2.0, 60);
        auto* caption = scene.addText(QString::fromStdString(r.pictureCaption));
        caption->setPos(kChartWidth + (kPanelWidth - kSide) / 2.0, 20);
    }
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
        throw AppError("--plot writes .png or .svg files, not %1", {r.path});
    const QByteArray bytes = renderPlot(r, svg ? PlotFormat::Svg : PlotFormat::Png);
    if (bytes.isEmpty()) throw AppError("The plot could not be drawn for %1", {r.path});
    saveFileSafely(r.path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace ctiq::cli
