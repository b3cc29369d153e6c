#include "load/dicom/dicom_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/app_error.h"
#include "common/language.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "load/dicom/dicom_element.h"
#include "load/dicom/header_recorder.h"
#include "load/dicom/vocabulary.h"

namespace ctiq {
namespace {

using dicom::Cursor;
using dicom::RawElement;
using dicom::Tag;
using dicom::Truncated;

constexpr std::uint8_t kPixelDataTag[4] = {0xE0, 0x7F, 0x10, 0x00};
constexpr std::uint8_t kMetaWalkStart[4] = {0x02, 0x00, 0x02, 0x00};

std::optional<std::size_t> find4(const std::uint8_t* data, std::size_t size, std::size_t from,
                                 std::size_t endExclusive, const std::uint8_t (&bytes)[4]) {
    for (std::size_t p = from; p < endExclusive && p + 4 <= size; ++p)
        if (std::memcmp(data + p, bytes, 4) == 0) return p;
    return std::nullopt;
}

bool isUpperLetter(std::uint8_t c) {
    return c >= 0x41 && c <= 0x5A;
}

// Offset of the first byte of the Pixel Data value, from the encoding of its element.
std::size_t pixelValueOffset(const std::uint8_t* data, std::size_t size, std::size_t tagPos) {
    if (tagPos + 6 <= size && isUpperLetter(data[tagPos + 4]) && isUpperLetter(data[tagPos + 5])) {
        const std::string_view vr(reinterpret_cast<const char*>(data + tagPos + 4), 2);
        return dicom::hasLongLength(vr) ? tagPos + 12 : tagPos + 8;
    }
    return tagPos + 8;  // implicit VR: tag and 32-bit length
}

class HeaderWalk {
  public:
    HeaderWalk(const std::uint8_t* data, std::size_t size, const TagDictionary& dictionary,
               DicomHeaderResult& result, bool listRows)
        : data_(data), size_(size), r_(result), recorder_(result, dictionary, listRows) {}

    // `pixelTag` nullopt: no Pixel Data was found by the byte search; the walk goes to the end of
    // the data, and stops at a Pixel Data element should it meet one after all.
    void run(std::size_t start, std::optional<std::size_t> pixelTagFound) {
        Cursor c(data_, size_, start);
        Tag tag;
        std::size_t pixelTag = pixelTagFound.value_or(size_);
        try {
            bool first = true;
            while (true) {
                c.skipPadding();
                closeEnded(c);
                if (!open_.empty()) {
                    if (!c.has(4)) throw Truncated{};
                    tag = c.peekTag();
                    if (stepThroughItems(c)) continue;
                }
                if (!pixelTagFound) {
                    if (!c.has(4)) {
                        r_.noPixelData = true;
                        break;
                    }
                    if (open_.empty() && c.peekTag() == dicom::kPixelData) break;
                }
                // An element that starts past the Pixel Data tag found by the byte search means
                // those bytes lay inside a value: the real Pixel Data comes later.
                if (pixelTagFound && c.pos() > pixelTag) {
                    const auto next = first ? std::nullopt : nextPixelDataTag(c.pos());
                    if (!next) break;
                    pixelTag = *next;
                }
                first = false;
                // Pixel Data inside a sequence is an icon's: the image's own is the data set's.
                const bool isPixelData = c.pos() == pixelTag && open_.empty();
                tag = c.peekTag();
                record(c, dicom::readRawElement(c, isPixelData));
                if (isPixelData) break;
            }
        } catch (const Truncated&) {
            recorder_.finish();
            r_.brokenAtTag = std::int64_t{tag.group} << 16 | tag.element;
            recorder_.note("The DICOM header ends inside element (" + hex4(tag.group) + "," +
                           hex4(tag.element) + "): the file holds " + std::to_string(size_) +
                           " bytes. The rows read so far are listed.");
            return;
        } catch (const AppError& e) {
            recorder_.keepPreparedTable();
            r_.error = inUserLanguage(e);
            return;
        }
        recorder_.finish();
    }

  private:
    // A sequence or item being walked: where it ends (npos: at its delimitation).
    struct Open {
        bool isItem;
        std::size_t end;
    };

    std::optional<std::size_t> nextPixelDataTag(std::size_t from) {
        const auto next = find4(data_, size_, from, size_ / 2, kPixelDataTag);
        if (next) r_.fields.header = std::to_string(pixelValueOffset(data_, size_, *next));
        return next;
    }

    // Closes the items and sequences of defined length that end where the cursor is.
    void closeEnded(const Cursor& c) {
        while (!open_.empty() && open_.back().end != std::string::npos &&
               c.pos() >= open_.back().end) {
            if (!open_.back().isItem) recorder_.sequenceEnd();
            open_.pop_back();
        }
    }

