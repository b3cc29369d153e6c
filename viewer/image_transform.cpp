#include "viewer/image_transform.h"

#include <algorithm>
#include <string>

#include "common/app_error.h"
#include "image/roi_block.h"

namespace ctiq {
namespace {

void swapSamples(std::uint8_t* a, std::uint8_t* b, int bytes) {
    for (int k = 0; k < bytes; ++k) std::swap(a[k], b[k]);
}

}  // namespace

void flipVertical(std::uint8_t* data, std::size_t size, const StoredImageLayout& image) {
    requireStoredImageInside(image, size);
    const int b = sampleBytes(image.format);
    const std::size_t rowBytes = static_cast<std::size_t>(image.columns) * b;
    for (std::int32_t i = 0; i < image.rows / 2; ++i) {
        std::uint8_t* top = data + sampleOffset(image, i, 0);
        std::uint8_t* bottom = data + sampleOffset(image, image.rows - 1 - i, 0);
        std::swap_ranges(top, top + rowBytes, bottom);
    }
}

void flipHorizontal(std::uint8_t* data, std::size_t size, const StoredImageLayout& image) {
    requireStoredImageInside(image, size);
    const int b = sampleBytes(image.format);
    for (std::int32_t r = 0; r < image.rows; ++r) {
        std::uint8_t* row = data + sampleOffset(image, r, 0);
        for (std::int32_t i = 0; i < image.columns / 2; ++i)
            swapSamples(row + std::size_t(i) * b, row + std::size_t(image.columns - 1 - i) * b, b);
    }
}

IntRect rotationSquare(const IntRect& region, const StoredImageLayout& image,
                       std::size_t bufferSize) {
    requireStoredImageInside(image, bufferSize);
    if (region.left < 0 || region.top < 0 || region.right >= image.columns ||
        region.bottom >= image.rows || region.right < region.left || region.bottom < region.top) {
        throw AppError(
            "The shown part of the image (rows %1 to %2, columns %3 to %4) reaches "
            "outside the image; set the magnification to 1.0 or more and the shift to "
            "0 to turn it.",
            {std::to_string(region.top), std::to_string(region.bottom), std::to_string(region.left),
             std::to_string(region.right)});
    }
    const std::int64_t width = std::int64_t{region.right} - region.left + 1;
    const std::int64_t height = std::int64_t{region.bottom} - region.top + 1;
    const std::int64_t side = std::min(width, height);
    IntRect square;
    square.left = static_cast<std::int32_t>(region.left + (width - side) / 2);
    square.top = static_cast<std::int32_t>(region.top + (height - side) / 2);
    square.right = static_cast<std::int32_t>(square.left + side - 1);
    square.bottom = static_cast<std::int32_t>(square.top + side - 1);
    return square;
}

void rotateSquare(std::uint8_t* data, const StoredImageLayout& image, const IntRect& square,
                  Turn turn) {
    const int b = sampleBytes(image.format);
    const std::int64_t T = square.top, B = square.bottom, L = square.left, R = square.right;
    auto at = [&](std::int64_t r, std::int64_t c) { return data + sampleOffset(image, r, c); };
    std::uint8_t saved[2];
    for (std::int64_t i = 0; i <= (B - T + 1) / 2; ++i) {
        for (std::int64_t j = i; j <= R - L - 1 - i; ++j) {
            std::uint8_t* a = at(T + i, L + j);
            std::uint8_t* leftEdge = at(B - j, L + i);
            std::uint8_t* bottomEdge = at(B - i, R - j);
            std::uint8_t* rightEdge = at(T + j, R - i);
            std::copy_n(a, b, saved);
            if (turn == Turn::CounterClockwise) {
                // a → left, left → bottom, bottom → right, right → a
                std::copy_n(rightEdge, b, a);
                std::copy_n(bottomEdge, b, rightEdge);
                std::copy_n(leftEdge, b, bottomEdge);
                std::copy_n(saved, b, leftEdge);
            } else {
                // a → right, right → bottom, bottom → left, left → a
                std::copy_n(leftEdge, b, a);
                std::copy_n(bottomEdge, b, leftEdge);
                std::copy_n(rightEdge, b, bottomEdge);
                std::copy_n(saved, b, rightEdge);
            }
        }
    }
}

}  // namespace ctiq
