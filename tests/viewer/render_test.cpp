#include "viewer/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/app_error.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

using test::wordsLE;

struct ViewCase {
    double m;
    std::int32_t columns, rows, shiftX, shiftY;
    IntRect view;
    bool wide;
    std::int32_t bitmapWidth, bitmapHeight;
};

class ComputeViewTest : public ::testing::TestWithParam<ViewCase> {};

TEST_P(ComputeViewTest, CentresTheViewAndSizesTheBitmap) {
    const ViewCase& c = GetParam();
    const ViewLayout l = computeView(c.m, c.columns, c.rows, c.shiftX, c.shiftY);
    EXPECT_EQ(l.view, c.view);
    EXPECT_EQ(l.wide, c.wide);
    EXPECT_EQ(l.bitmapWidth, c.bitmapWidth);
    EXPECT_EQ(l.bitmapHeight, c.bitmapHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComputeViewTest,
    ::testing::Values(ViewCase{1, 512, 512, 0, 0, {0, 0, 511, 511}, false, 512, 512},
                      ViewCase{2, 512, 512, 0, 0, {128, 128, 383, 383}, true, 256, 256},
                      ViewCase{1, 1024, 512, 0, 0, {256, 0, 767, 511}, true, 512, 512},
                      ViewCase{1, 256, 512, 0, 0, {0, 0, 255, 511}, false, 256, 512},
                      // A positive X shift moves the view left, a positive Y shift down.
                      ViewCase{2, 512, 512, 10, 10, {108, 148, 363, 403}, true, 256, 256},
                      ViewCase{1.1, 512, 512, 0, 0, {23, 23, 487, 487}, true, 465, 465},
                      ViewCase{0.95, 100, 100, 0, 0, {-2, -2, 102, 102}, false, 105, 105}));

TEST(ComputeView, ZeroMagnificationIsADivisionByZero) {
    try {
        computeView(0, 512, 512, 0, 0);
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "0 による浮動小数点数除算");
    }
}

TEST(RequireDrawableBitmap, RefusesNegativeOrHugeBitmaps) {
    EXPECT_NO_THROW(requireDrawableBitmap(computeView(1, 2048, 2048, 0, 0)));
    EXPECT_THROW(requireDrawableBitmap(computeView(-1, 512, 512, 0, 0)), AppError);
    EXPECT_THROW(requireDrawableBitmap(computeView(0.001, 2048, 2048, 0, 0)), AppError);
}

DisplayBitmap paint(const std::vector<std::uint8_t>& data, StoredImageLayout image,
                    GreyWindow window, PaintOptions options, double m = 1) {
    const ViewLayout layout = computeView(m, image.columns, image.rows, 0, 0);
    DisplayBitmap bitmap;
    bitmap.resize(layout.bitmapWidth, layout.bitmapHeight);
    options.format = image.format;
    paintView(data.data(), data.size(), image, layout, window, options, bitmap);
    return bitmap;
}

TEST(PaintView, MapsSamplesThroughTheWindow) {
    // 2 → 0.5 → 128 (tie to even), 6 → 1.5 → 130, 512 → 256 → clamped 255, -512 → 0.
    // One column, so the image is not wide and every sample is shown.
    const auto data = wordsLE({2, 6, 512, -512, 0, 1});
    const DisplayBitmap b = paint(data, {0, 1, 6, SampleFormat::Word16}, {0, 1024}, {});
    EXPECT_EQ(b.pixels, (std::vector<std::uint8_t>{128, 130, 255, 0, 128, 128}));
}

TEST(PaintView, EveryWordMatchesTheExtendedPrecisionFormula) {
    // All 65536 stored words in a 256 × 256 image, through several windows and offsets.
    std::vector<std::int16_t> words(65536);
    for (int k = 0; k < 65536; ++k) words[k] = static_cast<std::int16_t>(k - 32768);
    const auto data = wordsLE(words);
    const StoredImageLayout image{0, 256, 256, SampleFormat::Word16};
    struct Window {
        std::int32_t level, width, offset;
    };
    for (const Window w : {Window{0, 1024, 0}, Window{40, 400, -1024}, Window{-7, 3, 5},
                           Window{1000, 4095, 0}, Window{0, -5, 0}, Window{0, 1, 0},
                           Window{300000000, 7, 0}, Window{-1000000000, 1000000007, 0}}) {
        PaintOptions options;
        options.offset = w.offset;
        const DisplayBitmap b = paint(data, image, {w.level, w.width}, options);
        const float scale = static_cast<float>(256.0L / w.width);
        for (int k = 0; k < 65536; ++k) {
            const long double d = static_cast<long double>(k - 32768) + w.offset - w.level;
            const long double r = std::nearbyint(d * scale);
            const long double expected = std::clamp<long double>(r + 128, 0, 255);
            ASSERT_EQ(b.pixels[k], expected) << "word " << k - 32768 << " width " << w.width;
        }
    }
}

