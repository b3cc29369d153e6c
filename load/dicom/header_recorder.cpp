#include "load/dicom/header_recorder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "load/dicom/character_set.h"
#include "load/dicom/vocabulary.h"

namespace ctiq::dicom {
namespace {

// The header table lists at most this many rows; a last row says that the rest was not listed.
constexpr std::size_t kMaxHeaderRows = 100000;
// A value longer than this is listed by its first bytes only.
constexpr std::size_t kMaxShownValue = 65537;

std::string trimControls(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return std::string(s.substr(b, e - b));
}

std::string trimRightControls(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return std::string(s.substr(0, e));
}

// The characters before the first backslash of `positions`, counted off `from` (empty when
// `positions` has no backslash).
std::string leadingByBackslashOf(const std::string& from, const std::string& positions) {
    const std::size_t bs = positions.find('\\');
    if (bs == std::string::npos) return {};
    return from.substr(0, bs);
}

struct SummaryLabel {
    std::uint16_t element;
    int group;  // -1: any group; -2: any group but 0008
    const char* label;
};

constexpr SummaryLabel kSummaryLabels[] = {
    {0x0010, 0x0028, "DspMtrx : "}, {0x0030, 0x0028, "mmPSize : "}, {0x0050, 0x0018, "mmST : "},
    {0x0060, -2, "kV : "},          {0x0080, 0x0018, "msTR : "},    {0x0081, 0x0018, "msTE : "},
    {0x0083, 0x0018, "Ac : "},      {0x0089, 0x0018, "PE# : "},     {0x0091, 0x0018, "ETL : "},
    {0x0095, 0x0018, "Hz/pxl : "},  {0x103E, -1, "Se : "},          {0x1100, 0x0018, "mmFOV : "},
    {0x1152, -1, "mAs : "},         {0x1210, -1, "RF : "},          {0x1250, 0x0018, "Coil : "},
    {0x1310, 0x0018, "AcMtrx : "},  {0x1312, 0x0018, "PE : "},      {0x7022, 0x0018, "mmPSize : "},
};

void addToSummary(std::string& summary, std::uint16_t group, std::uint16_t element,
                  const std::string& value) {
    if (group == 0x0008 && element == 0x1090) {
        summary = value + "\r\n" + summary;
        return;
    }
    for (const SummaryLabel& s : kSummaryLabels) {
        if (s.element != element) continue;
        const bool groupMatches = s.group == -1 || (s.group == -2 && group != 0x0008) ||
                                  s.group == static_cast<int>(group);
        if (groupMatches) summary += std::string(s.label) + value + "\r\n";
    }
}

// The VR that says how a value is stored: the file's, or where it writes none (implicit VR) or
// UN, the data dictionary's; "" when neither knows the element. Every group's length element
// (gggg,0000) is an unsigned 32-bit number.
std::string_view typeVr(const RawElement& e, std::int64_t pixelRepresentation) {
    if ((e.vr.empty() || e.vr == "UN") && e.tag.element == 0x0000) return "UL";
    std::string_view vr =
        e.vr.empty() || e.vr == "UN" ? dictionaryVr(e.tag) : std::string_view(e.vr);
    if (vr == "XS") vr = pixelRepresentation == 1 ? "SS" : "US";
    return vr;
}

// The value texts of one level that an element gives, or nullptr for an element that gives none.
std::optional<std::string>* frameValueOf(FrameValueTexts& level, Tag tag) {
    if (tag == kRescaleSlope) return &level.rescaleSlope;
    if (tag == kRescaleIntercept) return &level.rescaleIntercept;
    if (tag == kPixelSpacing) return &level.pixelSpacing;
    if (tag == kWindowCenter) return &level.windowCenter;
    if (tag == kWindowWidth) return &level.windowWidth;
    return nullptr;
}

std::string numberText(const std::uint8_t* p, NumberForm form) {
    std::uint64_t bits = 0;
    const std::size_t n = numberSize(form);
    for (std::size_t k = 0; k < n; ++k) bits |= std::uint64_t{p[k]} << (8 * k);
    char text[32];
    char* end = text;
    switch (form) {
        case NumberForm::U16:
        case NumberForm::U32:
        case NumberForm::U64:
            end = std::to_chars(text, text + sizeof text, bits).ptr;
            break;
        case NumberForm::S16:
            end = std::to_chars(text, text + sizeof text, static_cast<std::int16_t>(bits)).ptr;
            break;
        case NumberForm::S32:
            end = std::to_chars(text, text + sizeof text, static_cast<std::int32_t>(bits)).ptr;
            break;
        case NumberForm::S64:
            end = std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(bits)).ptr;
            break;
        case NumberForm::F32: {
            float f;
            const auto b32 = static_cast<std::uint32_t>(bits);
            std::memcpy(&f, &b32, 4);
            end = std::to_chars(text, text + sizeof text, f).ptr;
            break;
        }
        case NumberForm::F64: {
            double d;
            std::memcpy(&d, &bits, 8);
            end = std::to_chars(text, text + sizeof text, d).ptr;
            break;
        }
        case NumberForm::Tag:
            return "(" + hex4(bits & 0xFFFF) + "," + hex4(bits >> 16) + ")";
        case NumberForm::None:
            break;
    }
    return std::string(text, end);
}

// A binary value's numbers as text, separated by backslashes as DICOM separates text values.
std::string numbersText(const std::string& value, NumberForm form) {
    constexpr std::size_t kMaxShownNumbers = 64;
    const std::size_t size = numberSize(form);
    const auto* p = reinterpret_cast<const std::uint8_t*>(value.data());
    std::string text;
    std::size_t k = 0;
    for (; k + size <= value.size() && k / size < kMaxShownNumbers; k += size) {
        if (k) text += '\\';
        text += numberText(p + k, form);
    }
    if (k + size <= value.size()) text += "\\...";
    return text;
}

}  // namespace

