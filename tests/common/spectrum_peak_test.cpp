// The peak of a sampled spectrum between its samples, and how well the noise leaves it known.
#include "common/spectrum_peak.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ctiq {
namespace {

// Samples of a Gaussian bump exp(−(f − f₀)² / 2s²) are a parabola in their logarithm: the fit over
// the samples above 70 % of the largest puts f₀ back exactly, wherever it lies between them; a
// bump too narrow for three such samples takes the largest and its neighbours; the vertex stays
// within the samples fitted (a peak beyond the last sample reads at it).
TEST(SpectrumPeak, TheLogParabolaFindsAGaussianBumpBetweenTheSamples) {
    struct Case {
        double centre, width;  // c/mm, samples 0.1 c/mm apart
        double expected;
    };
    const Case cases[] = {{0.5, 0.3, 0.5},  {0.525, 0.3, 0.525}, {0.46, 0.2, 0.46},
                          {0.53, 0.05, 0.53}, {0.02, 0.3, 0.02}, {0.93, 0.3, 0.9}};
    for (const Case& c : cases) {
        std::vector<double> f, v;
        for (int i = 0; i < 10; ++i) {
            f.push_back(0.1 * i);
            v.push_back(std::exp(-(f.back() - c.centre) * (f.back() - c.centre) /
                                 (2 * c.width * c.width)));
        }
        SCOPED_TRACE(c.centre);
        const SpectrumPeak p = spectrumPeak(f, v, {}, 0, 9);
        ASSERT_TRUE(p.found);
        EXPECT_NEAR(p.frequency, c.expected, 1e-9);
        EXPECT_EQ(p.standardError, 0);  // no errors given
    }
}

// The vertex's error through the fit: it scales with the samples' relative errors. A spectrum
// within 70 % of its largest everywhere has no peak to speak of: flat, no error.
TEST(SpectrumPeak, ItsErrorComesThroughTheFit) {
    std::vector<double> f, v;
    for (int i = 0; i < 12; ++i) {
        f.push_back(0.1 * i);
        v.push_back(std::exp(-(f.back() - 0.55) * (f.back() - 0.55) / (2 * 0.25 * 0.25)));
    }
    std::vector<double> small(v.size()), large(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) small[i] = 0.01 * v[i], large[i] = 0.04 * v[i];
    const double se = spectrumPeak(f, v, small, 0, 11).standardError;
    EXPECT_GT(se, 0);
    EXPECT_NEAR(spectrumPeak(f, v, large, 0, 11).standardError / se, 4, 1e-9);
    const std::vector<double> flat(12, 3.0), errors(12, 0.1);
    const SpectrumPeak none = spectrumPeak(f, flat, errors, 0, 11);
    EXPECT_TRUE(none.flat);
    EXPECT_EQ(none.standardError, 0);
    EXPECT_FALSE(spectrumPeak(f, v, small, 0, 11).flat);
}

}  // namespace
}  // namespace ctiq
