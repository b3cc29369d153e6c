#pragma once

#include <optional>
#include <vector>

#include "common/quality_flag.h"
#include "mtf/lsf.h"
#include "mtf/pixel_table.h"
#include "mtf/summary.h"

namespace ctiq {

// When an MTF's summary figures cannot be trusted, and why. The thresholds are stated here and in
// docs/methods.md.
inline constexpr double kMtfOvershoot = 1.05;     // an MTF above this before MTF10 is not physical
inline constexpr double kMinPeakSnr = 10;         // (peak − background) / background SD
inline constexpr double kEdgeClearanceFwhm = 3;   // the peak's distance from the ROI's ends
inline constexpr double kMaxWingFraction = 0.05;  // LSF area beyond 3 FWHM of its peak

// The ROI's cells outside the band of lines the LSF adds (the background the point stands on).
struct BandBackground {
    double mean = 0, sd = 0;
    long cells = 0;
};
BandBackground backgroundOutsideBand(const PixelTable& table, LsfDirection direction,
                                     CellPosition maximum, int lines);

// The noise SD of an MTF value from the background noise σ, over the LSF's area A: the trimmed
// LSF's M samples each carry the noise of L lines, σ√L, which gives the transform σ√L·√(M/2) in
// the signal's direction; and each flank lost one cut value — half the sum of two samples, of SD
// σ√(L/2) — from all its m samples at once, which moves the transform at low frequencies by m
// times that. So σ_MTF = σ√L·√(M/2 + (m_left² + m_right²)/2) / A. The second term dominates: a
// single noisy image's MTF is as uncertain as its background cut.
double mtfNoiseLevel(const MtfResult& r, double backgroundSd, int lines);

// The standard error of the frequency where a curve crosses `level`, from the noise of its values
// there and its slope: σ / |dMTF/df| between the two points that bracket the crossing. None when
// the curve does not cross or is flat there.
std::optional<double> crossingStandardError(const std::vector<double>& frequency,
                                            const std::vector<double>& value, double level,
                                            double noise);

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
    // The share of the trimmed LSF's |area| farther than 3 FWHM from its peak: noise the
    // background cut kept, which lowers the MTF at low frequencies.
    double wingFraction = 0;
    double backgroundSd = 0;  // of the cells outside the band
};
PointCheck checkPoint(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                      int lines, const MtfResult& r, double spacing);
QualityFlags pointFlags(const PointCheck& check);

// Everything that qualifies one MTF measurement, for the window and ctiq-cli alike: the point's
// checks, the noise of the MTF's values, the flags of the point and of the curve, and the
// standard error of MTF50.
struct MtfAssessment {
    PointCheck point;
    double noise = 0;
    QualityFlags flags;
    std::optional<double> mtf50StandardError;
};
MtfAssessment assessMtf(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                        int lines, const MtfResult& r, double spacing);

}  // namespace ctiq
