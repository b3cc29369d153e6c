#pragma once

#include <cmath>
#include <vector>

namespace ctiq {

// A figure measured on several images or ROIs: the mean, the sample SD (n − 1) and the standard
// error of the mean, SD / √n. With fewer than two values there is no spread: SD and SE are 0 and
// `spread` is false.
struct SampleSpread {
    double mean = 0, sd = 0, standardError = 0;
    bool spread = false;
};

inline SampleSpread sampleSpread(const std::vector<double>& values) {
    SampleSpread s;
    if (values.empty()) return s;
    const double n = static_cast<double>(values.size());
    for (double v : values) s.mean += v;
    s.mean /= n;
    if (values.size() < 2) return s;
    double squares = 0;
    for (double v : values) squares += (v - s.mean) * (v - s.mean);
    s.sd = std::sqrt(squares / (n - 1));
    s.standardError = s.sd / std::sqrt(n);
    s.spread = true;
    return s;
}

}  // namespace ctiq
