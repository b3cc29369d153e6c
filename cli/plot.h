#pragma once

#include <QByteArray>
#include <QString>

#include "cli/plot_request.h"

namespace ctiq::cli {

// Draws the chart into `request.path` (.png or .svg). Needs a QApplication (ctiq-cli makes one,
// offscreen without a display, when --plot is given).
void writePlot(const PlotRequest& request);

// A text as it may stand in an SVG document's title: XML-escaped, control characters as blanks.
QString svgText(const QString& text);

// The same chart as the bytes of a PNG or SVG file (`request.path` is not used).
enum class PlotFormat { Png, Svg };
QByteArray renderPlot(const PlotRequest& request, PlotFormat format);

}  // namespace ctiq::cli