    // Inside a sequence: an item's start, an item's or the sequence's delimitation. True when the
    // cursor stood at one of them and has passed it.
    bool stepThroughItems(Cursor& c) {
        const bool inItem = open_.back().isItem;
        if (c.startsWith(dicom::kItemDelimitation)) {
            c.skip(8);
            if (inItem) open_.pop_back();
            return true;
        }
        if (c.startsWith(dicom::kSequenceDelimitation)) {
            c.skip(8);
            if (inItem) open_.pop_back();  // an item left open by a faulty writer
            if (!open_.empty() && !open_.back().isItem) {
                open_.pop_back();
                recorder_.sequenceEnd();
            }
            return true;
        }
        if (c.startsWith(dicom::kItem)) {
            c.skip(4);
            const std::uint32_t length = c.read32();
            if (inItem) open_.pop_back();  // an undefined-length item left without delimitation
            open_.push_back({true, endOf(c, length)});
            recorder_.item();
            return true;
        }
        if (!inItem) {
            // A sequence whose value holds no item: nothing in it is listed.
            const std::size_t end = open_.back().end;
            if (end == std::string::npos) throw Truncated{};
            c.skip(end - c.pos());
            return true;
        }
        return false;
    }

    std::size_t endOf(const Cursor& c, std::uint32_t length) const {
        if (length == dicom::kUndefinedLength) return std::string::npos;
        return c.pos() + length;
    }

    void record(Cursor& c, const RawElement& e) {
        // Pixel Data's length counts even where its low half is 0 (512 × 512 words) and the
        // table shows no row for it.
        if (e.isPixelData) {
            r_.pixelDataCutShort = e.cutShort;
            r_.image.pixelDataLength =
                e.declaredLength == dicom::kUndefinedLength ? -1 : std::int64_t(e.declaredLength);
        }
        switch (e.kind) {
            case RawElement::Kind::EnterSequence:
                recorder_.sequence(e.tag);
                open_.push_back({false, endOf(c, e.declaredLength)});
                return;
            case RawElement::Kind::EmptySequence:
                recorder_.sequence(e.tag, false);
                return;
            case RawElement::Kind::Empty:
                recorder_.emptyElement(e.tag);
                return;
            case RawElement::Kind::Value:
                break;
        }
        recorder_.element(e);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    DicomHeaderResult& r_;
    dicom::HeaderRecorder recorder_;
    std::vector<Open> open_;
};

}  // namespace

bool startsWithDataSet(const std::uint8_t* data, std::size_t size) {
    const bool hasPreamble = size >= 132 && std::memcmp(data + 128, "DICM", 4) == 0;
    // Group 0008 (identification) is where a data set without preamble and meta group begins,
    // little endian; or big endian in explicit VR, its VR telling it from a little-endian group.
    const bool littleEndian = size >= 8 && data[0] == 0x08 && data[1] == 0x00;
    const bool bigEndian = size >= 8 && data[0] == 0x00 && data[1] == 0x08 && isUpperLetter(data[4]) &&
                           isUpperLetter(data[5]);
    return !hasPreamble && (littleEndian || bigEndian);
}

bool looksLikeDicom(const std::uint8_t* data, std::size_t size) {
    return (size >= 132 && std::memcmp(data + 128, "DICM", 4) == 0) ||
           startsWithDataSet(data, size);
}

AppError compressedImageMessage(const std::string& uid) {
    return AppError(
        "The pixel data of this file is compressed (transfer syntax %1); only "
        "uncompressed images can be shown and measured. The header is listed.",
        {uid});
}

DicomHeaderResult readDicomHeader(const std::uint8_t* data, std::size_t size,
                                  const TagDictionary& dictionary, bool listRows) {
    DicomHeaderResult result;
    DicomFieldWrites& f = result.fields;
    f.header = "";
    f.columns = "";
    f.rows = "";
    f.fieldOfView = "";
    f.offset = "0";

    const auto pixelTag = find4(data, size, 0, size / 2, kPixelDataTag);
    // Without Pixel Data only a file that says it is DICOM is walked (to list what it holds).
    const bool preamble = size >= 132 && std::memcmp(data + 128, "DICM", 4) == 0;
    if (!pixelTag && !preamble) return result;
    result.pixelDataFound = pixelTag.has_value();
    if (pixelTag) f.header = std::to_string(pixelValueOffset(data, size, *pixelTag));

    std::optional<std::size_t> start;
    if (startsWithDataSet(data, size)) start = 0;
    for (std::size_t p = 0; !start && p + 2 <= size; ++p) {
        if (data[p] == 0x55 && data[p + 1] == 0x4C) {
            start = find4(data, size, p + 1, size, kMetaWalkStart);
            break;
        }
    }
    if (!start) return result;  // no file meta header to start from: an empty table

    result.walked = true;
    HeaderWalk(data, size, dictionary, result, listRows).run(*start, pixelTag);
    return result;
}

}  // namespace ctiq
