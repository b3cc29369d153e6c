#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ctiq::toolkit {

// What the header says of one frame, for checking the compressed stream against it.
struct FrameShape {
    std::int64_t columns = 0, rows = 0;
    std::int64_t bitsAllocated = 0;  // 8 or 16
    std::int64_t samplesPerPixel = 1;
};

enum class Codestream { Jpeg, JpegLs, Jpeg2000, Rle, Other };
Codestream codestreamOf(const std::string& transferSyntaxUid);
// High-Throughput JPEG 2000 (1.2.840.10008.1.2.4.201 to .203), which the toolkit does not know.
bool isHtj2k(const std::string& transferSyntaxUid);

// True when `data` begins a codestream of `kind`: a JPEG start of image, a JPEG 2000 start of
// codestream with its size segment, or a JP2 file's signature. Never for RLE, whose header
// bytes look like any others.
bool startsCodestream(Codestream kind, const std::uint8_t* data, std::size_t size);

// Why a frame's compressed bytes disagree with the header (their own dimensions, sample
// precision, components or decoded length), or nullopt when they agree. The decoders write what
// their stream says into a buffer of the header's size, so a disagreement must never reach them.
std::optional<std::string> codestreamMismatch(Codestream kind, const std::uint8_t* data,
                                              std::size_t size, const FrameShape& shape);

}  // namespace ctiq::toolkit
