// How independent a spectrum's segments are, the spectrum's flags, and its standard error against
// the real scatter over independent noise images.
#include "wiener/reliability.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <random>

#include "tests/support/test_files.h"
#include "wiener/summary.h"

namespace ctiq {
namespace {

TEST(EffectiveSegments, CountsOverlapsAsTheirCorrelationSays) {
    struct Case {
        DataWindow window;
        int n, step, lines, stripStep;
        std::vector<std::int32_t> perStrip;
        double expected;
    };
    // Rect, half overlap along: ρ = 1/2, ρ² = 1/4; A segments give Σρ² = A + 2(A − 1)/4.
    const double a = 5;
    const Case cases[] = {
        {DataWindow::Rect, 16, 16, 8, 8, {4, 4, 4}, 12},  // nothing shared: every segment counts
        {DataWindow::Hamming, 16, 16, 8, 8, {4, 4}, 8},
        {DataWindow::Rect, 16, 8, 8, 8, {5}, a * a / (a + 2 * (a - 1) / 4)},
        // Strips of 8 lines 4 apart: ρ = 1/2 across, same as along.
        {DataWindow::Rect, 16, 16, 8, 4, {1, 1}, 4 / (2 + 2 * 0.25)},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(effectiveSegments(c.window, c.n, c.step, c.lines, c.stripStep, c.perStrip),
                    c.expected, 1e-12)
            << c.n << " " << c.step;
}

TEST(SpectrumFlags, ShadingAndFewSegments) {
    const std::vector<double> flat = {100, 98, 103, 101, 99, 100, 102, 97};
    EXPECT_TRUE(spectrumFlags(flat, 200).empty());
    std::vector<double> shaded = flat;
    shaded[0] = 450;
    ASSERT_EQ(spectrumFlags(shaded, 200).size(), 1u);
    EXPECT_EQ(spectrumFlags(shaded, 200)[0].code, "low-frequency-dominates");
    EXPECT_EQ(spectrumFlags(flat, 12).at(0).code, "few-segments");
}

// The spectra of real noise images through the default analysis, shaded or not: low-pass noise
// ((¼, ½, ¼) along the rows), whose spectrum is largest at the first bin by nature, is noise and
// goes unflagged; a ramp or a cupping across the image leaks into the first bin and is flagged.
TEST(SpectrumFlags, TellShadingFromLowPassNoise) {
    struct Case {
        const char* name;
        std::vector<double> kernel;  // along the rows
        double ramp;                 // HU across the image
        double cupping;              // HU at the centre over the edge
        bool flagged;
    };
    const Case cases[] = {
        {"white", {1}, 0, 0, false},
        {"low-pass", {0.25, 0.5, 0.25}, 0, 0, false},
        {"low-pass, two passes", {0.0625, 0.25, 0.375, 0.25, 0.0625}, 0, 0, false},
        {"white, ramp", {1}, 60, 0, true},
        {"low-pass, ramp", {0.25, 0.5, 0.25}, 60, 0, true},
        {"white, cupping", {1}, 0, 80, true},
        {"low-pass, cupping", {0.25, 0.5, 0.25}, 0, 80, true},
    };
    const int size = 256;
    for (const Case& c : cases) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            std::mt19937 random(seed);
            std::normal_distribution<double> noise(0, 40);
            std::vector<double> white(size * size);
            for (double& v : white) v = noise(random);
            std::vector<std::int16_t> words(size * size);
            const int half = static_cast<int>(c.kernel.size()) / 2;
            for (int r = 0; r < size; ++r)
                for (int col = 0; col < size; ++col) {
                    double v = 0;
                    for (int k = 0; k < static_cast<int>(c.kernel.size()); ++k)
                        v += c.kernel[k] * white[r * size + (col + k - half + size) % size];
                    const double x = (col - size / 2.0) / size, y = (r - size / 2.0) / size;
                    v += c.ramp * x + c.cupping * std::exp(-(x * x + y * y) / (2 * 0.35 * 0.35));
                    words[r * size + col] = static_cast<std::int16_t>(std::lround(1000 + v));
                }
            const std::vector<std::uint8_t> bytes = test::wordsLE(words);
            const SpectrumResult r = computeWienerSpectrum(
                spectrumSource(bytes, {0, size, size, SampleFormat::Word16}, {}, 0, 0),
                defaultSpectrumParameters(size, size, 0.5, DataWindow::Hamming));
            const std::vector<double> bins(r.spectrum.begin() + 1,
                                           r.spectrum.begin() + r.segmentLength / 2 + 1);
            const QualityFlags flags = spectrumFlags(bins, r.effectiveSegments);
            const bool flagged = std::any_of(flags.begin(), flags.end(), [](const QualityFlag& f) {
                return f.code == "low-frequency-dominates";
            });
            EXPECT_EQ(flagged, c.flagged) << c.name << ", seed " << seed;
            if (c.kernel.size() > 1 && c.ramp == 0 && c.cupping == 0) {
                // What the former rule took for shading: the first bin over twice the median.
                std::vector<double> sorted = bins;
                std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
                EXPECT_GT(bins[0], 2 * sorted[sorted.size() / 2]) << c.name;
            }
        }
    }
}

// Steps above the scatter of few segments only: a first bin 1.6 times the second is shading with
// 200 effective segments, but within the scatter of 25.
TEST(SpectrumFlags, TheStepMustExceedTheScatter) {
    const std::vector<double> stepped = {160, 100, 98, 103, 101, 99, 100, 102, 97};
    EXPECT_EQ(spectrumFlags(stepped, 200).at(0).code, "low-frequency-dominates");
    EXPECT_TRUE(spectrumFlags(stepped, 25).empty());
    // A smooth fall from the first bin, however steep over the band, is not shading.
    std::vector<double> falling;
    for (int b = 1; b <= 32; ++b) falling.push_back(1000 * std::exp(-0.15 * b));
    EXPECT_TRUE(spectrumFlags(falling, 200).empty());
}

// Over independent noise images the per-bin scatter of the spectrum equals its reported SE
// (the overlapping default segments and strips made it 1.3–1.5 times the old SD / √segments).
TEST(SpectrumStandardError, MatchesTheScatterOverIndependentImages) {
    for (const DataWindow window : {DataWindow::Rect, DataWindow::Hamming}) {
        const int images = 60, size = 128;
        std::vector<std::vector<double>> spectra, errors;
        std::mt19937 random(7);
        std::normal_distribution<double> noise(1000, 20);
        for (int i = 0; i < images; ++i) {
            std::vector<std::int16_t> words(size * size);
            for (auto& w : words) w = static_cast<std::int16_t>(std::lround(noise(random)));
            const std::vector<std::uint8_t> bytes = test::wordsLE(words);
            const SpectrumResult r = computeWienerSpectrum(
                spectrumSource(bytes, {0, size, size, SampleFormat::Word16}, {}, 0, 0),
                defaultSpectrumParameters(size, size, 0.5, window));
            spectra.push_back(r.spectrum);
            errors.push_back(r.standardError);
        }
        const int n = static_cast<int>(spectra[0].size());
        std::vector<double> ratios;
        for (int b = 1; b <= n / 2; ++b) {
            double mean = 0, squares = 0, reported = 0;
            for (int i = 0; i < images; ++i) {
                mean += spectra[i][b] / images;
                reported += errors[i][b] / images;
            }
            for (int i = 0; i < images; ++i)
                squares += (spectra[i][b] - mean) * (spectra[i][b] - mean);
            ratios.push_back(std::sqrt(squares / (images - 1)) / reported);
        }
        std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
        EXPECT_NEAR(ratios[ratios.size() / 2], 1, 0.15) << (window == DataWindow::Rect);
    }
}

// The share of white noise each bin keeps through the segments' mean or trend removal: none lost
// beyond bin 0 by a mean under Rect; 14 % of bin 1 under Hamming; a line under Rect takes
// 3 / ((N² − 1) sin²(πk/N)) of bin k (the DFT of t over its norm).
TEST(SegmentKeptShare, IsWhatTheRemovalTakesFromWhiteNoise) {
    const std::vector<double> rectMean = segmentKeptShare(DataWindow::Rect, 64, 0);
    EXPECT_NEAR(rectMean[0], 0, 1e-12);
    for (int k = 1; k <= 32; ++k) EXPECT_NEAR(rectMean[k], 1, 1e-12) << k;
    const std::vector<double> hamming = segmentKeptShare(DataWindow::Hamming, 32, 0);
    EXPECT_NEAR(hamming[1], 0.86, 0.01);
    EXPECT_GT(hamming[3], 0.999);
    const std::vector<double> rectLine = segmentKeptShare(DataWindow::Rect, 64, 1);
    for (int k : {1, 2, 5}) {
        const double s = std::sin(std::numbers::pi * k / 64);
        EXPECT_NEAR(rectLine[k], 1 - 3 / ((64.0 * 64 - 1) * s * s), 1e-9) << k;
    }
}

// The mean frequency takes each bin over its kept share: a flat spectrum whose first bin the
// mean removal lowered reads Nyquist / 2 again; the integral stays the plain sum.
TEST(SegmentKeptShare, TheMeanFrequencyUndoesTheFirstBinsLoss) {
    const std::vector<double> kept = segmentKeptShare(DataWindow::Hamming, 64, 0);
    std::vector<double> s(64, 5.0);
    for (int b = 0; b <= 32; ++b) s[b] = 5.0 * kept[b];
    const SpectrumSummary plain = summarizeSpectrum(s, 64, 0.5);
    const SpectrumSummary undone = summarizeSpectrum(s, 64, 0.5, kept);
    EXPECT_NEAR(undone.meanFrequency, 0.5, 1e-12);
    EXPECT_GT(plain.meanFrequency, 0.503);
    EXPECT_DOUBLE_EQ(undone.integral, plain.integral);
}

// Independent bins (Rect) add their errors in quadrature; Hamming correlates neighbours
// (ρ² = 0.39 at one bin, 0.02 at two), which widens the integral's error by about √1.8.
TEST(SummaryErrors, PropagateTheBinsErrors) {
    std::vector<double> flat(64, 1.0), errors(64, 0.1);
    const SpectrumSummaryErrors rect = summaryErrors(flat, errors, 64, 0.5, DataWindow::Rect);
    EXPECT_NEAR(rect.integral, 0.1 / std::sqrt(32.0), 1e-12);
    EXPECT_GT(rect.meanFrequency, 0);
    EXPECT_EQ(rect.peakFrequency, 0);  // flat: no peak to speak of, no error
    EXPECT_EQ(rect.firstBinShift, 0);
    const SpectrumSummaryErrors hamming =
        summaryErrors(flat, errors, 64, 0.5, DataWindow::Hamming);
    EXPECT_GT(hamming.integral / rect.integral, 1.30);
    EXPECT_LT(hamming.integral / rect.integral, 1.36);
    // A first bin 1.5 times the curve of the next two moves the mean frequency.
    flat[1] = 1.5;
    EXPECT_GT(summaryErrors(flat, errors, 64, 0.5, DataWindow::Rect).firstBinShift, 0.015);
}

TEST(SummaryErrors, FlagWhatTheNoiseCannotSupport) {
    struct Case {
        SpectrumSummaryErrors errors;
        double integral;
        std::vector<std::string> codes;
    };
    const Case cases[] = {
        {{0.02, 0.01, 0.01, 0.01}, 1, {}},
        {{0.03, 0.01, 0.0, 0.0}, 1, {"nps-imprecise"}},
        {{0.03, 0.01, 0.0, 0.0}, std::nan(""), {}},  // no integral (the 2-D NPS)
        {{0.0, 0.02, 0.0, 0.0}, 1, {"nps-imprecise"}},
        {{0.0, 0.0, 0.05, 0.0}, 1, {"nps-peak-imprecise"}},
        {{0.0, 0.0, 0.0, 0.02}, 1, {"low-frequency-matters"}},
    };
    for (const Case& c : cases) {
        const QualityFlags flags = precisionFlagsOf(c.integral, 0.4, 0.3, c.errors);
        std::vector<std::string> codes;
        for (const QualityFlag& f : flags) codes.push_back(f.code);
        EXPECT_EQ(codes, c.codes);
    }
}

// A spectrum that rises from the first bin (CT noise) hides a step there from the first bin's
// ratio to the second; the bend S₁·S₃/S₂² shows it once it exceeds its scatter.
TEST(SpectrumFlags, AStepOnARisingSpectrumBendsItsCurve) {
    std::vector<double> rising;
    for (int b = 1; b <= 32; ++b) rising.push_back(b * b);
    EXPECT_TRUE(spectrumFlags(rising, 1000).empty());
    rising[0] = 3;  // S₁·S₃/S₂² = 27/16, the first bin still below the second
    EXPECT_EQ(spectrumFlags(rising, 1000).at(0).code, "low-frequency-dominates");
    EXPECT_TRUE(spectrumFlags(rising, 50).empty());
    // The mean removal's loss of the first bin is undone before the bend is taken.
    rising[0] = 2;
    EXPECT_TRUE(spectrumFlags(rising, 1000).empty());
    EXPECT_EQ(spectrumFlags(rising, 1000, 0.5).at(0).code, "low-frequency-dominates");
}

}  // namespace
}  // namespace ctiq
