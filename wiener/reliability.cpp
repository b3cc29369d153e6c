#include "wiener/reliability.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "common/number_text.h"
#include "wiener/numeric/kernels.h"

namespace ctiq {
namespace {

// ρ(s)² for every shift s of the window (0 beyond its length).
std::vector<double> squaredWindowOverlap(DataWindow window, std::int32_t n) {
    std::vector<double> w(static_cast<std::size_t>(n), 1.0);
    if (window == DataWindow::Hamming) w = HammingTable(static_cast<std::size_t>(n)).weights;
    double energy = 0;
    for (double v : w) energy += v * v;
    std::vector<double> rho2(static_cast<std::size_t>(n), 0.0);
    for (std::int32_t s = 0; s < n; ++s) {
        double sum = 0;
        for (std::int32_t t = 0; t + s < n; ++t) sum += w[t] * w[t + s];
        rho2[s] = (sum / energy) * (sum / energy);
    }
    return rho2;
}

}  // namespace

double effectiveSegments(DataWindow window, std::int32_t segmentLength, std::int32_t segmentStep,
                         std::int32_t lines, std::int32_t stripStep,
                         const std::vector<std::int32_t>& segmentsPerStrip) {
    std::int64_t total = 0;
    for (std::int32_t k : segmentsPerStrip) total += k;
    if (total == 0 || segmentLength < 1 || lines < 1) return 0;
    const std::vector<double> rho2 = squaredWindowOverlap(window, segmentLength);
    auto along = [&](std::int64_t shift) {
        return shift < segmentLength ? rho2[static_cast<std::size_t>(shift)] : 0.0;
    };
    // Σ over the segment pairs of two strips holding a and b segments (memoised: few counts).
    std::map<std::pair<std::int32_t, std::int32_t>, double> pairSums;
    auto segmentPairs = [&](std::int32_t a, std::int32_t b) {
        const auto key = std::minmax(a, b);
        if (auto it = pairSums.find(key); it != pairSums.end()) return it->second;
        double sum = 0;
        for (std::int32_t i = 0; i < a; ++i)
            for (std::int32_t j = 0; j < b; ++j)
                sum += along(std::int64_t{std::abs(i - j)} * segmentStep);
        pairSums[key] = sum;
        return sum;
    };
    double sum = 0;
    const auto strips = static_cast<std::int32_t>(segmentsPerStrip.size());
    for (std::int32_t s = 0; s < strips; ++s) {
        for (std::int32_t t = 0; t < strips; ++t) {
            const std::int64_t shift = std::int64_t{std::abs(s - t)} * stripStep;
            if (shift >= lines) continue;
            const double across = static_cast<double>(lines - shift) / lines;
            sum += across * across * segmentPairs(segmentsPerStrip[s], segmentsPerStrip[t]);
        }
    }
    return static_cast<double>(total) * static_cast<double>(total) / sum;
}

QualityFlags spectrumFlags(const std::vector<double>& bins, double effectiveSegmentCount) {
    QualityFlags flags;
    // A trend leaks into the first bins and stands out from the next; noise, even low-pass noise
    // whose spectrum is largest at zero frequency, falls smoothly from the first bin to the second.
    // Each bin scatters by about 1/√K_eff of its value, so the step must also exceed three times
    // the scatter of the ratio.
    if (bins.size() >= 3 && bins[1] > 0 && effectiveSegmentCount > 0) {
        const double ratio = bins[0] / bins[1];
        const double scatter = std::sqrt(2.0 / effectiveSegmentCount);
        if (ratio > std::max(kLowFrequencyStep, 1 + 3 * scatter))
            flags.push_back(
                {"low-frequency-dominates",
                 "The first frequency bin stands " + fixedText(ratio, 1) +
                     " times above the second: a trend or shading, not noise (a noise "
                     "spectrum, low-pass noise too, falls smoothly there). Enable detrending "
                     "(segment or line trend)."});
    }
    if (effectiveSegmentCount < kMinEffectiveSegments)
        flags.push_back(
            {"few-segments", "Only " + fixedText(effectiveSegmentCount, 1) +
                                 " effective independent segments (fewer than " +
                                 fixedText(kMinEffectiveSegments, 0) +
                                 "): each bin scatters by more than a fifth of its value."});
    return flags;
}

}  // namespace ctiq
