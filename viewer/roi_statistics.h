#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/roi_block.h"

namespace ctiq {

struct RoiStatistics {
    double mean = 0;
    double sd = 0;  // population form: divided by the number of samples
};

// Mean and standard deviation of the sample values of the block, in two passes. The block must
// have passed requireBlockInside.
RoiStatistics computeRoiStatistics(const std::uint8_t* data, const StoredImageLayout& image,
                                   const RoiBlock& block, const SampleValueRule& rule);

}  // namespace ctiq
