#pragma once

#include <cstddef>
#include <cstdint>

#include "image/int_rect.h"
#include "image/stored_image.h"

namespace ctiq {

// The stored samples under the ROI frame: nr rows from stored row r0 and nc columns from stored
// column c0, exactly the samples the frame encloses. Statistics, trimming, "toMTF" and the
// spectrum all take this block.
struct RoiBlock {
    std::int32_t r0 = 0;
    std::int32_t c0 = 0;
    std::int32_t nr = 0;
    std::int32_t nc = 0;
    bool operator==(const RoiBlock&) const = default;
};

// The stored samples under a frame drawn in a view whose first column and row are viewLeft and
// viewTop: the one place where the ROI's corner is the view's corner plus the frame's.
RoiBlock roiBlock(const IntRect& frame, std::int32_t viewLeft, std::int32_t viewTop);

// Throws AppError with a clear message unless the block is non-empty, lies inside the stored
// image, and the stored image lies inside the buffer.
void requireBlockInside(const RoiBlock& block, const StoredImageLayout& image,
                        std::size_t bufferSize);

// Offset in the buffer of sample (row, column) of the stored image.
inline std::size_t sampleOffset(const StoredImageLayout& image, std::int64_t row,
                                std::int64_t column) {
    return static_cast<std::size_t>(image.header) +
           static_cast<std::size_t>(row * image.columns + column) *
               static_cast<std::size_t>(sampleBytes(image.format));
}

}  // namespace ctiq
