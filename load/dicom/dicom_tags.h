#pragma once

#include <cstdint>

namespace ctiq::dicom {

// A data element's tag.
struct Tag {
    std::uint16_t group = 0, element = 0;
    constexpr bool operator==(const Tag&) const = default;
};

// The elements the viewer reads fields from, and the structure of sequences.
constexpr Tag kTransferSyntaxUid{0x0002, 0x0010};
constexpr Tag kMediaStorageSopClassUid{0x0002, 0x0002};
constexpr Tag kSpecificCharacterSet{0x0008, 0x0005};
constexpr Tag kSopClassUid{0x0008, 0x0016};
constexpr Tag kManufacturerModelName{0x0008, 0x1090};
constexpr Tag kReconstructionDiameter{0x0018, 0x1100};
constexpr Tag kDetectorElementSpacing{0x0018, 0x7022};
constexpr Tag kDetectorActiveDimensions{0x0018, 0x7026};
constexpr Tag kSamplesPerPixel{0x0028, 0x0002};
constexpr Tag kPhotometricInterpretation{0x0028, 0x0004};
constexpr Tag kNumberOfFrames{0x0028, 0x0008};
constexpr Tag kRows{0x0028, 0x0010};
constexpr Tag kColumns{0x0028, 0x0011};
constexpr Tag kPixelSpacing{0x0028, 0x0030};
constexpr Tag kBitsAllocated{0x0028, 0x0100};
constexpr Tag kBitsStored{0x0028, 0x0101};
constexpr Tag kHighBit{0x0028, 0x0102};
constexpr Tag kPixelRepresentation{0x0028, 0x0103};
constexpr Tag kWindowCenter{0x0028, 0x1050};
constexpr Tag kWindowWidth{0x0028, 0x1051};
constexpr Tag kRescaleIntercept{0x0028, 0x1052};
constexpr Tag kRescaleSlope{0x0028, 0x1053};
constexpr Tag kModalityLutSequence{0x0028, 0x3000};
constexpr Tag kPixelData{0x7FE0, 0x0010};
// An Enhanced image's functional groups and the macros in them that the measurements read.
constexpr Tag kSharedFunctionalGroups{0x5200, 0x9229};
constexpr Tag kPerFrameFunctionalGroups{0x5200, 0x9230};
constexpr Tag kPixelMeasuresSequence{0x0028, 0x9110};
constexpr Tag kFrameVoiLutSequence{0x0028, 0x9132};
constexpr Tag kPixelValueTransformationSequence{0x0028, 0x9145};
constexpr Tag kItem{0xFFFE, 0xE000};
constexpr Tag kItemDelimitation{0xFFFE, 0xE00D};
constexpr Tag kSequenceDelimitation{0xFFFE, 0xE0DD};

// A 32-bit length of this value is undefined: the value ends with a delimitation.
constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFF;

}  // namespace ctiq::dicom
