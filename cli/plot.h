#pragma once

#include <QByteArray>
#include <string>
#include <vector>

namespace ctiq::cli {

// A chart as the analysis windows draw it, written to `path` (.png or .svg): one curve, with a
// band of ± `band` around it when given, and the summary figures under the title. Needs a
// QApplication (ctiq-cli makes one, offscreen without a display, when --plot is given).
struct PlotRequest {
    std::string path;
    std::string title;
    std::string summary;
    std::string xTitle, yTitle;
    std::vector<double> x, y, band;
};
void writePlot(const PlotRequest& request);

// A text as it may stand in an SVG document's title: XML-escaped, control characters as blanks.
QString svgText(const QString& text);

// The same chart as the bytes of a PNG or SVG file (`request.path` is not used).
enum class PlotFormat { Png, Svg };
QByteArray renderPlot(const PlotRequest& request, PlotFormat format);

}  // namespace ctiq::cli
