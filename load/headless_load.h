#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/stored_image.h"
#include "load/dicom/dicom_header.h"
#include "load/load_plan.h"
#include "load/name_geometry.h"

namespace ctiq {

// Values a script gives instead of the viewer's fields and prompts.
struct LoadOverrides {
    std::optional<MatrixSize> size;
    std::optional<std::int32_t> header;
    std::optional<std::int32_t> offset;
    bool swap = false;
    std::optional<std::string> spacing;
    std::uint32_t frame = 0;  // of a multi-frame file, 0-based
};

// An image loaded as the viewer's "⇒" loads it, without dialogs: the name's geometry, else the
// DICOM header (mode DICOM), else the given size; header length, offset, "Swap" and spacing as
// the fields would then hold them.
struct LoadedImage {
    std::string path;
    ImageBytes bytes;
    StoredImageLayout layout;
    std::int32_t offset = 0;
    bool swap = false;
    std::string spacingText;
    std::optional<DicomHeaderResult> dicom;  // when the header was read
    std::string reader;                      // which reader gave the image (LoadPlan::readerName)
    std::string scannerDeclined;             // why the header scanner alone did not
    std::uint32_t frame = 0;                 // the frame read, 0-based
    std::int64_t frames = 1;                 // how many the file holds

    // The measurements' value rule with this image's format, "Swap" and offset.
    SampleValueRule valueRule() const;
};

// Throws AppError with the viewer's message for an unreadable file or header, and asks for
// --size where the viewer would prompt.
// `listHeader` false reads the DICOM header's fields without building its table.
LoadedImage loadImageHeadless(const std::string& path, LoadMode mode, const LoadOverrides& given,
                              bool listHeader = true);

}  // namespace ctiq
