#pragma once

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

}  // namespace ctiq::cli
