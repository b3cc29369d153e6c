#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ctiq::cli {

// A chart as the analysis windows draw it, to be written to `path` (.png or .svg): one curve,
// with a band of ± `band` around it when given, and the summary figures under the title.
struct PlotRequest {
    std::string path;
    std::string title;
    std::string summary;
    std::string xTitle, yTitle;
    std::vector<double> x, y, band;
    // A second panel to the right: another curve on axes of its own (a TTF's edge spread
    // function, a spectrum beside its transfer function) ...
    struct Panel {
        std::string title, xTitle, yTitle;
        std::vector<double> x, y;
    };
    std::optional<Panel> second;
    // ... or a grey picture of pictureSize × pictureSize bytes, row by row (a 2-D spectrum).
    std::vector<std::uint8_t> picture;
    int pictureSize = 0;
    std::string pictureCaption;
};

// A request of one curve (and band) alone.
inline PlotRequest curvePlot(std::string path, std::string title, std::string summary,
                             std::string xTitle, std::string yTitle, std::vector<double> x,
                             std::vector<double> y, std::vector<double> band = {}) {
    PlotRequest r;
    r.path = std::move(path);
    r.title = std::move(title);
    r.summary = std::move(summary);
    r.xTitle = std::move(xTitle);
    r.yTitle = std::move(yTitle);
    r.x = std::move(x);
    r.y = std::move(y);
    r.band = std::move(band);
    return r;
}

}  // namespace ctiq::cli
