// The peak of a sampled spectrum between its samples, and how far the noise leaves it open.
#include "common/spectrum_peak.h"

#include <gtest/gtest.h>

namespace ctiq {
namespace {

// Samples of a parabola put its vertex back exactly, wherever it lies between them; at an end of
// the range the sample's own frequency stays.
TEST(SpectrumPeak, AParabolasVertexLiesBetweenItsSamples) {
    struct Case {
        double vertex;  // in steps of 0.1 c/mm from 0
        double expected;
    };
    const Case cases[] = {{5.0, 0.5}, {5.25, 0.525}, {4.6, 0.46}, {0.2, 0.0}, {9.3, 0.9}};
    for (const Case& c : cases) {
        std::vector<double> f, v;
        for (int i = 0; i < 10; ++i) {
            f.push_back(0.1 * i);
            v.push_back(100 - (i - c.vertex) * (i - c.vertex));
        }
        SCOPED_TRACE(c.vertex);
        const SpectrumPeak p = spectrumPeak(f, v, {}, 0, 9);
        ASSERT_TRUE(p.found);
        EXPECT_NEAR(p.frequency, c.expected, 1e-12);
        EXPECT_EQ(p.spread, 0);
    }
}

// The spread: the farthest sample within twice the SE of the difference from the largest. A flat
// spectrum leaves every sample open, a sharp one none.
TEST(SpectrumPeak, TheSpreadReachesTheSamplesTheNoiseCannotTellApart) {
    const std::vector<double> f = {0, 1, 2, 3, 4, 5, 6};
    const std::vector<double> flat(7, 10.0), errors(7, 1.0);
    EXPECT_NEAR(spectrumPeak(f, flat, errors, 0, 6).spread, 6, 1e-12);  // the first of equals
    const std::vector<double> sharp = {1, 2, 4, 20, 4, 2, 1};
    EXPECT_EQ(spectrumPeak(f, sharp, errors, 0, 6).spread, 0);
    // 20 − 17.5 lies within 2·√2 · 1.1: sample 4 ties with the largest.
    const std::vector<double> shoulder = {1, 2, 4, 20, 17.5, 2, 1}, wider(7, 1.1);
    const SpectrumPeak p = spectrumPeak(f, shoulder, wider, 0, 6);
    EXPECT_NEAR(p.spread, 4 - p.frequency, 1e-12);
    EXPECT_GT(p.frequency, 3);
}

}  // namespace
}  // namespace ctiq
