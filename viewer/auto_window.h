#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/stored_image.h"
#include "viewer/render.h"

namespace ctiq {

// The grey window from the central half of the image (rows and columns from a quarter to three
// quarters): width max - min - 1, level (max + min) div 2. Empty when the image has fewer than 4
// rows or columns. The stored image must lie inside `data`.
std::optional<GreyWindow> computeAutoWindow(const std::uint8_t* data, std::size_t size,
                                            const StoredImageLayout& image,
                                            const SampleValueRule& rule);

}  // namespace ctiq