TEST(PaintView, HeaderOffsetSwapInvertAndSignedWords) {
    std::vector<std::uint8_t> data = {0xAA, 0xBB, 0xBB};  // a 3-byte header
    const auto words = wordsLE({-1, 0x0100, 100});
    data.insert(data.end(), words.begin(), words.end());
    StoredImageLayout image{3, 1, 3, SampleFormat::Word16};

    // 0xFFFF is -1; width 2 gives scale 128.
    EXPECT_EQ(paint(data, image, {0, 2}, {}).pixels, (std::vector<std::uint8_t>{0, 255, 255}));
    PaintOptions swapped;
    swapped.swap = true;  // 0x0100 reads as 1, 0xFFFF stays -1, 100 becomes 0x6400
    EXPECT_EQ(paint(data, image, {0, 2}, swapped).pixels, (std::vector<std::uint8_t>{0, 255, 255}));
    PaintOptions offset;
    offset.offset = -100;  // 100 - 100 = 0 is the level: grey 128, inverted 127
    offset.invert = true;
    EXPECT_EQ(paint(data, image, {0, 1024}, offset).pixels[2], 127);
}

TEST(PaintView, EightBitSamplesAndSwapToHighByte) {
    const std::vector<std::uint8_t> data = {200, 0, 4};
    StoredImageLayout image{0, 1, 3, SampleFormat::Byte8};
    EXPECT_EQ(paint(data, image, {0, 1024}, {}).pixels, (std::vector<std::uint8_t>{178, 128, 129}));
    PaintOptions swapped;
    swapped.swap = true;  // 200·256 reads as -14336; 4·256 = 1024 → 256 → 255
    EXPECT_EQ(paint(data, image, {0, 1024}, swapped).pixels,
              (std::vector<std::uint8_t>{0, 128, 255}));
}

TEST(PaintView, MagnifiedViewShowsTheCentrePixelByPixel) {
    std::vector<std::int16_t> words(16);
    for (int i = 0; i < 16; ++i) words[i] = static_cast<std::int16_t>(i * 8);
    // m = 2 on 4 × 4: view columns and rows 1..2; width 256 → one grey step per sample unit.
    const DisplayBitmap b = paint(wordsLE(words), {0, 4, 4, SampleFormat::Word16}, {0, 256}, {}, 2);
    ASSERT_EQ(b.width, 2);
    ASSERT_EQ(b.height, 2);
    EXPECT_EQ(b.pixels, (std::vector<std::uint8_t>{128 + 40, 128 + 48, 128 + 72, 128 + 80}));
}

