#pragma once

#include <optional>
#include <vector>

#include "common/quality_flag.h"
#include "mtf/lsf.h"
#include "mtf/pixel_table.h"

namespace ctiq {

// When an MTF's summary figures cannot be trusted, and why. The thresholds are stated here and in
// docs/methods.md.
inline constexpr double kMtfOvershoot = 1.05;    // an MTF above this before MTF10 is not physical
inline constexpr double kMinPeakSnr = 10;        // (peak − background) / background SD
inline constexpr double kEdgeClearanceFwhm = 3;  // the peak's distance from the ROI's ends

// The ROI's cells outside the band of lines the LSF adds (the background the point stands on).
struct BandBackground {
    double mean = 0, sd = 0;
    long cells = 0;
};
BandBackground backgroundOutsideBand(const PixelTable& table, LsfDirection direction,
                                     CellPosition maximum, int lines);

// The noise SD of an MTF value from the background noise: the trimmed LSF's M samples each add
// L lines of background SD σ, so each part of the transform carries σ·√(L·M/2), over the LSF's
// area.
double mtfNoiseLevel(const MtfResult& r, double backgroundSd, int lines);

// Flags of an MTF curve (values normalised at zero, frequencies ascending) up to its MTF10 (or
// the whole curve when it never falls that far): above kMtfOvershoot, or rising by more than
// three times its noise (at least 0.01) above the lowest value before it.
QualityFlags mtfCurveFlags(const std::vector<double>& frequency, const std::vector<double>& value,
                           const std::vector<double>& noise, std::optional<double> mtf10);

// Flags of the point itself: its peak signal-to-noise ratio, and whether it lies too near the
// ROI's ends along the LSF (its tails cut) or its band reaches the ROI's edge across.
struct PointCheck {
    double peakSnr = 0;
    bool nearEnd = false;
    bool bandAtEdge = false;
};
PointCheck checkPoint(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                      int lines, const MtfResult& r, double spacing);
QualityFlags pointFlags(const PointCheck& check);

}  // namespace ctiq