std::string HeaderRecorder::valueText(const RawElement& e) const {
    const std::string_view vr = typeVr(e, r_.image.pixelRepresentation);
    if (vr.empty()) {
        // An element no dictionary knows (a private one): a 2-byte value of a group above 0020
        // is taken for a signed 16-bit number, as the table always showed it.
        if (e.vr.empty() && e.shownLength == 2 && e.tag.group > 0x0020 && e.value.size() >= 2)
            return numberText(reinterpret_cast<const std::uint8_t*>(e.value.data()),
                              NumberForm::S16);
        return e.value;
    }
    const NumberForm form = numberFormOf(vr);
    if (form == NumberForm::None || e.value.size() < numberSize(form)) return e.value;
    return numbersText(e.value, form);
}

void HeaderRecorder::takeImageFact(Tag tag, const std::string& value) {
    DicomImageFacts& f = r_.image;
    auto first = [&](std::int64_t& fact) {
        if (fact != -1) return;
        try {
            fact = StrToInt(trimControls(firstValue(value)));
        } catch (const AppError&) {
            fact = -2;  // said, but not as a number: never consistent
        }
    };
    if (tag == kColumns)
        first(f.columns);
    else if (tag == kRows)
        first(f.rows);
    else if (tag == kBitsAllocated)
        first(f.bitsAllocated);
    else if (tag == kBitsStored)
        first(f.bitsStored);
    else if (tag == kSamplesPerPixel)
        first(f.samplesPerPixel);
    else if (tag == kPixelRepresentation)
        first(f.pixelRepresentation);
    else if (tag == kHighBit)
        first(f.highBit);
    else if (tag == kPhotometricInterpretation && f.photometric.empty())
        f.photometric = trimControls(value);
    else if (tag == kNumberOfFrames)
        first(f.frames);
    else if ((tag == kSopClassUid || tag == kMediaStorageSopClassUid) && f.sopClassUid.empty())
        f.sopClassUid = trimControls(std::string(value.c_str()));
}

void HeaderRecorder::sequence(Tag tag, bool entered) {
    const bool dataSetLevel = open_.empty();
    if (entered) open_.push_back({tag, 0, std::nullopt});
    if (dataSetLevel && (tag == kSharedFunctionalGroups || tag == kPerFrameFunctionalGroups))
        r_.groups.present = true;
    if (dataSetLevel && tag == kModalityLutSequence) r_.modalityLut = true;
    HeaderRow scratch;
    const bool listed = listing();
    HeaderRow& row = listed ? currentRow() : scratch;
    row = {};
    row[1] = hex4(tag.group);
    row[2] = hex4(tag.element);
    row[3] = "SQ";
    if (listed) ++rowNumber_;
}

