#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "load/toolkit/codestream_check.h"

namespace ctiq::toolkit {

// The file with its meta group's transfer syntax, an HTJ2K UID, written as JPEG 2000 Lossless
// in the same 24 bytes, so that the toolkit (which does not know HTJ2K) reads the data set and
// its fragments. Nullopt when the element is not where or as long as expected.
std::optional<std::vector<std::uint8_t>> relabelledAsJpeg2000(
    const std::vector<std::uint8_t>& file);

// Decodes one JPEG 2000 or HTJ2K codestream (or JP2 file) with OpenJPEG into `shape`'s samples
// in machine order (bytes for 8 bits, 16-bit words for 16), or says why not. The stream was
// checked against `shape` before; the decoded image is checked again.
std::optional<std::string> decodeWithOpenJpeg(const std::uint8_t* data, std::size_t size,
                                              const FrameShape& shape, std::vector<char>& out);

}  // namespace ctiq::toolkit
