#include "viewer/dicom/dicom_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "viewer/dicom/dicom_element.h"

namespace ctiq {
namespace {

using dicom::Cursor;
using dicom::RawElement;
using dicom::Tag;
using dicom::Truncated;

constexpr std::uint8_t kPixelDataTag[4] = {0xE0, 0x7F, 0x10, 0x00};
constexpr std::uint8_t kMetaWalkStart[4] = {0x02, 0x00, 0x02, 0x00};

// The header table lists at most this many rows; a last row says that the rest was not listed.
constexpr std::size_t kMaxHeaderRows = 100000;
// A value longer than this is listed by its first bytes only.
constexpr std::size_t kMaxShownValue = 65537;

std::optional<std::size_t> find4(const std::uint8_t* data, std::size_t size, std::size_t from,
                                 std::size_t endExclusive, const std::uint8_t (&bytes)[4]) {
    for (std::size_t p = from; p < endExclusive && p + 4 <= size; ++p)
        if (std::memcmp(data + p, bytes, 4) == 0) return p;
    return std::nullopt;
}

bool isUpperLetter(std::uint8_t c) {
    return c >= 0x41 && c <= 0x5A;
}

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

std::string upToBackslash(const std::string& s) {
    return s.substr(0, s.find('\\'));
}

// The characters before the first backslash of `positions`, counted off `from` (empty when
// `positions` has no backslash).
std::string leadingByBackslashOf(const std::string& from, const std::string& positions) {
    const std::size_t bs = positions.find('\\');
    if (bs == std::string::npos) return {};
    return from.substr(0, bs);
}

// Offset of the first byte of the Pixel Data value, from the encoding of its element.
std::size_t pixelValueOffset(const std::uint8_t* data, std::size_t size, std::size_t tagPos) {
    if (tagPos + 6 <= size && isUpperLetter(data[tagPos + 4]) && isUpperLetter(data[tagPos + 5])) {
        static constexpr const char* kLongLengthVRs[] = {"OB", "OW", "OF", "OD", "OL", "OV",
                                                         "SQ", "UN", "UT", "UC", "UR"};
        const char vr[3] = {static_cast<char>(data[tagPos + 4]),
                            static_cast<char>(data[tagPos + 5]), 0};
        for (const char* longVR : kLongLengthVRs)
            if (std::strcmp(vr, longVR) == 0) return tagPos + 12;
        return tagPos + 8;
    }
    return tagPos + 8;  // implicit VR: tag and 32-bit length
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

class HeaderWalk {
  public:
    HeaderWalk(const std::uint8_t* data, std::size_t size, const TagDictionary& dictionary,
               DicomHeaderResult& result)
        : data_(data), size_(size), dictionary_(dictionary), r_(result) {}

    void run(std::size_t start, std::size_t pixelTag) {
        Cursor c(data_, size_, start);
        Tag tag;
        try {
            bool first = true;
            while (true) {
                c.skipZeros();
                // An element that starts past the Pixel Data tag found by the byte search means
                // those bytes lay inside a value: the real Pixel Data comes later.
                if (c.pos() > pixelTag) {
                    const auto next = first ? std::nullopt : nextPixelDataTag(c.pos());
                    if (!next) break;
                    pixelTag = *next;
                }
                first = false;
                const bool isPixelData = c.pos() == pixelTag;
                tag = c.peekTag();
                record(c, dicom::readRawElement(c, isPixelData));
                if (isPixelData) break;
            }
        } catch (const Truncated&) {
            finish();
            addNote("The DICOM header ends inside element (" + hex4(tag.group) + "," +
                    hex4(tag.element) + "): the file holds " + std::to_string(size_) +
                    " bytes. The rows read so far are listed.");
            return;
        } catch (const AppError& e) {
            // A value that is not a number stops the reader; the table keeps its prepared size.
            if (r_.rows.size() < kPreparedRows - 1) r_.rows.resize(kPreparedRows - 1);
            r_.error = e.what();
            return;
        }
        finish();
    }

  private:
    static constexpr std::size_t kPreparedRows = 1024;

    std::optional<std::size_t> nextPixelDataTag(std::size_t from) {
        const auto next = find4(data_, size_, from, size_ / 2, kPixelDataTag);
        if (next) r_.fields.header = std::to_string(pixelValueOffset(data_, size_, *next));
        return next;
    }

    void record(Cursor& c, const RawElement& e) {
        const bool listed = listing();
        HeaderRow scratch;
        HeaderRow& row = listed ? currentRow() : scratch;
        for (int i = 1; i <= 6; ++i) row[i].clear();
        row[1] = hex4(e.tag.group);
        row[3] = e.vr;
        if (e.kind == RawElement::Kind::EnterSequence ||
            e.kind == RawElement::Kind::EmptySequence) {
            row[2] = hex4(e.tag.element);
            row[3] = "SQ";
            if (listed) ++rowNumber_;
            inSequence_ = inSequence_ || e.kind == RawElement::Kind::EnterSequence;
            return;
        }
        if (e.kind == RawElement::Kind::Empty) return;
        std::string value = e.value;
        const bool sequenceEnds = inSequence_ && stepOverDelimitations(c);
        const std::uint16_t group = e.tag.group, element = e.tag.element;
        if (!(e.tag == dicom::kRescaleSlope) && value.size() >= 2 &&
            (e.vr == "US" || (e.vr.empty() && e.shownLength == 2 && group > 0x0020))) {
            const auto word = static_cast<std::int16_t>(static_cast<std::uint8_t>(value[0]) |
                                                        (static_cast<std::uint8_t>(value[1]) << 8));
            value = std::to_string(word);
        }
        if (e.tag == dicom::kMediaStorageSopClassUid) {
            while (value.size() > 2 && value.back() == '\0') value.pop_back();
        }
        const std::string trimmed = trimControls(value);
        takeFieldValue(e.tag, value, trimmed);

        row[2] = hex4(element);
        row[4] = hex4(e.shownLength);
        row[5] = dictionary_.lookup(group, element);
        row[6] = trimmed.substr(0, kMaxShownValue);
        char number[16];
        std::snprintf(number, sizeof number, "%3d", rowNumber_);
        row[0] = number;
        if (listed) ++rowNumber_;
        if (sequenceEnds) {
            if (listing()) {
                HeaderRow& end = currentRow();
                end = {};
                end[3] = "SQ";
                ++rowNumber_;
            }
            inSequence_ = false;
        }
        addToSummary(r_.summary, group, element, value);
    }

    // False once the table holds its most rows: the walk goes on for the fields only.
    bool listing() {
        if (static_cast<std::size_t>(rowNumber_) <= kMaxHeaderRows) return true;
        if (!capped_) {
            capped_ = true;
            notes_.push_back("More than " + std::to_string(kMaxHeaderRows) +
                             " elements: the rest of the header is not listed.");
        }
        return false;
    }

    HeaderRow& currentRow() {
        // rows[0] is table row 1; the table grows as the header needs.
        if (r_.rows.size() < static_cast<std::size_t>(rowNumber_)) r_.rows.resize(rowNumber_);
        return r_.rows[rowNumber_ - 1];
    }

    void finish() {
        r_.rows.resize(rowNumber_ - 1);
        for (const std::string& note : notes_) addNote(note);
        notes_.clear();
    }

    // A last row that says why the listing stops where it does.
    void addNote(const std::string& text) {
        HeaderRow note{};
        note[5] = "(not listed)";
        note[6] = text;
        r_.rows.push_back(note);
        r_.notes.push_back(text);
    }

    // Inside a sequence: passes an item delimitation and what follows it; true at a sequence end.
    bool stepOverDelimitations(Cursor& c) {
        if (!c.startsWith(dicom::kItemDelimitation)) return false;
        c.skip(8);
        if (!c.has(4)) throw Truncated{};
        const bool sequenceEnd = c.startsWith(dicom::kSequenceDelimitation);
        const bool nextItem = c.startsWith(dicom::kItem);
        c.skip(4);
        if (sequenceEnd || nextItem) c.skip(4);
        return sequenceEnd;
    }

    void takeFieldValue(Tag tag, const std::string& value, const std::string& trimmed) {
        DicomFieldWrites& f = r_.fields;
        if (tag == dicom::kTransferSyntaxUid) {
            const std::string uid = trimRightControls(value);
            r_.transferSyntax = uid;
            if (isCompressedSyntax(uid)) r_.compressedSyntax = uid;
            if (uid == "1.2.840.10008.1.2" || uid == "1.2.840.10008.1.2.1") f.swap = false;
            if (uid == "1.2.840.10008.1.2.2") f.swap = true;
        } else if (tag == dicom::kRows) {
            f.rows = value;
        } else if (tag == dicom::kColumns) {
            f.columns = value;
        } else if (tag == dicom::kPixelSpacing) {
            f.pixelSpacing = upToBackslash(trimmed);
        } else if (tag == dicom::kDetectorElementSpacing) {
            f.pixelSpacing = leadingByBackslashOf(trimmed, value);
        } else if (tag == dicom::kReconstructionDiameter) {
            f.fieldOfView = trimmed;
        } else if (tag == dicom::kRescaleIntercept) {
            f.offset = IntToStr(Trunc(StrToFloat(trimmed)));
        } else if (tag == dicom::kWindowCenter) {
            const std::size_t bs = trimmed.find('\\');
            if (bs != std::string::npos) {
                f.windowLevel = trimmed.substr(0, bs);
                f.windowWidth = trimmed.substr(bs + 1);
            } else {
                f.windowLevel = trimmed;
            }
        } else if (tag == dicom::kWindowWidth) {
            f.windowWidth = upToBackslash(trimmed);
        } else if (tag == dicom::kDetectorActiveDimensions) {
            // Detector dimensions must read as two numbers; a file whose value does not
            // stops here, as it always has.
            const std::string v = trimRightControls(value);
            StrToFloat(leadingByBackslashOf(trimmed, v));
            const std::size_t bs = v.find('\\');
            StrToFloat(bs == std::string::npos ? std::string() : v.substr(bs + 1));
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    const TagDictionary& dictionary_;
    DicomHeaderResult& r_;
    int rowNumber_ = 1;
    bool inSequence_ = false;
    bool capped_ = false;
    std::vector<std::string> notes_;
};

}  // namespace

bool startsWithDataSet(const std::uint8_t* data, std::size_t size) {
    const bool hasPreamble = size >= 132 && std::memcmp(data + 128, "DICM", 4) == 0;
    // Group 0008 (identification) is where a data set without preamble and meta group begins.
    return !hasPreamble && size >= 8 && data[0] == 0x08 && data[1] == 0x00;
}

bool isCompressedSyntax(const std::string& uid) {
    return uid.rfind("1.2.840.10008.1.2.4.", 0) == 0 || uid == "1.2.840.10008.1.2.5" ||
           uid == "1.2.840.10008.1.2.1.99";
}

std::string compressedImageMessage(const std::string& uid) {
    return "The pixel data of this file is compressed (transfer syntax " + uid +
           "); only uncompressed images can be shown and measured. The header is listed.";
}

DicomHeaderResult readDicomHeader(const std::uint8_t* data, std::size_t size,
                                  const TagDictionary& dictionary) {
    DicomHeaderResult result;
    DicomFieldWrites& f = result.fields;
    f.header = "";
    f.columns = "";
    f.rows = "";
    f.fieldOfView = "";
    f.offset = "0";

    const auto pixelTag = find4(data, size, 0, size / 2, kPixelDataTag);
    if (!pixelTag) return result;
    result.pixelDataFound = true;
    f.header = std::to_string(pixelValueOffset(data, size, *pixelTag));

    std::optional<std::size_t> start;
    if (startsWithDataSet(data, size)) start = 0;
    for (std::size_t p = 0; !start && p + 2 <= size; ++p) {
        if (data[p] == 0x55 && data[p + 1] == 0x4C) {
            start = find4(data, size, p + 1, size, kMetaWalkStart);
            break;
        }
    }
    if (!start) return result;  // no file meta header to start from: an empty table

    HeaderWalk(data, size, dictionary, result).run(*start, *pixelTag);
    return result;
}

}  // namespace ctiq
