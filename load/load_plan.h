#pragma once

#include <optional>
#include <string>

#include "image/stored_image.h"
#include "load/dicom/dicom_header.h"
#include "load/frame_values.h"
#include "load/name_geometry.h"

namespace ctiq {

// The viewer's format group: " 8bit", "16bit", "DICOM".
enum class LoadMode { Byte8, Word16, Dicom };

// The mode for a file opened from outside (the command line, a file manager): "DICOM" for what
// looks like DICOM, else 16 bit. A file that cannot be read gets 16 bit; its load then says why.
LoadMode modeForFile(const std::string& path);

inline SampleFormat loadFormat(LoadMode mode) {
    return mode == LoadMode::Byte8 ? SampleFormat::Byte8 : SampleFormat::Word16;
}

// An image that the DICOM toolkit decoded where the header scanner could not show the file: the
// first frame as 16-bit little-endian words, read like an uncompressed file with header 0.
struct DecodedImage {
    ImageBytes samples;
    std::string transferSyntaxName;
    std::int32_t frames = 1;
};

// What a load learns of a file before it asks anything, for the viewer's "⇒" and for ctiq-cli
// alike: the geometry in the file's name; else, in mode "DICOM", the DICOM header — read by the
// header scanner, and by the DICOM toolkit's helper process only where the scanner's reading is
// not consistent in itself (compressed, big-endian or deflated data, Pixel Data of another size
// than the header's image, a header the scanner cannot walk); else the size to offer in the size
// prompt.
struct LoadPlan {
    NameGeometry name;
    std::optional<DicomHeaderResult> dicom;  // when the header was read
    std::optional<DecodedImage> decoded;     // when the toolkit read the image
    std::optional<std::string> refusal;      // why the image cannot be shown (after the header)
    bool noImage = false;                    // a DICOM file without pixel data: no size to ask
    std::string columns, rows;               // texts for the size fields; empty when unknown
    std::string suggestion;                  // the size the prompt offers when one is unknown
    std::uint32_t frame = 0;                 // the frame read (0-based)
    std::int64_t frames = 1;                 // how many the file holds
    ModalityRescale rescale;                 // the frame's rescale (a DICOM image's)
    bool readByToolkit = false;              // `decoded` holds the toolkit's samples
    std::string scannerDeclined;             // why the header scanner alone could not read it
    bool valuesComputed = false;             // the CT values were computed from the rescale
    bool valuesRounded = false;              // ... and some were rounded to whole units

    bool needsSize() const { return !noImage && (columns.empty() || rows.empty()); }
    // Which reader gave the image, for the user ("the header scanner", "the DICOM toolkit (JPEG
    // Lossless)").
    std::string readerName() const;
};

// `listHeader` false leaves the header table out (the fields and the summary are read): for
// callers that print no table. `frame` (0-based) is the frame of a multi-frame file to read: its
// samples, and its own rescale and spacing where an Enhanced image's functional groups give them.
LoadPlan planLoad(const std::string& path, const ImageBytes& bytes, LoadMode mode,
                  bool listHeader = true, std::uint32_t frame = 0);

// True when the plan's file cannot be shown (requireShowable says why): no size is asked for it.
bool refusesTheImage(const LoadPlan& plan);
// Throws the message that ends a load after the header was listed: the header reader stopped
// at a value, the file holds no image, or the pixels are in a form that can be neither shown nor
// decoded.
void requireShowable(const LoadPlan& plan);

// True when the header scanner's reading of a DICOM file of `fileSize` bytes is consistent in
// itself, so that the file needs no toolkit: an uncompressed little-endian data set, walked whole
// up to its Pixel Data (sequences of any kind included), whose Pixel Data holds exactly the
// header's frames of 16-bit samples, inside the file.
bool scannerServes(const DicomHeaderResult& scanned, std::size_t fileSize);
// Why it does not serve (for --verbose), or empty when it does.
std::string whyScannerCannotServe(const DicomHeaderResult& scanned, std::size_t fileSize);

}  // namespace ctiq
