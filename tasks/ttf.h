#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
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
//    blurred steps at one place, b + a₁ Φ((x₀ - x)/s₁) + a₂ Φ((x₀ - x)/s₂), both widths within w/2:
//    six numbers instead of hundreds of noisy bins, which differentiation would amplify; from six
//    starts, the lowest minimum kept. The LSF is then a sum of two Gaussians and its transform
//    exact: TTF(f) = |a₁ e^{-2π²s₁²f²} + a₂ e^{-2π²s₂²f²}| / |a₁ + a₂|, at 0, 0.01, … 0.5 cycles per
//    pixel, given in c/mm. Where that fit misses the ESF by more than its noise (reduced χ² above
//    2), the ESF over a wider window is differentiated and transformed directly instead, its tails
//    beyond the window extrapolated as c / x².
//  - uncertainty: the same again with each of 8 angular sectors of the ring left out in turn (a
//    jackknife), for standard errors of TTF50, TTF10 and the curve.
struct TtfResult {
    double centreX = 0, centreY = 0;  // fitted, pixel coordinates
    double radius = 0;  // fitted edge position plus σ²/2R (the blurred disk's curvature), px
    double edgeWidth = 0;             // fitted s, px
    double spacing = 0;               // mm
    std::vector<double> frequency;    // c/mm, from 0 to the Nyquist frequency
    std::vector<double> ttf;
    double ttf50 = 0, ttf10 = 0;  // c/mm where the TTF first falls to 0.5 and 0.1; NaN if not
    // The binned ESF (HU) and its LSF (HU/px, sign as measured: the model's, or the differentiated
    // ESF's over the wider window) at distances (px) from the fitted edge, outwards positive.
    std::vector<double> distance, esf, lsf;
    double contrast = 0;  // HU: the mean within R - w less the background's
    double noiseSd = 0;   // HU: SD in the background annulus R + w … R + w + 5 px, all slices
    // The two-step fit's reduced chi-square against the background's noise, and which estimate
    // the TTF is: "two-gaussian-fit", or "differentiated-esf" where the fit misses the edge.
    double misfit = 0;
    std::string conditioning;
    // The differentiated ESF's tails extrapolated beyond its window, as a share of the step.
    double tailShare = 0;
    // The share of the step the ESF still gains beyond its window's inside end (see the flag).
    double insideShare = 0;
    // Delete-one-sector jackknife over 8 angular sectors of the ring: standard errors of TTF50
    // and TTF10 (relative) and the largest of the curve's (absolute).
    double ttf50Se = 0, ttf10Se = 0, curveSe = 0;
    QualityFlags flags;
};

// |contrast| / noise SD · √slices below 15: the fitted edge's widths, and with them the TTF's
// high frequencies, rest on noise.
inline constexpr const char* kFlagTtfLowContrast = "ttf-low-contrast-to-noise";
// The jackknife's standard errors exceed 1.5 % (TTF50), 2.5 % (TTF10) or 0.0125 (curve): the data
// do not pin the figures down to 3 %, 5 % and 0.02.
inline constexpr const char* kFlagTtfUnstable = "ttf-unstable";
// The ESF has not levelled off at its window's inside end (the step still to come, extrapolated
// as c / x², above 1.5 %): the insert is small for the blur.
inline constexpr const char* kFlagTtfInsertSmall = "ttf-insert-small";
// The TTF rises above 1.05: an edge-enhancing kernel, or noise in the LSF.
inline constexpr const char* kFlagTtfAboveOne = "ttf-above-one";
// Part of the background annulus lies outside the image: contrast and noise use what is inside.
inline constexpr const char* kFlagTtfNearImageEdge = "ttf-near-image-edge";

// Refused (AppError): no slice, slices of different size or spacing, pixels that are not square,
// a radius below 3 px or wider than the image, a centre outside the image, an insert whose ESF
// range leaves the image, and a fit that finds no edge.
TtfResult computeTtf(std::span<const ImageView> slices, const TtfParameters& parameters);

}  // namespace ctiq::tasks
