#pragma once

#include <optional>
#include <string>
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
// A crossing frequency whose standard error exceeds this share of it: the noise alone moves it by
// more than a third of the sweep's tolerance (3 % MTF50, 5 % MTF10), so one run in a few hundred
// would be off by more than that tolerance unflagged.
inline constexpr double kMaxMtf50RelativeSe = 0.01;
inline constexpr double kMaxMtf10RelativeSe = 0.05 / 3;
// The lags (samples) the band sums' noise covariance is measured over, along and across.
inline constexpr int kNoiseCovarianceLags = 6;

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

// An MTF10 in the last tenth below Nyquist is set by the sampling phase (the Nyquist bin of a
// point half a sample off carries cos(π/2) of its MTF), not by the system.
inline constexpr double kMaxMtf10OfNyquist = 0.9;

// "mtf10-at-nyquist" when MTF10 lies above kMaxMtf10OfNyquist of the Nyquist frequency 1 / (2Δ).
QualityFlags nyquistFlags(std::optional<double> mtf10, double spacing);

// The covariance of the band sums' noise at lags 0 … maxLag along the LSF, measured on the ROI's
// cells outside the band less a quadratic trend (shading is no noise): Σ over the L lines' pairs
// of the cells' covariance C(dx, dy), that is Σ_dy (L − |dy|)·C(dx, dy) for |dy| ≤ min(L − 1,
// maxLag). Correlated noise (CT's ramp-filtered texture, a smoothing kernel) is what makes σ√L
// wrong. Empty when fewer than two lines lie outside the band.
std::vector<double> bandNoiseCovariance(const PixelTable& table, LsfDirection direction,
                                        CellPosition maximum, int lines, int maxLag);

// The standard error (c/mm) of the frequency where the MTF first falls to `level`, by first-order
// propagation of the band sums' noise (their covariance by lag, from bandNoiseCovariance) through
// the background cut, the transform, the normalisation at zero and the interpolation between the
// two bins around the crossing. None when the curve does not cross or there is no covariance.
std::optional<double> crossingStandardErrorFromNoise(const MtfResult& r, double spacing,
                                                     double level,
                                                     const std::vector<double>& covariance);

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
    std::optional<double> mtf50StandardError, mtf10StandardError;
};

// "mtf-imprecise" when the standard error of MTF50 or MTF10 exceeds kMaxMtf50RelativeSe or
// kMaxMtf10RelativeSe of it; `what` names the source of the error in the text.
QualityFlags precisionFlags(std::optional<double> mtf50, std::optional<double> mtf50Se,
                            std::optional<double> mtf10, std::optional<double> mtf10Se,
                            const std::string& what);
MtfAssessment assessMtf(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                        int lines, const MtfResult& r, double spacing);

}  // namespace ctiq
