#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/roi_block.h"
#include "image/stored_image.h"
#include "viewer/render.h"

namespace ctiq {

// Where a load puts the window and the ROI, for the viewer and ctiq-cli alike.

// The window a load writes before the automatic window sets its own (which it keeps when the
// image is too small for one).
inline constexpr GreyWindow kDefaultWindow{512, 1024};

// The window a DICOM file states for its image (Window Center and Width, their first values), in
// the viewer's units: sample plus rescale intercept, which are the file's own units for a rescale
// slope of 1, as CT images write. None when the file states none, or no width of at least 1.
std::optional<GreyWindow> fileWindow(const std::optional<std::string>& centre,
                                     const std::optional<std::string>& width);

// The ROI a load places unless "Lock" is ticked: centred, 256 × 256, or the whole image on a side
// shorter than 256.
struct RoiFields {
    std::int32_t centreX = 0, centreY = 0, width = 0, height = 0;
};
RoiFields defaultRoi(std::int32_t columns, std::int32_t rows);

// The ROI of centre (cx, cy) and size w × h as the viewer draws it at magnification 1 without
// shift: the view, the frame in display coordinates, the block the statistics take, and the
// image position of the frame's top-left sample.
struct RoiPlacement {
    ViewLayout view;
    IntRect frame;
    RoiBlock block;
    std::int32_t imageLeft = 0, imageTop = 0;
};
RoiPlacement placeRoi(const StoredImageLayout& image, std::int32_t cx, std::int32_t cy,
                      std::int32_t width, std::int32_t height);

}  // namespace ctiq
