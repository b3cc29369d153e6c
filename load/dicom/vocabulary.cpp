#include "load/dicom/vocabulary.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace ctiq::dicom {
namespace {

struct VrEntry {
    std::uint32_t tag;
    char vr[3];
};

constexpr VrEntry kVrTable[] = {
#include "load/dicom/vr_table.inc"
};

constexpr std::string_view kLongLengthVrs[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ",
                                               "SV", "UC", "UN", "UR", "UT", "UV"};
constexpr std::string_view kShortLengthVrs[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT",
                                                "FD", "FL", "IS", "LO", "LT", "PN", "SH",
                                                "SL", "SS", "ST", "TM", "UI", "UL", "US"};

constexpr TransferSyntax kSyntaxes[] = {
    {"1.2.840.10008.1.2", "Implicit VR Little Endian", true, false, false, false},
    {"1.2.840.10008.1.2.1", "Explicit VR Little Endian", false, false, false, false},
    {"1.2.840.10008.1.2.2", "Explicit VR Big Endian", false, true, false, false},
    {"1.2.840.10008.1.2.1.99", "Deflated Explicit VR Little Endian", false, false, true, false},
    {"1.2.840.10008.1.2.5", "RLE Lossless", false, false, false, true},
    {"1.2.840.10008.1.2.4.50", "JPEG Baseline", false, false, false, true},
    {"1.2.840.10008.1.2.4.51", "JPEG Extended", false, false, false, true},
    {"1.2.840.10008.1.2.4.57", "JPEG Lossless", false, false, false, true},
    {"1.2.840.10008.1.2.4.70", "JPEG Lossless", false, false, false, true},
    {"1.2.840.10008.1.2.4.80", "JPEG-LS Lossless", false, false, false, true},
    {"1.2.840.10008.1.2.4.81", "JPEG-LS Near-Lossless", false, false, false, true},
    {"1.2.840.10008.1.2.4.90", "JPEG 2000 Lossless", false, false, false, true},
    {"1.2.840.10008.1.2.4.91", "JPEG 2000", false, false, false, true},
};

struct SopClass {
    const char* uid;
    const char* name;
};

constexpr SopClass kSopClasses[] = {
    {"1.2.840.10008.5.1.4.1.1.2", "CT Image Storage"},
    {"1.2.840.10008.5.1.4.1.1.2.1", "Enhanced CT Image Storage"},
    {"1.2.840.10008.5.1.4.1.1.4", "MR Image Storage"},
    {"1.2.840.10008.5.1.4.1.1.7", "Secondary Capture Image Storage"},
    {"1.2.840.10008.5.1.4.1.1.11.1", "Grayscale Softcopy Presentation State Storage"},
    {"1.2.840.10008.5.1.4.1.1.66", "Raw Data Storage"},
    {"1.2.840.10008.5.1.4.1.1.88.11", "Basic Text SR Storage"},
    {"1.2.840.10008.5.1.4.1.1.88.22", "Enhanced SR Storage"},
    {"1.2.840.10008.5.1.4.1.1.88.33", "Comprehensive SR Storage"},
    {"1.2.840.10008.5.1.4.1.1.88.59", "Key Object Selection Document Storage"},
    {"1.2.840.10008.5.1.4.1.1.88.67", "X-Ray Radiation Dose SR Storage"},
    {"1.2.840.10008.5.1.4.1.1.104.1", "Encapsulated PDF Storage"},
    {"1.2.840.10008.5.1.4.1.1.481.1", "RT Image Storage"},
    {"1.2.840.10008.5.1.4.1.1.481.2", "RT Dose Storage"},
    {"1.2.840.10008.5.1.4.1.1.481.3", "RT Structure Set Storage"},
    {"1.2.840.10008.5.1.4.1.1.481.5", "RT Plan Storage"},
    {"1.2.840.10008.5.1.4.1.1.481.8", "RT Ion Plan Storage"},
    {"1.2.840.10008.1.3.10", "Media Storage Directory Storage"},
};

template <std::size_t N>
bool oneOf(std::string_view vr, const std::string_view (&set)[N]) {
    return std::find(std::begin(set), std::end(set), vr) != std::end(set);
}

}  // namespace

bool hasLongLength(std::string_view vr) {
    return oneOf(vr, kLongLengthVrs);
}

bool isKnownVr(std::string_view vr) {
    return oneOf(vr, kLongLengthVrs) || oneOf(vr, kShortLengthVrs);
}

std::string_view dictionaryVr(Tag tag) {
    const std::uint32_t key = std::uint32_t{tag.group} << 16 | tag.element;
    const auto* end = std::end(kVrTable);
    const auto* found =
        std::lower_bound(std::begin(kVrTable), end, key,
                         [](const VrEntry& e, std::uint32_t k) { return e.tag < k; });
    if (found == end || found->tag != key) return {};
    return {found->vr, 2};
}

NumberForm numberFormOf(std::string_view vr) {
    if (vr == "US") return NumberForm::U16;
    if (vr == "SS") return NumberForm::S16;
    if (vr == "UL") return NumberForm::U32;
    if (vr == "SL") return NumberForm::S32;
    if (vr == "UV") return NumberForm::U64;
    if (vr == "SV") return NumberForm::S64;
    if (vr == "FL") return NumberForm::F32;
    if (vr == "FD") return NumberForm::F64;
    if (vr == "AT") return NumberForm::Tag;
    return NumberForm::None;
}

std::size_t numberSize(NumberForm form) {
    switch (form) {
        case NumberForm::U16:
        case NumberForm::S16:
            return 2;
        case NumberForm::U32:
        case NumberForm::S32:
        case NumberForm::F32:
        case NumberForm::Tag:
            return 4;
        case NumberForm::U64:
        case NumberForm::S64:
        case NumberForm::F64:
            return 8;
        case NumberForm::None:
            break;
    }
    return 0;
}

std::string trimmedUid(std::string_view uid) {
    while (!uid.empty() && (uid.back() == '\0' || uid.back() == ' ')) uid.remove_suffix(1);
    return std::string(uid);
}

const TransferSyntax* findTransferSyntax(std::string_view uid) {
    for (const TransferSyntax& s : kSyntaxes)
        if (uid == s.uid) return &s;
    return nullptr;
}

bool isCompressedSyntax(std::string_view uid) {
    if (uid.rfind("1.2.840.10008.1.2.4.", 0) == 0) return true;
    const TransferSyntax* s = findTransferSyntax(uid);
    return s && (s->encapsulated || s->deflated);
}

std::string sopClassName(std::string_view uid) {
    for (const SopClass& s : kSopClasses)
        if (uid == s.uid) return s.name;
    return std::string(uid);
}

std::string firstValue(const std::string& text) {
    return text.substr(0, text.find('\\'));
}

}  // namespace ctiq::dicom
