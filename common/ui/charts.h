#pragma once

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

#include "common/ui/text.h"

namespace ctiq {

// The analysis windows' charts: a title, no legend, a white background.
inline QChart* newChart(const char* title) {
    auto* chart = new QChart;
    chart->setTitle(translatedCaption(title));
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    return chart;
}

// A linear or logarithmic axis with a title ("%g" labels on a logarithmic one).
inline QAbstractAxis* newAxis(bool logarithmic, const char* title) {
    if (logarithmic) {
        auto* axis = new QLogValueAxis;
        axis->setTitleText(translatedCaption(title));
        axis->setLabelFormat("%g");
        return axis;
    }
    auto* axis = new QValueAxis;
    axis->setTitleText(translatedCaption(title));
    return axis;
}

// An axis title with its trailing unit "(…)" on a second line (axis titles are rich text).
inline QString unitOnNextLine(const QString& title) {
    const qsizetype unit = title.lastIndexOf(" (");
    if (unit <= 0) return title.toHtmlEscaped();
    return title.left(unit).toHtmlEscaped() + "<br>" + title.mid(unit + 1).toHtmlEscaped();
}

// A line series against the chart's axes x and y.
inline QLineSeries* addLineSeries(QChart* chart, QAbstractAxis* x, QAbstractAxis* y) {
    auto* series = new QLineSeries;
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
    return series;
}

}  // namespace ctiq
