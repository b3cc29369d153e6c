#pragma once

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

namespace ctiq {

// The analysis windows' charts: a title, no legend, a white background.
inline QChart* newChart(const char* title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    return chart;
}

// A linear or logarithmic axis with a title ("%g" labels on a logarithmic one).
inline QAbstractAxis* newAxis(bool logarithmic, const char* title) {
    if (logarithmic) {
        auto* axis = new QLogValueAxis;
        axis->setTitleText(title);
        axis->setLabelFormat("%g");
        return axis;
    }
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    return axis;
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
