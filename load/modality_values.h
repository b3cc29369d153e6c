#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/stored_image.h"
#include "load/frame_values.h"

namespace ctiq {

// How one frame's stored samples become the measurements' values. The measurements read a
// sample as signed 16 bits plus an integer offset; where that gives slope × stored + intercept
// exactly for every sample of the frame (slope 1, a whole intercept, every word holding just its
// value — signed and sign-extended, or unsigned below 32768 —, every value within 16 bits) the
// file is read as it is, offset = intercept.
// Otherwise the values are computed here, rounded to whole units (ties to even), as 16-bit
// little-endian words read with offset 0.
struct ModalityValues {
    std::int32_t offset = 0;                // the integer rule's offset (the intercept)
    std::optional<ImageBytes> rescaled;     // the computed values, when the rule cannot serve
    bool rounded = false;                   // some computed value was not whole
};

// How a stored value sits in its 16-bit word: the low `bitsStored` bits, two's complement where
// `isSigned` (Pixel Representation 1, or unknown: read as signed as always). Bits above them are
// not part of the value (a writer may leave them zero, or use them for overlays).
struct SampleCoding {
    bool isSigned = true;
    int bitsStored = 16;
};

// `words`: `count` stored samples as 16-bit words in the file's order (`swap`: big endian).
// Throws AppError naming the rescale and the value when a CT value lies beyond 16 bits.
ModalityValues modalityValues(const std::uint8_t* words, std::size_t count, bool swap,
                              SampleCoding coding, const ModalityRescale& rescale);

}  // namespace ctiq