void HeaderRecorder::item() {
    if (open_.empty()) return;
    ++open_.back().items;
    open_.back().itemCharacterSet.reset();
}

const std::string& HeaderRecorder::characterSet() const {
    for (auto level = open_.rbegin(); level != open_.rend(); ++level)
        if (level->itemCharacterSet) return *level->itemCharacterSet;
    return dataSetCharacterSet_;
}

std::string HeaderRecorder::shownText(const RawElement& e, const std::string& value) const {
    // Plain ASCII reads the same in every character set (an escape would switch it).
    if (std::all_of(value.begin(), value.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '\x1B'; }))
        return value;
    const std::string_view vr = typeVr(e, r_.image.pixelRepresentation);
    if (isCharacterSetText(vr)) return decodeText(value, characterSet(), vr);
    return latin1ToUtf8(value);
}

void HeaderRecorder::sequenceEnd() {
    if (!open_.empty()) open_.pop_back();
    if (!listing()) return;
    HeaderRow& end = currentRow();
    end = {};
    end[3] = "SQ";
    ++rowNumber_;
}

void HeaderRecorder::element(const RawElement& e) {
    // Past the listing's end only the fields and the summary are taken: no row is built.
    const bool listed = listing();
    if (listed) {
        HeaderRow& row = currentRow();
        for (int i = 1; i <= 6; ++i) row[i].clear();
        row[1] = hex4(e.tag.group);
        row[3] = e.vr;
    }
    const std::uint16_t group = e.tag.group, element = e.tag.element;
    std::string value = valueText(e);
    if (e.tag == kMediaStorageSopClassUid) {
        while (value.size() > 2 && value.back() == '\0') value.pop_back();
    }
    if (e.tag == kSpecificCharacterSet) {
        if (open_.empty())
            dataSetCharacterSet_ = value;
        else
            open_.back().itemCharacterSet = value;
    }
    const std::string trimmed = trimControls(value);
    // The fields are the data set's own: an element inside a sequence (an icon's Rows, a
    // referenced image's values, one frame's functional group) never takes them.
    if (open_.empty()) {
        takeImageFact(e.tag, value);
        takeFieldValue(e.tag, value, trimmed);
    } else {
        takeFunctionalGroupValue(e.tag, trimmed);
    }
    // Decoded before it is trimmed: a leading escape sequence is part of the text.
    const std::string shown = shownText(e, value);
    addToSummary(r_.summary, group, element, shown);
    if (!listed) return;

    HeaderRow& row = currentRow();
    row[2] = hex4(element);
    row[4] = hex4(e.shownLength);
    row[5] = dictionary_.lookup(group, element);
    // A long binary value is cut at the same byte as ever, before its bytes become characters.
    row[6] = isCharacterSetText(typeVr(e, r_.image.pixelRepresentation))
                 ? trimControls(shown).substr(0, kMaxShownValue)
                 : latin1ToUtf8(trimmed.substr(0, kMaxShownValue));
    char number[16];
    std::snprintf(number, sizeof number, "%3d", rowNumber_);
    row[0] = number;
    ++rowNumber_;
}

void HeaderRecorder::emptyElement(Tag tag) {
    if (!open_.empty() || (tag != kRescaleSlope && tag != kRescaleIntercept)) return;
    *frameValueOf(r_.dataSet, tag) = std::string();
}

void HeaderRecorder::note(const std::string& text) {
    HeaderRow row{};
    row[5] = "(not listed)";
    row[6] = text;
    r_.rows.push_back(row);
    r_.notes.push_back(text);
}

void HeaderRecorder::finish() {
    r_.rows.resize(rowNumber_ - 1);
    for (const std::string& text : pendingNotes_) note(text);
    pendingNotes_.clear();
}

void HeaderRecorder::keepPreparedTable() {
    if (listRows_ && r_.rows.size() < kPreparedRows - 1) r_.rows.resize(kPreparedRows - 1);
}

