#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/app_error.h"
#include "load/dicom/dicom_header.h"

namespace ctiq {

// The values of frame `frame` (0-based) as the file gives them: each from the frame's own
// functional group, else the shared group, else the data set.
FrameValueTexts frameValueTexts(const DicomHeaderResult& header, std::size_t frame);

// The modality rescale: CT value = slope × stored value + intercept.
struct ModalityRescale {
    long double slope = 1, intercept = 0;
    std::string slopeText = "1", interceptText = "0";  // as written, for messages and results
};

// The rescale of the given values (slope 1 and intercept 0 where unset). Throws AppError naming
// a value that cannot be used: not a number, NaN, infinite, a slope of 0, an intercept or slope
// whose CT values no 16-bit sample could hold.
ModalityRescale modalityRescale(const FrameValueTexts& values);

// The frame count the header gives (Number of Frames, 1 where unset).
std::int64_t frameCount(const DicomImageFacts& image);

// Why the header's pixel description cannot be measured (several samples per pixel, a colour
// photometric, bit counts that contradict each other), or none when it can.
std::optional<AppError> pixelDescriptionProblem(const DicomImageFacts& image);

}  // namespace ctiq