TEST(PaintView, ViewBeyondTheImageLeavesTheRestBlack) {
    const auto data = wordsLE({10, 10, 10, 10});
    StoredImageLayout image{0, 2, 2, SampleFormat::Word16};
    const ViewLayout layout = computeView(0.5, 2, 2, 0, 0);  // 4 × 4 bitmap, view from -1
    DisplayBitmap b;
    b.resize(layout.bitmapWidth, layout.bitmapHeight);
    paintView(data.data(), data.size(), image, layout, {10, 100}, {}, b);
    EXPECT_EQ(b.pixels,
              (std::vector<std::uint8_t>{128, 128, 0, 0, 128, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PaintView, RefusesFieldsThatDescribeMoreThanTheBuffer) {
    const auto data = wordsLE({1, 2, 3});
    DisplayBitmap b;
    b.resize(2, 2);
    const ViewLayout layout = computeView(1, 2, 2, 0, 0);
    for (const StoredImageLayout& bad :
         {StoredImageLayout{0, 2, 2, SampleFormat::Word16},
          StoredImageLayout{3, 2, 1, SampleFormat::Word16},
          StoredImageLayout{-2, 1, 1, SampleFormat::Word16},
          StoredImageLayout{0, -2, 2, SampleFormat::Word16},
          StoredImageLayout{0, 2147483647, 2147483647, SampleFormat::Word16},
          StoredImageLayout{9223372036854775807LL, 1, 1, SampleFormat::Byte8}}) {
        EXPECT_THROW(paintView(data.data(), data.size(), bad, layout, {0, 1}, {}, b), AppError);
    }
    try {
        paintView(data.data(), data.size(), {4, 2, 2, SampleFormat::Word16}, layout, {0, 1}, {}, b);
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("header 4 + 2 × 2 × 2 bytes"), std::string::npos)
            << e.what();
    }
}

TEST(PaintView, WindowArithmeticOverflowIsAnErrorOnlyForShownSamples) {
    const auto data = wordsLE({1});
    PaintOptions options;
    options.offset = 2147483647;
    EXPECT_THROW(paint(data, {0, 1, 1, SampleFormat::Word16}, {0, 1}, options), AppError);
    options.offset = 2147483600;  // 1 + offset fits, the level brings it back
    EXPECT_EQ(paint(data, {0, 1, 1, SampleFormat::Word16}, {2147483601, 2}, options).pixels[0],
              128);
}

TEST(ImageControlGeometry, KeepsTheAspectIn512Pixels) {
    EXPECT_EQ(imageControlGeometry(512, 512, false).width, 512);
    EXPECT_EQ(imageControlGeometry(512, 512, false).left, 0);
    EXPECT_EQ(imageControlGeometry(256, 512, false).width, 256);
    EXPECT_EQ(imageControlGeometry(256, 512, false).left, 128);
    EXPECT_EQ(imageControlGeometry(1024, 512, true).width, 512);
    EXPECT_THROW(imageControlGeometry(512, 0, false), AppError);
}

TEST(RoiFromFields, EvenSizesPutTheCentreRightOfTheMiddle) {
    EXPECT_EQ(roiFromFields(256, 64, 256, 64), (IntRect{224, 224, 287, 287}));
    EXPECT_EQ(roiFromFields(10, 5, 20, 1), (IntRect{8, 20, 12, 20}));
    EXPECT_EQ(toBitmapCoordinates({224, 224, 287, 287}, 128, 100), (IntRect{96, 124, 159, 187}));
}

int countChanged(const DisplayBitmap& a, const DisplayBitmap& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

TEST(DrawRoiFrame, OneDottedOutlineOutsideTheRoiThatDrawingTwiceRemoves) {
    DisplayBitmap bitmap;
    bitmap.resize(16, 16);
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i) bitmap.pixels[i] = 40;
    const DisplayBitmap before = bitmap;
    const IntRect roi{4, 4, 9, 9};
    drawRoiFrame(bitmap, roi);
    // The outline runs along columns 3 and 9 and rows 3 and 9, every other pixel inverted.
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool onOutline = ((x == 3 || x == 9) && y >= 3 && y <= 9) ||
                                   ((y == 3 || y == 9) && x >= 3 && x <= 9);
            const bool inverted = onOutline && (x + y) % 2 == 0;
            EXPECT_EQ(bitmap.at(x, y), inverted ? 168 : 40) << x << "," << y;
        }
    }
    drawRoiFrame(bitmap, roi);
    EXPECT_EQ(bitmap.pixels, before.pixels);
}

// Whatever the grey under it, mid-grey noise included, a frame pixel is half the scale away.
TEST(DrawRoiFrame, ContrastsWithEveryGrey) {
    for (int grey = 0; grey < 256; ++grey) {
        DisplayBitmap bitmap;
        bitmap.resize(8, 8);
        std::fill(bitmap.pixels.begin(), bitmap.pixels.end(), static_cast<std::uint8_t>(grey));
        drawRoiFrame(bitmap, {2, 2, 5, 5});
        EXPECT_EQ(std::abs(bitmap.at(1, 1) - grey), 128) << grey;
    }
}

TEST(DrawRoiFrame, TallBitmapsGetNestedOutlinesInsideAndOutside) {
    DisplayBitmap bitmap;
    bitmap.resize(1024, 1024);
    const DisplayBitmap before = bitmap;
    drawRoiFrame(bitmap, {100, 100, 199, 199});
    // n = 2: outlines at offsets -2, -1, 1, 2 touch rows 98, 99 and 101, 102 on the left edge.
    EXPECT_NE(bitmap.at(98, 150 + (98 % 2)), 0);
    EXPECT_NE(bitmap.at(99, 151), 0);
    EXPECT_NE(bitmap.at(101, 151), 0);
    EXPECT_NE(bitmap.at(102, 150), 0);
    EXPECT_EQ(bitmap.at(100, 150), 0);
    EXPECT_EQ(bitmap.at(100, 151), 0);
    drawRoiFrame(bitmap, {100, 100, 199, 199});
    EXPECT_EQ(countChanged(bitmap, before), 0);
}

TEST(DrawRoiFrame, FramesOutsideTheBitmapAreClipped) {
    DisplayBitmap bitmap;
    bitmap.resize(8, 8);
    drawRoiFrame(bitmap, {-100, -100, 2000000000, 2000000000});
    drawRoiFrame(bitmap, {5, 5, 2, 2});  // corners out of order: nothing to draw
    EXPECT_EQ(countChanged(bitmap, DisplayBitmap{8, 8, std::vector<std::uint8_t>(64, 0)}), 0);
}

}  // namespace
}  // namespace ctiq
