#include "common/sample_spread.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ctiq {
namespace {

TEST(SampleSpread, MeanSampleSdAndTheMeansStandardError) {
    // Squares about the mean 5 add to 32: sample SD √(32/7).
    const SampleSpread s = sampleSpread({2, 4, 4, 4, 5, 5, 7, 9});
    EXPECT_TRUE(s.spread);
    EXPECT_DOUBLE_EQ(s.mean, 5);
    EXPECT_DOUBLE_EQ(s.sd, std::sqrt(32.0 / 7));
    EXPECT_DOUBLE_EQ(s.standardError, std::sqrt(32.0 / 7 / 8));
}

TEST(SampleSpread, OneValueHasNoSpread) {
    const SampleSpread one = sampleSpread({0.3});
    EXPECT_FALSE(one.spread);
    EXPECT_DOUBLE_EQ(one.mean, 0.3);
    EXPECT_EQ(one.sd, 0);
    EXPECT_EQ(one.standardError, 0);
    EXPECT_FALSE(sampleSpread({}).spread);
}

}  // namespace
}  // namespace ctiq
