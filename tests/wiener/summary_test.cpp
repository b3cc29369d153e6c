#include "wiener/summary.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cli/phantom.h"
#include "wiener/spectrum.h"

namespace ctiq {
namespace {

ImageBytes noise(std::uint64_t seed, std::vector<double> kernel = {}) {
    cli::PhantomSpec spec;
    spec.kind = "noise";
    spec.columns = spec.rows = 256;
    spec.sd = 20;
    spec.seed = seed;
    spec.kernel = std::move(kernel);
    ImageBytes bytes;
    for (std::int16_t w : cli::makePhantom(spec)) {
        bytes.push_back(static_cast<std::uint8_t>(w));
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(w) >> 8));
    }
    return bytes;
}

// Independent segments: no two share a sample, so their spread gives a fair standard error.
SpectrumResult spectrumOf(const ImageBytes& bytes, DataWindow window = DataWindow::Rect) {
    SpectrumParameters p = defaultSpectrumParameters(256, 256, 0.5, window);
    p.segmentX = 64;
    p.segmentY = 4;
    p.shiftX = 64;
    p.shiftY = 4;
    return computeWienerSpectrum(
        spectrumSource(bytes, {0, 256, 256, SampleFormat::Word16}, {}, 0, 0), p);
}

TEST(SpectrumSummary, PeakMeanAndIntegralOfAKnownSpectrum) {
    std::vector<double> s(8, 0.0);  // N = 8, Δ = 0.5: bins 1 … 4 at 0.25 … 1 c/mm
    s[1] = 1;
    s[3] = 3;
    const SpectrumSummary summary = summarizeSpectrum(s, 8, 0.5);
    EXPECT_DOUBLE_EQ(summary.peakFrequency, 0.75);
    // The mean by the trapezoid over 0 … 1 c/mm with S(0) = S(0.25): weights ½, 1, 1, 1, ½.
    EXPECT_DOUBLE_EQ(summary.meanFrequency, (0.25 * 1 + 0.75 * 3) / (0.5 * 1 + 1 + 3));
    EXPECT_DOUBLE_EQ(summary.integral, 4 * 0.25);
}

// White noise: flat, so the mean frequency is half way up to Nyquist (the plain mean over the
// bins 1 … N/2 put it at (Nyquist + Δf) / 2), and the integral is the variance times Δ (σ² Δ²
// per c/mm over 1 / (2Δ) c/mm … twice, both signs of f: σ²Δ/2 here).
TEST(SpectrumSummary, WhiteNoiseIsFlat) {
    const SpectrumResult r = spectrumOf(noise(1));
    const SpectrumSummary s = summarizeSpectrum(r.spectrum, r.segmentLength, 0.5);
    const double nyquist = 1 / (2 * 0.5);
    EXPECT_NEAR(s.meanFrequency, nyquist / 2, 0.04 * nyquist);
    // And the exact flat spectrum: no bias at all.
    const std::vector<double> flat(65, 7.0);
    EXPECT_DOUBLE_EQ(summarizeSpectrum(flat, 64, 0.5).meanFrequency, nyquist / 2);
    EXPECT_DOUBLE_EQ(summarizeSpectrum(flat, 64, 0.5).integral, 7 * nyquist);
    // A ramp S = f: ∫₀^N f² df / ∫₀^N f df = 2N/3; the trapezoid, with S(0) taken as S(Δf),
    // within 0.1 % (the plain mean over the bins: 2N/3 + Δf/3).
    std::vector<double> ramp(65, 0.0);
    for (int b = 1; b <= 32; ++b) ramp[b] = b / 32.0;
    EXPECT_NEAR(summarizeSpectrum(ramp, 64, 0.5).meanFrequency, 2 * nyquist / 3, 0.01 * nyquist);
    EXPECT_NEAR(s.integral, 400 * 0.5 * 0.5 * nyquist, 0.08 * s.integral);
}

// The reported SE agrees with the scatter of the bins over 20 seeds (pooled over the bins, so
// the check is not at the mercy of one bin's 20 draws).
TEST(SpectrumSummary, StandardErrorMatchesTheScatterOverSeeds) {
    const int seeds = 20, firstBin = 2, lastBin = 30;
    std::vector<double> sum(lastBin + 1, 0.0), squares(lastBin + 1, 0.0);
    double reported = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        const SpectrumResult r = spectrumOf(noise(static_cast<std::uint64_t>(seed)));
        for (int bin = firstBin; bin <= lastBin; ++bin) {
            sum[bin] += r.spectrum[bin];
            squares[bin] += r.spectrum[bin] * r.spectrum[bin];
            reported += r.standardError[bin] * r.standardError[bin];
        }
    }
    double variance = 0;
    for (int bin = firstBin; bin <= lastBin; ++bin) {
        const double mean = sum[bin] / seeds;
        variance += (squares[bin] / seeds - mean * mean) * seeds / (seeds - 1.0);
    }
    const int bins = lastBin - firstBin + 1;
    const double scatter = std::sqrt(variance / bins);
    const double se = std::sqrt(reported / (bins * seeds));
    EXPECT_NEAR(se, scatter, 0.3 * scatter);
    EXPECT_GT(se, 0);
}

// Noise filtered by (1, 0, −2, 0, 1) along the rows has |H|² = 16 sin⁴(2π f Δ): its peak is at
// half the Nyquist frequency; the power scaling makes white noise read σ²Δ² with the Hamming window
// too.
TEST(SpectrumSummary, FilteredNoisePeaksWhereItsFilterDoes) {
    const SpectrumResult r = spectrumOf(noise(3, {1, 0, -2, 0, 1}));
    const SpectrumSummary s = summarizeSpectrum(r.spectrum, r.segmentLength, 0.5);
    EXPECT_NEAR(s.peakFrequency, 0.5, 2.0 / 32);

    const SpectrumResult hamming = spectrumOf(noise(1), DataWindow::Hamming);
    const double power =
        summarizeSpectrum(hamming.spectrum, 64, 0.5).integral / hammingPowerFactor(64);
    const double rect = summarizeSpectrum(spectrumOf(noise(1)).spectrum, 64, 0.5).integral;
    EXPECT_NEAR(power, rect, 0.06 * rect);
}

}  // namespace
}  // namespace ctiq
