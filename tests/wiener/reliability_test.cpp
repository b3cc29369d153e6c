// How independent a spectrum's segments are, the spectrum's flags, and its standard error against
// the real scatter over independent noise images.
#include "wiener/reliability.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "tests/support/test_files.h"

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

}  // namespace
}  // namespace ctiq
