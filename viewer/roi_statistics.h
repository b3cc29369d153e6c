#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/number_text.h"
#include "image/roi_block.h"

namespace ctiq {

struct RoiStatistics {
    double mean = 0;
    double sd = 0;  // population form: divided by the number of samples
};

// Mean and standard deviation of the sample values of the block, in two passes. The block must
// have passed requireBlockInside.
RoiStatistics computeRoiStatistics(const std::uint8_t* data, const StoredImageLayout& image,
                                   const RoiBlock& block, const SampleValueRule& rule);

// How the mean and SD are written: as the viewer shows them (2 and 3 decimals with the user's
// separators) or in full for scripts and spreadsheets (FloatToStr).
enum class StatisticsDigits { Shown, Full };
struct RoiStatisticsText {
    std::string mean, sd;
};
RoiStatisticsText roiStatisticsText(const RoiStatistics& s, StatisticsDigits digits,
                                    const NumberSeparators& separators = {});

}  // namespace ctiq
