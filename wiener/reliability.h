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
// (a trend or shading: detrending removes it; noise falls smoothly from the first bin), fewer
// effective segments than kMinEffectiveSegments.
QualityFlags spectrumFlags(const std::vector<double>& bins, double effectiveSegmentCount);

}  // namespace ctiq
