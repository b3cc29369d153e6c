#include "image/roi_block.h"

#include <string>

#include "common/app_error.h"
#include "common/checked.h"

namespace ctiq {

RoiBlock roiBlock(const IntRect& frame, std::int32_t viewLeft, std::int32_t viewTop) {
    RoiBlock b;
    b.nc = checkedAdd(checkedSub(frame.right, frame.left), 1);
    b.nr = checkedAdd(checkedSub(frame.bottom, frame.top), 1);
    b.r0 = checkedAdd(viewTop, frame.top);
    b.c0 = checkedAdd(viewLeft, frame.left);
    return b;
}

void requireBlockInside(const RoiBlock& block, const StoredImageLayout& image,
                        std::size_t bufferSize) {
    if (block.nc <= 0 || block.nr <= 0) {
        throw AppError("The ROI is empty (%1 × %2 samples); drag or type a positive size.",
                       {std::to_string(block.nc), std::to_string(block.nr)});
    }
    requireStoredImageInside(image, bufferSize);
    const std::int64_t lastRow = std::int64_t{block.r0} + block.nr - 1;
    const std::int64_t lastColumn = std::int64_t{block.c0} + block.nc - 1;
    if (block.r0 < 0 || block.c0 < 0 || lastRow >= image.rows || lastColumn >= image.columns) {
        throw AppError(
            "The ROI (rows %1 to %2, columns %3 to %4) reaches outside the image (%5 "
            "rows, %6 columns).",
            {std::to_string(block.r0), std::to_string(lastRow), std::to_string(block.c0),
             std::to_string(lastColumn), std::to_string(image.rows),
             std::to_string(image.columns)});
    }
}

}  // namespace ctiq
