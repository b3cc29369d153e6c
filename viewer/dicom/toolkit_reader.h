#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "image/stored_image.h"
#include "viewer/dicom/dicom_header.h"

namespace ctiq {

// What the DICOM toolkit (GDCM) makes of a whole file held in memory: every transfer syntax it
// knows (compressed, big endian, deflated), files without preamble or meta group, Pixel Data
// anywhere in the file. Readers on several threads take turns.
class ToolkitReader {
  public:
    ToolkitReader();
    ~ToolkitReader();
    ToolkitReader(const ToolkitReader&) = delete;
    ToolkitReader& operator=(const ToolkitReader&) = delete;

    // Parses the bytes; false when the toolkit finds no image in them.
    bool parse(const ImageBytes& bytes);

    std::int32_t columns() const;
    std::int32_t rows() const;
    std::int32_t frames() const;
    std::string transferSyntax() const;
    // A short name of the transfer syntax for the user ("JPEG Lossless", "Explicit VR Big Endian").
    std::string transferSyntaxName() const;

    // True when the toolkit's native (uncompressed, little-endian, one 16-bit sample per pixel)
    // Pixel Data equals the `columns × rows` words at `offset` of `bytes`: the header scanner's
    // reading of the same file is then the toolkit's too.
    bool pixelDataEquals(const ImageBytes& bytes, std::int64_t offset, std::int32_t columns,
                         std::int32_t rows) const;

    // False when native (uncompressed) Pixel Data needs more bytes than the file of `fileSize`
    // holds: it was cut short, and the toolkit would fill the rest.
    bool pixelDataComplete(std::size_t fileSize) const;

    // The header table, summary and viewer fields of the toolkit's data set, by the scanner's
    // rules, with the header length 0 and "Swap" off as the decoded samples need them.
    DicomHeaderResult header(bool listRows = true) const;

    // The first frame as 16-bit little-endian words, row by row (8-bit samples widened, signed
    // ones sign-extended). Throws AppError with a clear message for colour images, samples of
    // other sizes and data that do not decode.
    ImageBytes decodeFirstFrame() const;

  private:
    // One reader at a time in the process, held from construction to destruction: the
    // toolkit's settings and the abort guard are process-wide (declared first, freed last).
    std::unique_lock<std::mutex> turn_;
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace ctiq
