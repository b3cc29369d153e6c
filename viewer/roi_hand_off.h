#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

#include "image/int_rect.h"
#include "image/roi_block.h"
#include "image/stored_image.h"

namespace ctiq {

// What "toMTF" hands on: the ROI's samples as the viewer reads them, and the fields the MTF
// window primes from it. The bytes belong to the viewer and stay valid while the hand-off runs.
struct RoiHandOff {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    StoredImageLayout image;
    RoiBlock block;
    IntRect frame;
    SampleValueRule rule;
    QString spacing;
};

}  // namespace ctiq
