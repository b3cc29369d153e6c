#include "viewer/dicom/dicom_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/rounding.h"

namespace ctiq {
namespace {

// The walk ran past the end of the data.
struct Truncated {};

class Cursor {
  public:
    Cursor(const std::uint8_t* data, std::size_t size, std::size_t pos)
        : data_(data), size_(size), pos_(pos) {}

    std::size_t pos() const { return pos_; }
    bool has(std::size_t n) const { return pos_ <= size_ && size_ - pos_ >= n; }
    std::uint8_t at(std::size_t offset) const { return data_[pos_ + offset]; }

    std::uint16_t read16() {
        if (!has(2)) throw Truncated{};
        const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    void skip(std::size_t n) {
        if (!has(n)) throw Truncated{};
        pos_ += n;
    }
    void skipZeros() {
        while (pos_ < size_ && data_[pos_] == 0) ++pos_;
    }
    std::string readBytes(std::size_t n) {
        if (!has(n)) throw Truncated{};
        return take(n);
    }
    // At most n bytes: what the data still holds.
    std::string readAvailable(std::size_t n) {
        return take(pos_ <= size_ ? std::min(n, size_ - pos_) : 0);
    }
    bool startsWith(const std::uint8_t (&bytes)[4]) const {
        return has(4) && std::memcmp(data_ + pos_, bytes, 4) == 0;
    }

  private:
    std::string take(std::size_t n) {
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_;
};

constexpr std::uint8_t kPixelDataTag[4] = {0xE0, 0x7F, 0x10, 0x00};
constexpr std::uint8_t kMetaWalkStart[4] = {0x02, 0x00, 0x02, 0x00};
constexpr std::uint8_t kItemDelimitation[4] = {0xFE, 0xFF, 0x0D, 0xE0};
constexpr std::uint8_t kSequenceDelimitation[4] = {0xFE, 0xFF, 0xDD, 0xE0};
constexpr std::uint8_t kItem[4] = {0xFE, 0xFF, 0x00, 0xE0};

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
        std::uint16_t group = 0, element = 0;
        try {
            while (c.pos() < pixelTag + 5) {
                HeaderRow& row = currentRow();
                for (int i = 1; i <= 6; ++i) row[i].clear();
                c.skipZeros();
                const bool isPixelData = c.pos() == pixelTag;
                group = c.read16();
                row[1] = hex4(group);
                element = c.read16();
                std::string vr;
                if (c.has(2) && isUpperLetter(c.at(0)) && isUpperLetter(c.at(1))) {
                    vr = {static_cast<char>(c.at(0)), static_cast<char>(c.at(1))};
                    row[3] = vr;
                    c.skip(2);
                }
                std::uint16_t length = c.read16();
                std::uint16_t shownLength = length;
                std::size_t valueLength = length;
                if (vr == "OB" || vr == "OW") {
                    length = c.read16();
                    shownLength = length;
                    valueLength = std::size_t{length} + 2;
                }
                if (vr.empty()) c.skip(2);
                if (vr == "UN" && length == 0) {
                    length = c.read16();
                    shownLength = length;
                    valueLength = length;
                    c.skip(2);
                }
                if (vr == "SQ") {
                    c.skip(12);
                    row[2] = hex4(element);
                    row[3] = "SQ";
                    ++rowNumber_;
                    inSequence_ = true;
                    continue;
                }
                if (valueLength == 0) continue;
                // The walk ends with Pixel Data, whose value is shown only: a file cut short
                // inside it still has a whole header (the rendering reports the missing pixels).
                std::string value =
                    isPixelData ? c.readAvailable(valueLength) : c.readBytes(valueLength);
                const bool sequenceEnds = inSequence_ && stepOverDelimitations(c);

                if (!(group == 0x0028 && element == 0x1053) && value.size() >= 2 &&
                    (vr == "US" || (vr.empty() && valueLength == 2 && group > 0x0020))) {
                    const auto word =
                        static_cast<std::int16_t>(static_cast<std::uint8_t>(value[0]) |
                                                  (static_cast<std::uint8_t>(value[1]) << 8));
                    value = std::to_string(word);
                }
                if (group == 0x0002 && element == 0x0002) {
                    while (value.size() > 2 && value.back() == '\0') value.pop_back();
                }
                const std::string trimmed = trimControls(value);
                takeFieldValue(group, element, value, trimmed);

                row[2] = hex4(element);
                row[4] = hex4(shownLength);
                row[5] = dictionary_.lookup(group, element);
                row[6] = trimmed;
                char number[16];
                std::snprintf(number, sizeof number, "%3d", rowNumber_);
                row[0] = number;
                ++rowNumber_;
                if (sequenceEnds) {
                    HeaderRow& end = currentRow();
                    end = {};
                    end[3] = "SQ";
                    ++rowNumber_;
                    inSequence_ = false;
                }
                addToSummary(r_.summary, group, element, value);
            }
        } catch (const Truncated&) {
            finish();
            r_.error = "The DICOM header ends inside element (" + hex4(group) + "," +
                       hex4(element) + "): the file holds " + std::to_string(size_) +
                       " bytes. The rows read so far are listed.";
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

    HeaderRow& currentRow() {
        // rows[0] is table row 1; the table grows as the header needs.
        if (r_.rows.size() < static_cast<std::size_t>(rowNumber_)) r_.rows.resize(rowNumber_);
        return r_.rows[rowNumber_ - 1];
    }

    void finish() { r_.rows.resize(rowNumber_ - 1); }

    // Inside a sequence: passes an item delimitation and what follows it; true at a sequence end.
    bool stepOverDelimitations(Cursor& c) {
        if (!c.startsWith(kItemDelimitation)) return false;
        c.skip(8);
        if (!c.has(4)) throw Truncated{};
        const bool sequenceEnd = c.startsWith(kSequenceDelimitation);
        const bool nextItem = c.startsWith(kItem);
        c.skip(4);
        if (sequenceEnd || nextItem) c.skip(4);
        return sequenceEnd;
    }

    void takeFieldValue(std::uint16_t group, std::uint16_t element, const std::string& value,
                        const std::string& trimmed) {
        DicomFieldWrites& f = r_.fields;
        const std::uint32_t tag = (std::uint32_t{group} << 16) | element;
        switch (tag) {
            case 0x00020010: {
                const std::string uid = trimRightControls(value);
                if (isCompressedSyntax(uid)) r_.compressedSyntax = uid;
                if (uid == "1.2.840.10008.1.2" || uid == "1.2.840.10008.1.2.1") f.swap = false;
                if (uid == "1.2.840.10008.1.2.2") f.swap = true;
                break;
            }
            case 0x00280010:
                f.rows = value;
                break;
            case 0x00280011:
                f.columns = value;
                break;
            case 0x00280030:
                f.pixelSpacing = upToBackslash(trimmed);
                break;
            case 0x00187022:
                f.pixelSpacing = leadingByBackslashOf(trimmed, value);
                break;
            case 0x00181100:
                f.fieldOfView = trimmed;
                break;
            case 0x00281052:
                f.offset = IntToStr(Trunc(StrToFloat(trimmed)));
                break;
            case 0x00281050: {
                const std::size_t bs = trimmed.find('\\');
                if (bs != std::string::npos) {
                    f.windowLevel = trimmed.substr(0, bs);
                    f.windowWidth = trimmed.substr(bs + 1);
                } else {
                    f.windowLevel = trimmed;
                }
                break;
            }
            case 0x00281051:
                f.windowWidth = upToBackslash(trimmed);
                break;
            case 0x00187026: {
                // Detector dimensions must read as two numbers; a file whose value does not
                // stops here, as it always has.
                const std::string v = trimRightControls(value);
                StrToFloat(leadingByBackslashOf(trimmed, v));
                const std::size_t bs = v.find('\\');
                StrToFloat(bs == std::string::npos ? std::string() : v.substr(bs + 1));
                break;
            }
            default:
                break;
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    const TagDictionary& dictionary_;
    DicomHeaderResult& r_;
    int rowNumber_ = 1;
    bool inSequence_ = false;
};

}  // namespace

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
    for (std::size_t p = 0; p + 2 <= size; ++p) {
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
