#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/quality_flag.h"
#include "tasks/nps2d.h"
#include "tasks/ttf.h"

namespace ctiq::tasks {

// The task: detect a disk of this diameter and contrast ("disk:DIAMETER_MM:CONTRAST_HU").
struct DiskTask {
    double diameterMm = 0;
    double contrastHu = 0;
};
// Refused (AppError) unless the text is "disk:" and two numbers, the diameter positive.
DiskTask parseTask(std::string_view text);

// A radially symmetric TTF: values at increasing frequencies (c/mm) from the image of this
// spacing. Between them linear; below the first the first; beyond the last 0 (a TTF measured up
// to the Nyquist frequency contributes nothing in the 2-D grid's corners).
struct TtfCurve {
    std::vector<double> frequency, value;
    double spacing = 0;  // mm
};
TtfCurve ttfCurveOf(const TtfResult& ttf);

// A 2-D NPS on its n × n grid in transform order (Nps2dResult::spectrum).
struct NpsGrid {
    std::int32_t n = 0;
    double spacingX = 0, spacingY = 0;  // mm
    std::span<const double> spectrum;   // HU² mm²
    double independentRois = 0;         // Nps2dResult::independentRois; 0: not known
};
NpsGrid npsGridOf(const Nps2dResult& nps);

// The eye filter of the NPWE observer, E(ρ) = ρ^1.3 exp(-c ρ²) with ρ in cycles per degree and c
// putting its peak at 4 cycles per degree (c = 1.3 / (2 · 4²)): the form Burgess (JOSA A 11,
// 1994) gave the non-prewhitening observer with eye filter, as Richard and Samei (Med Phys 2012)
// and AAPM TG-233 use it. ρ = f / displayScale · viewingDistance · π / 180 for f in c/mm of the
// object: an object millimetre shown as displayScale millimetres of the display, seen from the
// viewing distance. The defaults: 500 mm, and the object at its own size.
struct EyeFilter {
    double viewingDistanceMm = 500;
    double displayScale = 1;  // display mm per object mm
    double exponent = 1.3;
    double peakCyclesPerDegree = 4;
};

// The detectability index of the non-prewhitening observer, without and with the eye filter,
// summed over the NPS's frequency grid (Δf = 1/(nΔ) along each axis) with the task function
// W(f) = C · πR² · 2 J₁(2πRf) / (2πRf), the transform of the disk:
//   NPW:  d'² = [Σ W² TTF² Δf²]² / Σ W² TTF² NPS Δf²
//   NPWE: d'² = [Σ W² TTF² E² Δf²]² / Σ W² TTF² NPS E⁴ Δf²  (no internal noise).
struct Detectability {
    double npw = 0;
    double npwe = 0;
    // Relative standard errors from the NPS's noise (0 when the independent ROIs are not known).
    double npwRelativeSe = 0, npweRelativeSe = 0;
    QualityFlags flags;
};

// Every detrend empties the zero frequency, a plane or quadratic one also lowers rings 1 and 2,
// and that is where a disk's signal lies: d' NPW then reads high. Summed again with the grid
// points below ring 2.5 (|f| n Δ) given the mean NPS of rings 3 … 5, d' NPW falls by the share
// the emptied rings carry; beyond kLowRingShare it is flagged.
inline constexpr const char* kFlagLowRings = "dprime-low-rings";
inline constexpr double kLowRingShare = 0.03;
// The NPS's own noise moves d': each grid value scatters by 1/√K of itself (K the independent
// ROIs; a value and its mirror are one), so the noise sum Σ W² TTF² NPS scatters by
// √(2 Σ (W² TTF² NPS)² / K) and d' by half that relative to it. Beyond a third of the 5 %
// tolerance "dprime-imprecise" (as mtf-imprecise: d' also carries the detrend's share of the
// lowest rings, up to kLowRingShare unflagged, so the noise gets less than the whole tolerance).
inline constexpr const char* kFlagDprimeImprecise = "dprime-imprecise";
inline constexpr double kMaxDprimeRelativeSe = 0.0167;
// Refused (AppError): NPS and TTF from images of different pixel spacing (beyond 1e-6 of it), a
// TTF without values or with frequencies that do not increase, an NPS grid that is not n × n,
// an NPS without power where the task has signal.
Detectability detectability(const DiskTask& task, const TtfCurve& ttf, const NpsGrid& nps,
                            const EyeFilter& eye = {});

}  // namespace ctiq::tasks
