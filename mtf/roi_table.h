#pragma once

#include "image/roi_block.h"
#include "mtf/pixel_table.h"

namespace ctiq {

// The ROI's sample values as the MTF window's pixel table: (nc + 1) × (nr + 1) cells, column
// labels frame.left + j in row 0, row labels frame.top + i in column 0, sample (i, j) of the
// block in cell (j + 1, i + 1), all as plain integers. The block must have passed
// requireBlockInside.
PixelTable roiPixelTable(const std::uint8_t* data, const StoredImageLayout& image,
                         const RoiBlock& block, const IntRect& frame, const SampleValueRule& rule);

}  // namespace ctiq
