#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/app_error.h"
#include "load/dicom/tag_dictionary.h"

namespace ctiq {

// One row of the header table: No, Group, Erement, VR, CHR#, Name, Value, in UTF-8: text values
// decoded through the data set's Specific Character Set, other values' bytes one per character.
using HeaderRow = std::array<std::string, 7>;

inline const HeaderRow kHeaderTableTitles = {" No",  "Group", "Erement", "VR",
                                             "CHR#", "Name",  "Value"};

// The viewer fields the header reader writes; an empty optional leaves the field as it is.
struct DicomFieldWrites {
    std::optional<std::string> header;  // byte offset of the first pixel
    std::optional<std::string> columns;
    std::optional<std::string> rows;
    std::optional<std::string> fieldOfView;
    std::optional<std::string> offset;
    std::optional<std::string> pixelSpacing;
    std::optional<std::string> windowLevel;
    std::optional<std::string> windowWidth;
    std::optional<bool> swap;
};

// What the header says of its image, as numbers: the first occurrence of each element (the
// image's own, before any icon in a sequence); -1 where the header does not say.
struct DicomImageFacts {
    std::int64_t columns = -1, rows = -1;
    std::int64_t bitsAllocated = -1, bitsStored = -1, samplesPerPixel = -1;
    std::int64_t pixelRepresentation = -1, highBit = -1;
    std::int64_t frames = -1;           // NumberOfFrames
    std::int64_t pixelDataLength = -1;  // the Pixel Data element's 32-bit length; -1 undefined
    std::string sopClassUid;
    std::string photometric;  // PhotometricInterpretation, trimmed; empty where not said
};

// The texts of the values that turn one frame's stored samples into CT values and place them,
// as one level of the data set writes them (unset where it says nothing).
struct FrameValueTexts {
    std::optional<std::string> rescaleSlope, rescaleIntercept, pixelSpacing;
    std::optional<std::string> windowCenter, windowWidth;
};

// An Enhanced (multi-frame) image's Shared and Per-frame Functional Groups, as far as they hold
// the values above: Pixel Measures, Pixel Value Transformation and Frame VOI LUT.
struct FunctionalGroupTexts {
    bool present = false;
    FrameValueTexts shared;
    std::vector<FrameValueTexts> perFrame;  // item k of the per-frame sequence: frame k + 1
};

struct DicomHeaderResult {
    DicomFieldWrites fields;
    // False when no Pixel Data tag lies in the first half of the data.
    bool pixelDataFound = false;
    // True when the rows and the summary below are this file's (the header was walked); false
    // leaves the table and the summary as they were.
    bool walked = false;
    // The walk went through the whole data set and met no Pixel Data: a file without an image.
    bool noPixelData = false;
    DicomImageFacts image;
    // The data rows of the table (table row 1 onward); the table gets rows.size() + 1 rows.
    std::vector<HeaderRow> rows;
    std::string summary;
    // The data set's own (top-level) rescale and spacing texts, and its functional groups.
    FrameValueTexts dataSet;
    FunctionalGroupTexts groups;
    // The data set maps its stored values through a Modality LUT Sequence (0028,3000).
    bool modalityLut = false;
    // The tag (group << 16 | element) of the element the walk broke inside, -1 when it did not.
    std::int64_t brokenAtTag = -1;
    // Set when a value stopped the walk; what was read up to then is in the fields above.
    std::optional<std::string> error;
    // Why the listing ends early (the header ends inside an element, too many elements); each is
    // also the table's last row. The load goes on with what was read.
    std::vector<std::string> notes;
    // The file ends inside the Pixel Data value.
    bool pixelDataCutShort = false;
    // The transfer syntax UID as the file meta group gives it (empty without one).
    std::string transferSyntax;
    // The transfer syntax when it names compressed pixel data (JPEG, RLE, deflate), which the
    // viewer cannot show.
    std::optional<std::string> compressedSyntax;
};

// True for a data set written without preamble and file meta group (it starts with group 0008):
// the walk starts at byte 0.
bool startsWithDataSet(const std::uint8_t* data, std::size_t size);

// True for what the header reader takes as DICOM: the preamble's "DICM" at byte 128, or a data
// set at byte 0.
bool looksLikeDicom(const std::uint8_t* data, std::size_t size);

// The message for an image whose pixel data is compressed.
AppError compressedImageMessage(const std::string& uid);

// Walks the header of a DICOM file held whole in `data`: a byte scanner with little-endian tags
// and 16-bit lengths, explicit VRs recognised element by element, stepping into sequences and
// their items, of defined or undefined length, in explicit and implicit VR; values read by their
// VR (the file's, or in implicit VR and for UN the data dictionary's). The fields come from the
// data set's own elements, not from those nested in sequences (an icon's Rows, a referenced
// image's values); an Enhanced image's functional groups are kept per frame. A file with the
// DICOM preamble but no Pixel Data in its first half is walked to its end. Never reads outside
// `data`; keeps its own stack of open sequences, so no depth of nesting can exhaust the call stack.
// Without `listRows` the table stays empty: the fields and the summary only.
DicomHeaderResult readDicomHeader(const std::uint8_t* data, std::size_t size,
                                  const TagDictionary& dictionary, bool listRows = true);

}  // namespace ctiq
