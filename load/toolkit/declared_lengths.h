#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq::toolkit {

// True when every element of the file declares a length that fits in the bytes that remain
// (sequences and items are entered, not skipped; a UN value of undefined length is read as an
// implicit VR little-endian sequence, as DICOM has it). The toolkit allocates a value's
// declared length before it reads it: a small file must not make it allocate gigabytes, nor may
// it guess at a VR it does not know. `syntax` receives the meta group's transfer syntax (empty
// without one). A deflated data set cannot be walked here and passes. Sequences nested deeper, or
// more elements, than any real file has do not fit either: the toolkit's walk of such a file takes
// seconds to minutes. `why`, when given, receives the reason.
// The image a data set declares at its top level: what decoding one frame of it takes.
struct DeclaredImage {
    std::uint32_t rows = 0, columns = 0, bitsAllocated = 0, samplesPerPixel = 1;
    std::uint64_t frames = 1;
    std::uint64_t frameBytes() const;
    std::uint64_t frameSamples() const;
};

// Frames larger than this are refused by name: no CT image comes near (a 4096 × 4096 slice of
// 16-bit samples is 32 MiB), and a small file that declares one must not make the toolkit try.
constexpr std::uint64_t kMaxFrameBytes = std::uint64_t{1} << 30;

bool declaredLengthsFit(const std::vector<std::uint8_t>& bytes, std::string& syntax,
                        std::string* why = nullptr, DeclaredImage* image = nullptr);

}  // namespace ctiq::toolkit
