#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/roi_block.h"

namespace ctiq {

// The name of a trimmed ROI file: the chosen path cut before its first ".", then the column
// count, the row count and the spacing with "p" for its first ".", and ".bin".
std::string trimmedFileName(std::string_view chosenPath, std::int32_t columns, std::int32_t rows,
                            std::string_view spacingText);

// The block's samples as 16-bit words, rows from the top: stored words byte for byte (the
// source's byte order), 8-bit samples as little-endian words of their byte. The block must have
// passed requireBlockInside.
std::vector<std::uint8_t> trimmedSamples(const std::uint8_t* data, const StoredImageLayout& image,
                                         const RoiBlock& block);

}  // namespace ctiq
