#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "common/locale_free_text.h"

namespace ctiq {

// Samples at or above this share of the largest, next to it, make the peak's region.
inline constexpr double kPeakRegionShare = 0.7;

// The peak of a spectrum sampled at frequency steps: the vertex of the parabola fitted (least
// squares) to the logarithm of the samples around the largest that stay above kPeakRegionShare of
// it. The largest sample alone is quantised to the step (8 % of the peak frequency of a CT-like
// NPS in a 64-pixel ROI) and, where the peak is broad, the noise moves it by several steps; the
// region's fit uses every sample of the peak. Where the region holds fewer than three samples,
// the parabola goes through the largest and its two neighbours; at an end of the range the
// largest sample's frequency stays. `standardError` (c/mm) comes from the samples' errors through
// the fit (0 without errors). A spectrum that stays above kPeakRegionShare of its largest over the
// whole range, or whose samples about the largest do not bend down (white noise), has no peak to
// speak of: `flat`, and no error.
struct SpectrumPeak {
    double frequency = 0;
    double standardError = 0;
    bool found = false;
    bool flat = false;
};

// frequency[i], value[i] and error[i] (error may be empty) over the samples first … last; NaN
// values are skipped.
inline SpectrumPeak spectrumPeak(const std::vector<double>& frequency,
                                 const std::vector<double>& value,
                                 const std::vector<double>& error, std::size_t first,
                                 std::size_t last) {
    SpectrumPeak p;
    last = std::min(last, value.size() - 1);
    std::size_t top = first;
    for (std::size_t i = first; i <= last; ++i) {
        if (std::isnan(value[i])) continue;
        if (!p.found || value[i] > value[top]) top = i;
        p.found = true;
    }
    if (!p.found || !(value[top] > 0)) return p;
    p.frequency = frequency[top];
    auto usable = [&](std::size_t i) { return !std::isnan(value[i]) && value[i] > 0; };
    std::size_t lo = top, hi = top;
    while (lo > first && usable(lo - 1) && value[lo - 1] >= kPeakRegionShare * value[top]) --lo;
    while (hi < last && usable(hi + 1) && value[hi + 1] >= kPeakRegionShare * value[top]) ++hi;
    p.flat = lo == first && hi == last;
    if (hi - lo < 2) {
        if (top == first || top == last || !usable(top - 1) || !usable(top + 1)) return p;
        lo = top - 1;
        hi = top + 1;
    }
    // y = log S = c0 + c1 x + c2 x², x = f − f_top: the normal equations M c = Aᵀ y.
    double m[3][3] = {}, r[3] = {};
    for (std::size_t i = lo; i <= hi; ++i) {
        const double x = frequency[i] - frequency[top], y = std::log(value[i]);
        const double powers[3] = {1, x, x * x};
        for (int a = 0; a < 3; ++a) {
            r[a] += powers[a] * y;
            for (int b = 0; b < 3; ++b) m[a][b] += powers[a] * powers[b];
        }
    }
    // M is symmetric: its inverse is the matrix of cofactors over the determinant.
    double inverse[3][3];
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const int a1 = (a + 1) % 3, a2 = (a + 2) % 3, b1 = (b + 1) % 3, b2 = (b + 2) % 3;
            inverse[a][b] = m[b1][a1] * m[b2][a2] - m[b1][a2] * m[b2][a1];
        }
    const double d = m[0][0] * inverse[0][0] + m[0][1] * inverse[1][0] + m[0][2] * inverse[2][0];
    if (!(std::abs(d) > 0)) return p;
    for (auto& row : inverse)
        for (double& v : row) v /= d;
    double c[3] = {};
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) c[a] += inverse[a][b] * r[b];
    if (!(c[2] < 0)) {  // the samples about the largest do not bend down: no peak either
        p.flat = true;
        return p;
    }
    const double lowest = frequency[lo] - frequency[top], highest = frequency[hi] - frequency[top];
    const double vertex = std::clamp(-c[1] / (2 * c[2]), lowest, highest);
    p.frequency = frequency[top] + vertex;
    if (error.size() < value.size() || p.flat) return p;
    // d vertex / d y_i through c1 and c2, each y_i = log S_i scattering by error_i / S_i.
    double variance = 0;
    for (std::size_t i = lo; i <= hi; ++i) {
        const double x = frequency[i] - frequency[top];
        const double powers[3] = {1, x, x * x};
        double dc1 = 0, dc2 = 0;
        for (int b = 0; b < 3; ++b) {
            dc1 += inverse[1][b] * powers[b];
            dc2 += inverse[2][b] * powers[b];
        }
        const double g = -dc1 / (2 * c[2]) + c[1] * dc2 / (2 * c[2] * c[2]);
        const double sigma = std::isnan(error[i]) ? 0 : error[i] / value[i];
        variance += g * g * sigma * sigma;
    }
    p.standardError = std::sqrt(variance);
    return p;
}

// The text of the flag "nps-peak-imprecise" (the 1-D spectrum and the 2-D NPS alike).
inline std::string peakImpreciseText(double peakFrequency, double relativeSe, double limit) {
    const std::string moved = std::isfinite(relativeSe)
                                  ? "moves it by ± " + fixedText(100 * relativeSe, 1) + " %"
                                  : "leaves it open: the spectrum has no peak there (flat)";
    return "The noise of the spectrum around its peak (" + fixedText(peakFrequency, 3) +
           " c/mm) " + moved + " (standard error; flagged above " + fixedText(100 * limit, 1) +
           " %): combine more images, or take a larger ROI.";
}

}  // namespace ctiq
