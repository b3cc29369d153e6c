#include "viewer/image_transform.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

using test::wordsLE;

std::vector<std::uint8_t> sequence(int n, int start = 1) {
    std::vector<std::int16_t> words(n);
    for (int i = 0; i < n; ++i) words[i] = static_cast<std::int16_t>(start + i);
    return wordsLE(words);
}

TEST(Flips, MirrorTheWholeImageAndUndoThemselves) {
    const StoredImageLayout image{2, 3, 3, SampleFormat::Word16};
    std::vector<std::uint8_t> data = {0xAA, 0xBB};
    const auto words = sequence(9);
    data.insert(data.end(), words.begin(), words.end());
    const auto original = data;

    flipVertical(data.data(), data.size(), image);
    std::vector<std::uint8_t> expected = {0xAA, 0xBB};
    for (int w : {7, 8, 9, 4, 5, 6, 1, 2, 3}) expected.insert(expected.end(), {std::uint8_t(w), 0});
    EXPECT_EQ(data, expected);
    flipVertical(data.data(), data.size(), image);
    EXPECT_EQ(data, original);

    flipHorizontal(data.data(), data.size(), image);
    expected = {0xAA, 0xBB};
    for (int w : {3, 2, 1, 6, 5, 4, 9, 8, 7}) expected.insert(expected.end(), {std::uint8_t(w), 0});
    EXPECT_EQ(data, expected);
    flipHorizontal(data.data(), data.size(), image);
    EXPECT_EQ(data, original);
}

TEST(Flips, EightBitImagesMoveBytesAndNothingOutsideTheImage) {
    std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 99};  // one byte after the image
    flipHorizontal(data.data(), data.size(), {0, 3, 2, SampleFormat::Byte8});
    EXPECT_EQ(data, (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4, 99}));
    EXPECT_THROW(flipVertical(data.data(), data.size(), {0, 4, 2, SampleFormat::Word16}), AppError);
}

TEST(Rotations, TwoByTwo) {
    const StoredImageLayout image{0, 2, 2, SampleFormat::Word16};
    auto data = sequence(4);  // rows (1, 2), (3, 4)
    rotateSquare(data.data(), image, {0, 0, 1, 1}, Turn::CounterClockwise);
    EXPECT_EQ(data, wordsLE({2, 4, 1, 3}));
    data = sequence(4);
    rotateSquare(data.data(), image, {0, 0, 1, 1}, Turn::Clockwise);
    EXPECT_EQ(data, wordsLE({3, 1, 4, 2}));
}

TEST(Rotations, InverseAndFourTurnsRestoreAndCcwMovesRcToNMinus1MinusCR) {
    const int n = 5;
    const StoredImageLayout image{0, n, n, SampleFormat::Word16};
    const auto original = sequence(n * n);
    auto data = original;
    rotateSquare(data.data(), image, {0, 0, n - 1, n - 1}, Turn::CounterClockwise);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            EXPECT_EQ(data[2 * ((n - 1 - c) * n + r)], original[2 * (r * n + c)]);
    rotateSquare(data.data(), image, {0, 0, n - 1, n - 1}, Turn::Clockwise);
    EXPECT_EQ(data, original);
    for (int k = 0; k < 4; ++k)
        rotateSquare(data.data(), image, {0, 0, n - 1, n - 1}, Turn::Clockwise);
    EXPECT_EQ(data, original);
}

TEST(Rotations, OnlyTheRegionTurns) {
    const StoredImageLayout image{0, 8, 8, SampleFormat::Word16};
    const auto original = sequence(64);
    auto data = original;
    rotateSquare(data.data(), image, {2, 2, 5, 5}, Turn::CounterClockwise);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            const bool inside = r >= 2 && r <= 5 && c >= 2 && c <= 5;
            if (!inside) {
                EXPECT_EQ(data[2 * (r * 8 + c)], original[2 * (r * 8 + c)]) << r << c;
            }
        }
    }
    EXPECT_EQ(data[2 * (5 * 8 + 2)], original[2 * (2 * 8 + 2)]);  // top-left went bottom-left
}

TEST(RotationSquare, NonSquareRegionsTurnTheirCentredSquareAndOutsideIsRefused) {
    const auto data = sequence(256 * 512);
    const StoredImageLayout tall{0, 256, 512, SampleFormat::Word16};
    EXPECT_EQ(rotationSquare({0, 0, 255, 511}, tall, data.size()), (IntRect{0, 128, 255, 383}));
    EXPECT_EQ(rotationSquare({10, 10, 20, 20}, tall, data.size()), (IntRect{10, 10, 20, 20}));
    for (const IntRect& outside :
         {IntRect{-1, 0, 254, 255}, IntRect{0, 0, 256, 255}, IntRect{0, 300, 255, 555}})
        EXPECT_THROW(rotationSquare(outside, tall, data.size()), AppError);
}

}  // namespace
}  // namespace ctiq
