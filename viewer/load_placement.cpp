#include "viewer/load_placement.h"

#include <algorithm>

namespace ctiq {

RoiFields defaultRoi(std::int32_t columns, std::int32_t rows) {
    // 256 × 256 at the centre, or the whole image where it is smaller.
    return {columns / 2, rows / 2, std::clamp(columns, 1, 256), std::clamp(rows, 1, 256)};
}

RoiPlacement placeRoi(const StoredImageLayout& image, std::int32_t cx, std::int32_t cy,
                      std::int32_t width, std::int32_t height) {
    RoiPlacement p;
    p.view = computeView(1, image.columns, image.rows, 0, 0);
    p.frame = toBitmapCoordinates(roiFromFields(cx, width, cy, height), p.view.view.left,
                                  p.view.view.top);
    p.block = roiBlock(p.frame, p.view.view.left, p.view.view.top);
    p.imageLeft = p.view.view.left + p.frame.left;
    p.imageTop = p.view.view.top + p.frame.top;
    return p;
}

}  // namespace ctiq
