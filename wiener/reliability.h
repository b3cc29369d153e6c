#pragma once

#include <cstdint>
#include <vector>

#include "common/quality_flag.h"
#include "wiener/spectrum.h"

namespace ctiq {

// How independent a spectrum's segments are. Overlapping segments (and strips) share samples, so
// their powers are correlated and the SD of the powers over √K understates the error of their
// mean. For Gaussian noise two segments whose samples correlate by ρ have powers correlated by
// ρ², and var(mean) = σ²·Σᵢⱼ ρᵢⱼ² / K²; the effective number of independent segments is
// K_eff = K² / Σᵢⱼ ρᵢⱼ². Along a strip ρ is the window's overlap Σ w(t)·w(t+s) / Σ w(t)² for a
// shift s; across, strips of L lines s lines apart share L − s of them, ρ = (L − s) / L.
// `segmentsPerStrip` lists each strip's segment count in strip order (segments start at the same
// positions in every strip).
double effectiveSegments(DataWindow window, std::int32_t segmentLength, std::int32_t segmentStep,
                         std::int32_t lines, std::int32_t stripStep,
                         const std::vector<std::int32_t>& segmentsPerStrip);

// The thresholds of the spectrum's flags (also in docs/methods.md).
inline constexpr double kMinEffectiveSegments = 20;
inline constexpr double kLowFrequencyStep = 1.5;  // first bin over the second

// Flags of a spectrum over its bins 1 … N/2 (`bins` in that order): the first bin above
// kLowFrequencyStep times the second and above it by three times the ratio's scatter √(2/K_eff)
// (a trend or shading: detrending removes it; noise falls smoothly from the first bin), or the
// first bin (divided by `firstBinKept`, the share of it the segments' mean removal leaves) above
// the curve the next two continue, S₁·S₃/S₂² beyond 1 + 3√(6/K_eff) (a spectrum that rises, as
// CT noise does, hides a step from the first test); fewer effective segments than
// kMinEffectiveSegments.
QualityFlags spectrumFlags(const std::vector<double>& bins, double effectiveSegmentCount,
                           double firstBinKept = 1);

// The share of a white noise's power each bin 0 … N/2 keeps through the removal of each segment's
// mean (degree 0) or trend (the polynomial of that degree) before the window: removing the
// projection on the orthonormal polynomials q_j takes Σ_j |Σ_t w(t) q_j(t) e^(−2πikt/N)|² / Σ w²
// of bin k. Hamming loses 14 % of bin 1 to the mean (Rect nothing beyond bin 0), so the first bin
// of any spectrum reads low and the mean frequency high (+3.6 % for low-pass noise at N = 32).
std::vector<double> segmentKeptShare(DataWindow window, std::int32_t n, int degree);

// The standard errors of the summary figures (summarizeSpectrum), propagated from the bins'
// own: `spectrum` and `errors` hold bins 0 … N/2 (bin 0 unused). Neighbouring bins of one segment
// are not independent under a window: their powers correlate by |Σ w²(t) e^(−2πi d t/N)|² / (Σ w²)²
// for bins d apart (0.39 and 0.02 for Hamming at d = 1, 2; none for Rect). The peak frequency's
// error comes through its fit (SpectrumPeak; none for a flat spectrum).
// `firstBinShift`: how far the mean frequency moves (relative) when the first bin is taken as the
// curve the next two continue (S₂²/S₃, after the mean removal's share): what a shading too small
// to stand out from the noise there still does to it.
struct SpectrumSummaryErrors {
    double integral = 0;
    double meanFrequency = 0;
    double peakFrequency = 0;
    double firstBinShift = 0;
};
SpectrumSummaryErrors summaryErrors(const std::vector<double>& spectrum,
                                    const std::vector<double>& errors, std::int32_t n,
                                    double spacing, DataWindow window,
                                    const std::vector<double>& kept = {});

// Beyond these the noise alone puts about one run in twenty outside the figures' tolerances (5 %
// for the integral, 3 % for the frequencies): "nps-imprecise" when the SE of the integral or of
// the mean frequency exceeds half the tolerance, "nps-peak-imprecise" when that of the peak
// frequency does.
inline constexpr const char* kFlagImprecise = "nps-imprecise";
inline constexpr const char* kFlagPeakImprecise = "nps-peak-imprecise";
inline constexpr double kMaxIntegralRelativeSe = 0.025;
inline constexpr double kMaxFrequencyRelativeSe = 0.015;
inline constexpr double kMaxPeakRelativeSe = 0.015;
// "low-frequency-matters" when the first bin alone moves the mean frequency by more than half its
// tolerance (the step low-frequency-dominates needs is three times the bins' scatter; less
// shading goes unseen, and at the first bin it weighs most on the mean frequency).
inline constexpr const char* kFlagLowFrequencyMatters = "low-frequency-matters";
inline constexpr double kMaxFirstBinShift = 0.015;

// The flags of those thresholds; `integral` NaN when the figure has none (the 2-D NPS).
QualityFlags precisionFlagsOf(double integral, double meanFrequency, double peakFrequency,
                              const SpectrumSummaryErrors& errors);

}  // namespace ctiq
