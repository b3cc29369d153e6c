#include "wiener/reliability.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/spectrum_peak.h"
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

QualityFlags spectrumFlags(const std::vector<double>& bins, double effectiveSegmentCount,
                           double firstBinKept) {
    QualityFlags flags;
    // A trend leaks into the first bins and stands out from the next; noise, even low-pass noise
    // whose spectrum is largest at zero frequency, falls smoothly from the first bin to the second.
    // Each bin scatters by about 1/√K_eff of its value, so the step must also exceed three times
    // the scatter of the ratio. A rising spectrum (the ramp of CT noise) starts low, so a step
    // that leaves the first bin no higher than the second still bends its curve: S₁·S₃/S₂² is 1
    // for a spectrum that rises or falls geometrically, below 1 for a Gaussian fall-off.
    if (bins.size() >= 3 && bins[1] > 0 && effectiveSegmentCount > 0) {
        const double ratio = bins[0] / bins[1];
        const double scatter = std::sqrt(2.0 / effectiveSegmentCount);
        const double bend = bins[0] / firstBinKept * bins[2] / (bins[1] * bins[1]);
        const double bendScatter = std::sqrt(6.0 / effectiveSegmentCount);
        if (ratio > std::max(kLowFrequencyStep, 1 + 3 * scatter))
            flags.push_back(
                {"low-frequency-dominates",
                 "The first frequency bin stands " + fixedText(ratio, 1) +
                     " times above the second: a trend or shading, not noise (a noise "
                     "spectrum, low-pass noise too, falls smoothly there). Enable detrending "
                     "(segment or line trend)."});
        else if (bend > 1 + 3 * bendScatter)
            flags.push_back(
                {"low-frequency-dominates",
                 "The first frequency bin stands " + fixedText(bend, 2) +
                     " times above the curve the next two bins continue: a trend or shading, "
                     "not noise (a noise spectrum bends smoothly there). Enable detrending "
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

std::vector<double> segmentKeptShare(DataWindow window, std::int32_t n, int degree) {
    std::vector<double> w(static_cast<std::size_t>(n), 1.0);
    if (window == DataWindow::Hamming) w = HammingTable(static_cast<std::size_t>(n)).weights;
    double energy = 0;
    for (double v : w) energy += v * v;
    // The polynomials orthonormal over t = 0 … N-1 (Gram–Schmidt on centred powers).
    std::vector<std::vector<double>> q;
    for (int j = 0; j <= degree && j < n; ++j) {
        std::vector<double> v(static_cast<std::size_t>(n));
        for (std::int32_t t = 0; t < n; ++t) v[t] = std::pow((t - (n - 1) / 2.0) / n, j);
        for (const std::vector<double>& u : q) {
            double dot = 0;
            for (std::int32_t t = 0; t < n; ++t) dot += u[t] * v[t];
            for (std::int32_t t = 0; t < n; ++t) v[t] -= dot * u[t];
        }
        double norm = 0;
        for (double x : v) norm += x * x;
        if (!(norm > 0)) break;
        for (double& x : v) x /= std::sqrt(norm);
        q.push_back(std::move(v));
    }
    std::vector<double> kept(static_cast<std::size_t>(n / 2) + 1, 1.0);
    for (std::int32_t k = 0; k <= n / 2; ++k) {
        double lost = 0;
        for (const std::vector<double>& u : q) {
            double re = 0, im = 0;
            for (std::int32_t t = 0; t < n; ++t) {
                const double phase = -2 * 3.14159265358979323846 * k * t / n;
                re += w[t] * u[t] * std::cos(phase);
                im += w[t] * u[t] * std::sin(phase);
            }
            lost += re * re + im * im;
        }
        kept[k] = 1 - lost / energy;
    }
    return kept;
}

SpectrumSummaryErrors summaryErrors(const std::vector<double>& spectrum,
                                    const std::vector<double>& errors, std::int32_t n,
                                    double spacing, DataWindow window,
                                    const std::vector<double>& kept) {
    SpectrumSummaryErrors e;
    const std::int32_t last = std::min({n / 2, static_cast<std::int32_t>(spectrum.size()) - 1,
                                        static_cast<std::int32_t>(errors.size()) - 1});
    if (last < 1) return e;
    // The powers' correlation of bins d apart under the window.
    std::vector<double> w(static_cast<std::size_t>(n), 1.0);
    if (window == DataWindow::Hamming) w = HammingTable(static_cast<std::size_t>(n)).weights;
    constexpr std::int32_t kReach = 3;
    double rho2[kReach + 1];
    double energy = 0;
    for (double v : w) energy += v * v;
    for (std::int32_t d = 0; d <= kReach; ++d) {
        double re = 0, im = 0;
        for (std::int32_t t = 0; t < n; ++t) {
            const double phase = -2 * 3.14159265358979323846 * d * t / n;
            re += w[t] * w[t] * std::cos(phase);
            im += w[t] * w[t] * std::sin(phase);
        }
        rho2[d] = (re * re + im * im) / (energy * energy);
    }
    std::vector<double> f(static_cast<std::size_t>(last) + 1, 0.0);
    std::vector<double> share(f.size(), 1.0);  // the mean frequency's bins are S / kept
    double sum = 0, mass = 0, moment = 0;
    for (std::int32_t b = 1; b <= last; ++b) {
        f[b] = static_cast<double>(binFrequency(b, n, spacing));
        if (static_cast<std::size_t>(b) < kept.size()) share[b] = kept[b];
        const double weight = (b == last ? 0.5 : 1) + (b == 1 ? 0.5 : 0);
        sum += spectrum[b];
        mass += weight * spectrum[b] / share[b];
        moment += (b == last ? 0.5 : 1) * f[b] * spectrum[b] / share[b];
    }
    if (!(mass > 0) || !(sum > 0)) return e;
    const double mean = moment / mass;
    // d mean / d S_b of the trapezoid with S(0) = S(f_1) (summarizeSpectrum), relative to the mean.
    std::vector<double> g(f.size(), 0.0);
    for (std::int32_t b = 1; b <= last; ++b) {
        const double weight = b == last ? 0.5 : 1;
        g[b] = (weight * f[b] - mean * (weight + (b == 1 ? 0.5 : 0))) / mass / mean;
    }
    double varianceSum = 0, varianceMean = 0;
    for (std::int32_t a = 1; a <= last; ++a)
        for (std::int32_t b = std::max(1, a - kReach); b <= std::min(last, a + kReach); ++b) {
            const double c = rho2[std::abs(a - b)] * errors[a] * errors[b];
            varianceSum += c;
            varianceMean += g[a] * g[b] * c / (share[a] * share[b]);
        }
    e.integral = std::sqrt(varianceSum) / sum;
    e.meanFrequency = std::sqrt(varianceMean);
    if (last >= 3 && spectrum[3] > 0) {
        const double s2 = spectrum[2] / share[2], s3 = spectrum[3] / share[3];
        const double change = s2 * s2 / s3 - spectrum[1] / share[1];
        // S₁ weighs 1.5 (itself and S(0)) in the mass and f₁ in the moment.
        const double moved = (moment + change * f[1]) / (mass + 1.5 * change);
        e.firstBinShift = std::abs(moved / mean - 1);
    }
    const SpectrumPeak peak = spectrumPeak(f, std::vector<double>(spectrum.begin(),
                                                                  spectrum.begin() + last + 1),
                                           std::vector<double>(errors.begin(),
                                                               errors.begin() + last + 1),
                                           1, static_cast<std::size_t>(last));
    e.peakFrequency = peak.frequency > 0 ? peak.standardError / peak.frequency : 0;
    return e;
}

QualityFlags precisionFlagsOf(double integral, double meanFrequency, double peakFrequency,
                              const SpectrumSummaryErrors& e) {
    QualityFlags flags;
    const bool wideIntegral = !std::isnan(integral) && e.integral > kMaxIntegralRelativeSe;
    const bool wideMean = e.meanFrequency > kMaxFrequencyRelativeSe;
    if (wideIntegral || wideMean) {
        std::string text = "The noise of the spectrum moves ";
        if (wideIntegral) text += "the integral by ± " + fixedText(100 * e.integral, 1) + " %";
        if (wideIntegral && wideMean) text += " and ";
        if (wideMean)
            text += "the mean frequency (" + fixedText(meanFrequency, 3) + " c/mm) by ± " +
                    fixedText(100 * e.meanFrequency, 1) + " %";
        text += " (standard errors; flagged above " + fixedText(100 * kMaxIntegralRelativeSe, 1) +
                " % and " + fixedText(100 * kMaxFrequencyRelativeSe, 1) +
                " %): combine more images, or take a larger ROI.";
        flags.push_back({kFlagImprecise, text});
    }
    if (e.firstBinShift > kMaxFirstBinShift)
        flags.push_back(
            {kFlagLowFrequencyMatters,
             "The mean frequency moves by " + fixedText(100 * e.firstBinShift, 1) +
                 " % when the first bin is taken as the curve the next two bins continue: a "
                 "shading there, too small to stand out from the noise, moves it that much "
                 "(flagged above " +
                 fixedText(100 * kMaxFirstBinShift, 1) +
                 " %). Enable detrending (segment or line trend), or take longer segments."});
    if (peakFrequency > 0 && e.peakFrequency > kMaxPeakRelativeSe)
        flags.push_back({kFlagPeakImprecise, peakImpreciseText(peakFrequency, e.peakFrequency,
                                                               kMaxPeakRelativeSe)});
    return flags;
}

}  // namespace ctiq
