#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace ctiq {

// The largest value of a spectrum sampled at equal frequency steps, and how well its frequency is
// known. The sample's frequency alone is quantised to the step (8 % of the peak frequency for a
// 64-pixel ROI); the vertex of the parabola through the largest value and its two neighbours
// moves it between the samples (within half a step), unless the largest value lies at an end.
// `spread`: the farthest any sample lies from that frequency whose value the noise cannot tell
// from the largest (within twice the SE of their difference) — 0 when the errors are unknown.
struct SpectrumPeak {
    double frequency = 0;
    double spread = 0;
    bool found = false;
};

// frequency[i], value[i], error[i] (error may be empty) over the samples first … last; NaN
// values are skipped.
inline SpectrumPeak spectrumPeak(const std::vector<double>& frequency,
                                 const std::vector<double>& value,
                                 const std::vector<double>& error, std::size_t first,
                                 std::size_t last) {
    SpectrumPeak p;
    std::size_t top = first;
    for (std::size_t i = first; i <= last && i < value.size(); ++i) {
        if (std::isnan(value[i])) continue;
        if (!p.found || value[i] > value[top]) top = i;
        p.found = true;
    }
    if (!p.found) return p;
    p.frequency = frequency[top];
    if (top > first && top < last && top + 1 < value.size()) {
        const double a = value[top - 1], b = value[top], c = value[top + 1];
        const double curvature = a - 2 * b + c;
        if (curvature < 0 && !std::isnan(a) && !std::isnan(c)) {
            const double shift = std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5);
            p.frequency += shift * (frequency[top + 1] - frequency[top]);
        }
    }
    if (error.size() < value.size()) return p;
    for (std::size_t i = first; i <= last && i < value.size(); ++i) {
        if (std::isnan(value[i]) || std::isnan(error[i])) continue;
        const double margin = 2 * std::sqrt(error[i] * error[i] + error[top] * error[top]);
        if (value[i] + margin >= value[top])
            p.spread = std::max(p.spread, std::abs(frequency[i] - p.frequency));
    }
    return p;
}

}  // namespace ctiq
