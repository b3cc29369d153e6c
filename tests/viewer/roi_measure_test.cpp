#include <gtest/gtest.h>

#include <cmath>

#include "common/app_error.h"
#include "common/number_text.h"
#include "image/roi_block.h"
#include "tests/support/test_files.h"
#include "viewer/roi_statistics.h"

namespace ctiq {
namespace {

using test::wordsLE;

TEST(RoiBlock, IsExactlyTheSamplesUnderTheFrame) {
    const RoiBlock b = roiBlock({10, 20, 73, 83}, 0, 0);
    EXPECT_EQ(b.nc, 64);
    EXPECT_EQ(b.nr, 64);
    EXPECT_EQ(b.r0, 20);
    EXPECT_EQ(b.c0, 10);
    const RoiBlock shifted = roiBlock({10, 20, 73, 83}, 128, 100);
    EXPECT_EQ(shifted.r0, 120);
    EXPECT_EQ(shifted.c0, 138);
}

TEST(RoiBlock, EmptyOrOutsideBlocksAreRefused) {
    const auto data = wordsLE(std::vector<std::int16_t>(16, 0));
    const StoredImageLayout image{0, 4, 4, SampleFormat::Word16};
    EXPECT_NO_THROW(requireBlockInside({0, 0, 4, 4}, image, data.size()));
    for (const RoiBlock& bad : {RoiBlock{0, 0, 0, 4}, RoiBlock{0, 0, 4, -2}, RoiBlock{-1, 0, 2, 2},
                                RoiBlock{0, -1, 2, 2}, RoiBlock{3, 0, 2, 2}, RoiBlock{0, 3, 2, 2}})
        EXPECT_THROW(requireBlockInside(bad, image, data.size()), AppError);
    EXPECT_THROW(requireBlockInside({0, 0, 1, 1}, {0, 4, 4, SampleFormat::Word16}, 31), AppError);
}

std::pair<std::string, std::string> statsText(const std::vector<std::uint8_t>& data,
                                              StoredImageLayout image, RoiBlock block,
                                              SampleValueRule rule = {}) {
    rule.format = image.format;
    const RoiStatistics s = computeRoiStatistics(data.data(), image, block, rule);
    return {FloatToStrF(s.mean, 2, {}), FloatToStrF(s.sd, 3, {})};
}

TEST(RoiStatistics, MeanAndPopulationSd) {
    const StoredImageLayout image{0, 2, 2, SampleFormat::Word16};
    EXPECT_EQ(statsText(wordsLE({1000, 1000, 1000, 1000}), image, {0, 0, 2, 2}),
              (std::pair<std::string, std::string>{"1,000.00", "0.000"}));
    EXPECT_EQ(statsText(wordsLE({0, 2, 9, 9}), image, {0, 0, 1, 2}),
              (std::pair<std::string, std::string>{"1.00", "1.000"}));
    EXPECT_EQ(statsText(wordsLE({5, 7, -3, 9}), image, {1, 0, 1, 1}),
              (std::pair<std::string, std::string>{"-3.00", "0.000"}));
}

TEST(RoiStatistics, SampleRuleWrapsSwapsAndReadsBytes) {
    SampleValueRule offset;
    offset.offset = 1;
    EXPECT_EQ(
        statsText(wordsLE({32767}), {0, 1, 1, SampleFormat::Word16}, {0, 0, 1, 1}, offset).first,
        "-32,768.00");
    SampleValueRule swap;
    swap.swap = true;
    EXPECT_EQ(
        statsText(wordsLE({0x0100}), {0, 1, 1, SampleFormat::Word16}, {0, 0, 1, 1}, swap).first,
        "1.00");
    const std::vector<std::uint8_t> bytes = {10, 20, 30, 40};
    EXPECT_EQ(statsText(bytes, {0, 2, 2, SampleFormat::Byte8}, {0, 0, 2, 2}).first, "25.00");
    EXPECT_EQ(statsText(bytes, {0, 2, 2, SampleFormat::Byte8}, {0, 0, 1, 1}, swap).first,
              "2,560.00");
}

// The SD comes from the exact sums of the values: Σ(v - mean)² = (nΣv² - (Σv)²) / n, rounded once.
// Over a 256 x 256 block both sums fit in 64 bits and n is a power of two, so the exact figure is
// known here; a sum of 65536 rounded squares had missed it in the 13th digit. Word16 as stored,
// with an offset, and byte-swapped (the general path).
TEST(RoiStatistics, SdIsTheExactSumOfSquaresRoundedOnce) {
    std::vector<std::int16_t> values(256 * 256);
    std::uint32_t state = 12345;
    for (std::int16_t& v : values) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<std::int16_t>(static_cast<std::int32_t>(state >> 20) - 2048);
    }
    struct Case {
        SampleValueRule rule;
        bool swapped;
    };
    SampleValueRule offset;
    offset.offset = -1024;
    SampleValueRule swap;
    swap.swap = true;
    for (const Case& c : {Case{{}, false}, Case{offset, false}, Case{swap, true}}) {
        SCOPED_TRACE(c.rule.offset);
        std::vector<std::uint8_t> data = wordsLE(values);
        if (c.swapped)
            for (std::size_t i = 0; i + 1 < data.size(); i += 2) std::swap(data[i], data[i + 1]);
        std::int64_t s1 = 0;
        std::uint64_t s2 = 0;
        for (const std::int16_t stored : values) {
            const std::int64_t v = stored + c.rule.offset;
            s1 += v;
            s2 += static_cast<std::uint64_t>(v * v);
        }
        const std::uint64_t n = values.size();
        const std::uint64_t numerator = n * s2 - static_cast<std::uint64_t>(s1 * s1);
        const double squares = std::ldexp(static_cast<double>(numerator), -16);  // / n, exact
        const RoiStatistics s = computeRoiStatistics(
            data.data(), {0, 256, 256, SampleFormat::Word16}, {0, 0, 256, 256}, c.rule);
        EXPECT_EQ(s.mean, static_cast<double>(s1) / 256 / 256);
        EXPECT_EQ(s.sd, std::sqrt(squares / 256 / 256));
    }
}

}  // namespace
}  // namespace ctiq
