#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/quality_flag.h"
#include "tasks/image_view.h"

namespace ctiq::tasks {

struct TtfParameters {
    // The insert's centre as first guess, in pixel coordinates (pixel (c, r) is centred at
    // (c, r)), and its radius in pixels.
    double centreX = 0, centreY = 0;
    double radius = 0;
    // The insert's value less the background's (HU), when the caller knows it: the fit starts
    // from it instead of the means inside and outside the guessed circle.
    std::optional<double> contrastHint;
};

// The task transfer function of a circular insert, pooled over slices (same size and spacing,
// square pixels):
//  - centre: a least-squares fit of a blurred edge b + C Φ((R - r) / s) (Φ the normal
//    distribution function; free: centre, R, s, b, C) to the slices' mean within R + 8 px of
//    the guess, by Levenberg–Marquardt. A radially symmetric model fixes the centre without bias
//    even where the true profile differs from it.
//  - ESF: every pixel with r - R within ±w of the fitted edge, w = 8 s (10 px at least, R - 1
//    at most), binned by that distance in bins of 0.1 px (mean per bin), over all slices.
//  - conditioning: the ESF is fitted (least squares, each bin weighted by its pixels) with two
//    blurred steps at one place, b + a₁ Φ((x₀ - x)/s₁) + a₂ Φ((x₀ - x)/s₂): six numbers instead
//    of hundreds of noisy bins, which differentiation would amplify; from four starts (the wide
//    part adding or taking away, twice or four times as wide as s), the lowest minimum kept. The
//    LSF is then a sum of two Gaussians (a narrow and a wide part, either sign: long tails and edge
//    enhancement both fit), and its transform is exact: TTF(f) = |a₁ e^{-2π²s₁²f²} + a₂
//    e^{-2π²s₂²f²}| / |a₁ + a₂|, at 0, 0.01, … 0.5 cycles per pixel, given in c/mm. A kernel whose
//    LSF is far from two Gaussians is smoothed by this choice; the binned ESF is returned beside it
//    to show that.
struct TtfResult {
    double centreX = 0, centreY = 0;  // fitted, pixel coordinates
    double radius = 0;                // fitted edge position, px
    double edgeWidth = 0;             // fitted s, px
    double spacing = 0;               // mm
    std::vector<double> frequency;    // c/mm, from 0 to the Nyquist frequency
    std::vector<double> ttf;
    double ttf50 = 0, ttf10 = 0;  // c/mm where the TTF first falls to 0.5 and 0.1; NaN if not
    // The binned ESF (HU) and the fitted model's LSF (HU/px, sign as measured) at distances (px)
    // from the fitted edge, outwards positive.
    std::vector<double> distance, esf, lsf;
    double contrast = 0;  // HU: the mean within R - w less the background's
    double noiseSd = 0;   // HU: SD in the background annulus R + w … R + w + 5 px, all slices
    QualityFlags flags;
};

// |contrast| / noise SD · √slices below 15: the fitted edge's widths, and with them the TTF's
// high frequencies, rest on noise.
inline constexpr const char* kFlagTtfLowContrast = "ttf-low-contrast-to-noise";
// The TTF rises above 1.05: an edge-enhancing kernel, or noise in the LSF.
inline constexpr const char* kFlagTtfAboveOne = "ttf-above-one";
// Part of the background annulus lies outside the image: contrast and noise use what is inside.
inline constexpr const char* kFlagTtfNearImageEdge = "ttf-near-image-edge";

// Refused (AppError): no slice, slices of different size or spacing, pixels that are not square,
// a radius below 3 px or wider than the image, a centre outside the image, an insert whose ESF
// range leaves the image, and a fit that finds no edge.
TtfResult computeTtf(std::span<const ImageView> slices, const TtfParameters& parameters);

}  // namespace ctiq::tasks
