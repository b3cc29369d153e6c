#pragma once

#include <optional>
#include <string>

#include "image/stored_image.h"
#include "viewer/dicom/dicom_header.h"
#include "viewer/name_geometry.h"
#include "viewer/render.h"

namespace ctiq {

// The viewer's format group: " 8bit", "16bit", "DICOM".
enum class LoadMode { Byte8, Word16, Dicom };

inline SampleFormat loadFormat(LoadMode mode) {
    return mode == LoadMode::Byte8 ? SampleFormat::Byte8 : SampleFormat::Word16;
}

// What a load learns of a file before it asks anything, for the viewer's "⇒" and for ctiq-cli
// alike: the geometry in the file's name; else, in mode "DICOM", the DICOM header; else the size
// to offer in the size prompt.
struct LoadPlan {
    NameGeometry name;
    std::optional<DicomHeaderResult> dicom;  // when the header was read
    std::string columns, rows;               // texts for the size fields; empty when unknown
    std::string suggestion;                  // the size the prompt offers when one is unknown

    bool needsSize() const { return columns.empty() || rows.empty(); }
};

LoadPlan planLoad(const std::string& path, const ImageBytes& bytes, LoadMode mode);

// The window a load writes before the automatic window sets its own (which it keeps when the
// image is too small for one).
inline constexpr GreyWindow kDefaultWindow{512, 1024};

// The ROI a load places unless "Lock" is ticked: centred, 256 × 256.
struct RoiFields {
    std::int32_t centreX = 0, centreY = 0, width = 0, height = 0;
};
RoiFields defaultRoi(std::int32_t columns, std::int32_t rows);

// Throws the message that ends a load after the header was listed: the header reader stopped
// early, or the pixels are in a form the viewer cannot show.
void requireShowableDicom(const DicomHeaderResult& dicom);

}  // namespace ctiq