bool HeaderRecorder::listing() {
    if (!listRows_) return false;
    if (static_cast<std::size_t>(rowNumber_) <= kMaxHeaderRows) return true;
    if (!capped_) {
        capped_ = true;
        pendingNotes_.push_back("More than " + std::to_string(kMaxHeaderRows) +
                                " elements: the rest of the header is not listed.");
    }
    return false;
}

HeaderRow& HeaderRecorder::currentRow() {
    // rows[0] is table row 1; the table grows as the header needs.
    if (r_.rows.size() < static_cast<std::size_t>(rowNumber_)) r_.rows.resize(rowNumber_);
    return r_.rows[rowNumber_ - 1];
}


void HeaderRecorder::takeFunctionalGroupValue(Tag tag, const std::string& trimmed) {
    // (5200,9229 or 9230) item k > (0028,9110 / 9132 / 9145) item > the element.
    if (open_.size() != 2 || open_[0].items == 0) return;
    const Tag macro = open_[1].tag;
    if (macro != kPixelMeasuresSequence && macro != kPixelValueTransformationSequence &&
        macro != kFrameVoiLutSequence)
        return;
    FrameValueTexts* level = nullptr;
    if (open_[0].tag == kSharedFunctionalGroups) {
        level = &r_.groups.shared;
    } else if (open_[0].tag == kPerFrameFunctionalGroups) {
        auto& frames = r_.groups.perFrame;
        if (frames.size() < open_[0].items) frames.resize(open_[0].items);
        level = &frames[open_[0].items - 1];
    }
    if (!level) return;
    if (std::optional<std::string>* slot = frameValueOf(*level, tag)) *slot = trimmed;
}

void HeaderRecorder::takeFieldValue(Tag tag, const std::string& value, const std::string& trimmed) {
    if (std::optional<std::string>* slot = frameValueOf(r_.dataSet, tag)) *slot = trimmed;
    DicomFieldWrites& f = r_.fields;
    if (tag == kTransferSyntaxUid) {
        const std::string uid = trimRightControls(value);
        r_.transferSyntax = uid;
        if (isCompressedSyntax(uid)) r_.compressedSyntax = uid;
        if (uid == "1.2.840.10008.1.2" || uid == "1.2.840.10008.1.2.1") f.swap = false;
        if (uid == "1.2.840.10008.1.2.2") f.swap = true;
    } else if (tag == kRows) {
        f.rows = value;
    } else if (tag == kColumns) {
        f.columns = value;
    } else if (tag == kPixelSpacing) {
        f.pixelSpacing = firstValue(trimmed);
    } else if (tag == kDetectorElementSpacing) {
        f.pixelSpacing = leadingByBackslashOf(trimmed, value);
    } else if (tag == kReconstructionDiameter) {
        f.fieldOfView = trimmed;
    } else if (tag == kRescaleIntercept) {
        // Not a number stops the walk as it always did; a number the offset cannot hold (NaN,
        // infinite, beyond 32 bits) leaves the offset unset, and the load refuses it by name.
        const long double intercept = StrToFloat(trimmed);
        if (std::isfinite(intercept) && std::fabs(intercept) < 2147483648.0L)
            f.offset = IntToStr(Trunc(intercept));
    } else if (tag == kWindowCenter) {
        const std::size_t bs = trimmed.find('\\');
        if (bs != std::string::npos) {
            f.windowLevel = trimmed.substr(0, bs);
            f.windowWidth = trimmed.substr(bs + 1);
        } else {
            f.windowLevel = trimmed;
        }
    } else if (tag == kWindowWidth) {
        f.windowWidth = firstValue(trimmed);
    } else if (tag == kDetectorActiveDimensions) {
        // Detector dimensions must read as two numbers; a file whose value does not
        // stops here, as it always has.
        const std::string v = trimRightControls(value);
        StrToFloat(leadingByBackslashOf(trimmed, v));
        const std::size_t bs = v.find('\\');
        StrToFloat(bs == std::string::npos ? std::string() : v.substr(bs + 1));
    }
}

}  // namespace ctiq::dicom
