#include "mtf/summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cli/phantom.h"
#include "load/headless_load.h"
#include "mtf/lsf.h"
#include "mtf/roi_table.h"
#include "mtf/table_analysis.h"
#include "viewer/load_placement.h"

namespace ctiq {
namespace {

TEST(FrequencyAtLevel, InterpolatesBetweenThePointsAroundTheLevel) {
    const std::vector<double> f = {0, 0.1, 0.2, 0.3};
    EXPECT_DOUBLE_EQ(*frequencyAtLevel(f, {1, 0.8, 0.4, 0.1}, 0.5), 0.175);
    EXPECT_DOUBLE_EQ(*frequencyAtLevel(f, {1, 0.8, 0.4, 0.1}, 0.1), 0.3);
    EXPECT_DOUBLE_EQ(*frequencyAtLevel(f, {1, 0.5, 0.5, 0.1}, 0.5), 0.1);
    EXPECT_FALSE(frequencyAtLevel(f, {1, 0.9, 0.8, 0.7}, 0.5));  // never falls that far
    EXPECT_FALSE(frequencyAtLevel({}, {}, 0.5));
}

// A Gaussian spot of σ pixels has the MTF exp(−2π²σ²f²): MTF50 and MTF10 are known.
TEST(MtfSummary, GaussianSpotMatchesTheAnalyticFrequencies) {
    for (double sigma : {1.0, 1.5, 2.5}) {
        cli::PhantomSpec spec;
        spec.kind = "point";
        spec.sigma = sigma;
        spec.sd = 0;
        const std::vector<std::int16_t> words = cli::makePhantom(spec);
        std::vector<std::uint8_t> bytes;
        for (std::int16_t w : words) {
            bytes.push_back(static_cast<std::uint8_t>(w));
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(w) >> 8));
        }
        const StoredImageLayout layout{0, 256, 256, SampleFormat::Word16};
        const RoiPlacement roi = placeRoi(layout, 128, 128, 64, 64);
        const PixelTable table = roiPixelTable(bytes.data(), layout, roi.block, roi.frame, {});
        const MtfResult r =
            computeMtf(table, LsfDirection::X, tableMaximum(table), 24, 1, spec.spacing);
        const MtfSummary s = summarizeMtf(r.mtfAbs, spec.spacing, r.width);
        const double sigmaMm = sigma * spec.spacing;
        const double pi2 = 2 * std::numbers::pi * std::numbers::pi;
        ASSERT_TRUE(s.mtf50 && s.mtf10) << sigma;
        EXPECT_NEAR(*s.mtf50, std::sqrt(std::log(2.0) / pi2) / sigmaMm, 0.03 * *s.mtf50) << sigma;
        EXPECT_NEAR(*s.mtf10, std::sqrt(std::log(10.0) / pi2) / sigmaMm, 0.03 * *s.mtf10) << sigma;
        EXPECT_NEAR(s.fwhm, 2 * std::sqrt(2 * std::log(2.0)) * sigmaMm, 0.06 * s.fwhm) << sigma;
    }
}

}  // namespace
}  // namespace ctiq
