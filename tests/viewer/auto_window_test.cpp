#include "viewer/auto_window.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "tests/support/test_files.h"
#include "viewer/load_placement.h"

namespace ctiq {
namespace {

using test::wordsLE;

// A square image whose central half holds `inside(r, c)` and whose border holds extremes that the
// automatic window must not see.
std::vector<std::uint8_t> framedImage(int n, std::int16_t (*inside)(int, int)) {
    std::vector<std::int16_t> words(static_cast<std::size_t>(n) * n, 30000);
    const int q = n / 4;
    for (int r = q; r < 3 * q; ++r)
        for (int c = q; c < 3 * q; ++c) words[static_cast<std::size_t>(r) * n + c] = inside(r, c);
    words[0] = -30000;
    return wordsLE(words);
}

GreyWindow autoWindow(const std::vector<std::uint8_t>& data, int n, SampleValueRule rule = {}) {
    const auto w =
        computeAutoWindow(data.data(), data.size(), {0, n, n, SampleFormat::Word16}, rule);
    EXPECT_TRUE(w.has_value());
    return w.value_or(GreyWindow{});
}

TEST(AutoWindow, WidthIsOneLessThanTheRangeOfTheCentralHalf) {
    const auto data = framedImage(512, [](int r, int c) {
        return static_cast<std::int16_t>(100 + (r - 128) * 4 + (c - 128) / 64);
    });
    // Rows 128..383 give 100 .. 100 + 255·4 + 3 = 1123.
    const GreyWindow w = autoWindow(data, 512);
    EXPECT_EQ(w.width, 1123 - 100 - 1);
    EXPECT_EQ(w.level, (1123 + 100) / 2);
}

TEST(AutoWindow, RangeExamples) {
    auto corners = [](int r, int c) -> std::int16_t {
        return (r == 128 && c == 128) ? 100 : (r == 383 && c == 383 ? 1100 : 500);
    };
    EXPECT_EQ(autoWindow(framedImage(512, corners), 512).width, 999);
    EXPECT_EQ(autoWindow(framedImage(512, corners), 512).level, 600);
    const GreyWindow constant =
        autoWindow(framedImage(16, [](int, int) -> std::int16_t { return 7; }), 16);
    EXPECT_EQ(constant.width, -1);
    EXPECT_EQ(constant.level, 7);
    const GreyWindow span1 =
        autoWindow(framedImage(16, [](int r, int) -> std::int16_t { return r % 2 ? -3 : -2; }), 16);
    EXPECT_EQ(span1.width, 0);
    EXPECT_EQ(span1.level, -2);  // (-2 + -3) div 2 truncates toward zero
}

TEST(AutoWindow, RegionFor510IsRows127To380) {
    std::vector<std::int16_t> words(510 * 510, 0);
    words[127 * 510 + 127] = -5;    // inside, first sample
    words[380 * 510 + 380] = 50;    // inside, last sample
    words[381 * 510 + 381] = 999;   // outside
    words[126 * 510 + 200] = -999;  // outside
    const GreyWindow w = autoWindow(wordsLE(words), 510);
    EXPECT_EQ(w.width, 54);
    EXPECT_EQ(w.level, 22);
}

TEST(AutoWindow, SampleRuleAppliesSwapOffsetAndWrap) {
    const auto data =
        framedImage(8, [](int r, int) -> std::int16_t { return r == 2 ? 32767 : 0x0100; });
    SampleValueRule offsetByOne;
    offsetByOne.offset = 1;  // 32767 + 1 wraps to -32768; 256 + 1 = 257
    GreyWindow w = autoWindow(data, 8, offsetByOne);
    EXPECT_EQ(w.width, 257 - (-32768) - 1);
    SampleValueRule swapped;
    swapped.swap = true;  // 0x7FFF becomes 0xFF7F = -129; 0x0100 becomes 1
    w = autoWindow(data, 8, swapped);
    EXPECT_EQ(w.width, 1 - (-129) - 1);
}

TEST(AutoWindow, EightBitSamplesAreBytes) {
    std::vector<std::uint8_t> bytes(8 * 8, 255);
    for (int r = 2; r < 6; ++r)
        for (int c = 2; c < 6; ++c) bytes[r * 8 + c] = static_cast<std::uint8_t>(10 + r + c);
    SampleValueRule rule;
    rule.format = SampleFormat::Byte8;
    const auto w =
        computeAutoWindow(bytes.data(), bytes.size(), {0, 8, 8, SampleFormat::Byte8}, rule);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->width, (10 + 10) - (10 + 4) - 1);
    EXPECT_EQ(w->level, (20 + 14) / 2);
}

TEST(AutoWindow, TooSmallImageHasNoWindowAndOutOfBufferIsRefused) {
    const auto data = wordsLE(std::vector<std::int16_t>(9, 1));
    EXPECT_FALSE(computeAutoWindow(data.data(), data.size(), {0, 3, 3, SampleFormat::Word16}, {}));
    EXPECT_FALSE(computeAutoWindow(data.data(), data.size(), {0, 9, 1, SampleFormat::Word16}, {}));
    EXPECT_THROW(computeAutoWindow(data.data(), data.size(), {0, 4, 4, SampleFormat::Word16}, {}),
                 AppError);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The window a DICOM file states, as the viewer takes it: rounded, first values, a width of 1 or
// more; anything else states none.
TEST(FileWindow, ReadsTheFilesDecimalTexts) {
    struct Case {
        std::optional<std::string> centre, width;
        std::optional<GreyWindow> expected;
    };
    const Case cases[] = {
        {"40", "400", GreyWindow{40, 400}},   {" -83.5", "350.4 ", GreyWindow{-84, 350}},
        {"+1e3", "10", GreyWindow{1000, 10}}, {"40", "0", std::nullopt},
        {"40", "-5", std::nullopt},           {"abc", "400", std::nullopt},
        {"40 x", "400", std::nullopt},        {std::nullopt, "400", std::nullopt},
        {"40", std::nullopt, std::nullopt},   {"", "400", std::nullopt},
        {"1e300", "400", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileWindow(c.centre, c.width), c.expected)
            << c.centre.value_or("-") << " " << c.width.value_or("-");
}

}  // namespace
}  // namespace ctiq
