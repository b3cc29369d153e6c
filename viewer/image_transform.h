#pragma once

#include <cstdint>

#include "image/int_rect.h"
#include "image/stored_image.h"

namespace ctiq {

// Mirrors the whole stored image in place, top to bottom or left to right. Whole samples move
// (one byte in 8-bit images, one word otherwise); values are not looked at.
void flipVertical(std::uint8_t* data, std::size_t size, const StoredImageLayout& image);
void flipHorizontal(std::uint8_t* data, std::size_t size, const StoredImageLayout& image);

enum class Turn { CounterClockwise, Clockwise };

// The square that a quarter turn of `region` (inclusive stored rows and columns) turns: the
// region itself when square, else the largest square centred in it. Throws AppError when the
// region leaves the stored image.
IntRect rotationSquare(const IntRect& region, const StoredImageLayout& image,
                       std::size_t bufferSize);

// Turns the square (from rotationSquare) a quarter turn in place, ring by ring.
void rotateSquare(std::uint8_t* data, const StoredImageLayout& image, const IntRect& square,
                  Turn turn);

}  // namespace ctiq
