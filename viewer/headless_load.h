#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/roi_block.h"
#include "image/stored_image.h"
#include "viewer/dicom/dicom_header.h"
#include "viewer/load_plan.h"
#include "viewer/name_geometry.h"
#include "viewer/render.h"

namespace ctiq {

// Values a script gives instead of the viewer's fields and prompts.
struct LoadOverrides {
    std::optional<MatrixSize> size;
    std::optional<std::int32_t> header;
    std::optional<std::int32_t> offset;
    bool swap = false;
    std::optional<std::string> spacing;
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

    // The measurements' value rule with this image's format, "Swap" and offset.
    SampleValueRule valueRule() const;
};

// The ROI of centre (cx, cy) and size w × h as the viewer draws it at magnification 1 without
// shift: the view, the frame in display coordinates, the block the statistics take, and the
// image position of the frame's top-left sample.
struct RoiPlacement {
    ViewLayout view;
    IntRect frame;
    RoiBlock block;
    std::int32_t imageLeft = 0, imageTop = 0;
};
RoiPlacement placeRoi(const StoredImageLayout& image, std::int32_t cx, std::int32_t cy,
                      std::int32_t width, std::int32_t height);

// Throws AppError with the viewer's message for an unreadable file or header, and asks for
// --size where the viewer would prompt.
// `listHeader` false reads the DICOM header's fields without building its table.
LoadedImage loadImageHeadless(const std::string& path, LoadMode mode, const LoadOverrides& given,
                              bool listHeader = true);

}  // namespace ctiq
