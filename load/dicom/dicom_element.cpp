#include "load/dicom/dicom_element.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "load/dicom/vocabulary.h"

namespace ctiq::dicom {

std::uint16_t Cursor::read16() {
    if (!has(2)) throw Truncated{};
    const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t Cursor::read32() {
    const std::uint32_t low = read16();
    return low | (std::uint32_t{read16()} << 16);
}

void Cursor::skip(std::size_t n) {
    if (!has(n)) throw Truncated{};
    pos_ += n;
}

namespace {

bool isUpperLetter(std::uint8_t c) {
    return c >= 0x41 && c <= 0x5A;
}

}  // namespace

// Whether the bytes at `at` read as an element: an explicit VR, or a tag the dictionary knows.
bool Cursor::elementAt(std::size_t at) const {
    if (at + 6 > size_) return false;
    if (isUpperLetter(data_[at + 4]) && isUpperLetter(data_[at + 5])) return true;
    const Tag tag{static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8),
                  static_cast<std::uint16_t>(data_[at + 2] | data_[at + 3] << 8)};
    return !dictionaryVr(tag).empty();
}

void Cursor::skipPadding() {
    while (pos_ + 1 < size_ && data_[pos_] == 0 && data_[pos_ + 1] == 0) ++pos_;
    if (pos_ + 1 < size_ && data_[pos_] == 0 && elementAt(pos_ + 1) && !elementAt(pos_)) ++pos_;
    if (pos_ + 1 == size_ && data_[pos_] == 0) ++pos_;
}

std::string Cursor::readBytes(std::size_t n) {
    if (!has(n)) throw Truncated{};
    return take(n);
}

std::string Cursor::readAvailable(std::size_t n) {
    return take(pos_ <= size_ ? std::min(n, size_ - pos_) : 0);
}

bool Cursor::startsWith(Tag tag) const {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(tag.group), static_cast<std::uint8_t>(tag.group >> 8),
        static_cast<std::uint8_t>(tag.element), static_cast<std::uint8_t>(tag.element >> 8)};
    return has(4) && std::memcmp(data_ + pos_, bytes, 4) == 0;
}

Tag Cursor::peekTag() const {
    auto word = [this](std::size_t at) {
        return has(at + 2)
                   ? static_cast<std::uint16_t>(data_[pos_ + at] | data_[pos_ + at + 1] << 8)
                   : std::uint16_t{0};
    };
    return {word(0), word(2)};
}

std::string Cursor::take(std::size_t n) {
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
}

namespace {

// VRs with a reserved word and a 32-bit length, beyond the four read in their own ways below.
bool hasLongLengthOnly(std::string_view vr) {
    return dicom::hasLongLength(vr) && vr != "OB" && vr != "OW" && vr != "UN" && vr != "SQ";
}

// The value of `length` bytes. Pixel Data takes what the file holds of them, and is cut short
// when the file ends before the `declared` length (of the value from the cursor on).
void takeValue(Cursor& c, RawElement& e, std::size_t length, std::uint64_t declared) {
    if (e.isPixelData) e.cutShort = declared != kUndefinedLength && !c.has(declared);
    if (length == 0) {
        e.kind = RawElement::Kind::Empty;
        return;
    }
    e.value = e.isPixelData ? c.readAvailable(length) : c.readBytes(length);
}

// A sequence (or an undefined-length value, which holds items as a sequence does): the walk goes
// on with its items, `declaredLength` saying where it ends.
void enterSequence(RawElement& e, std::uint32_t length) {
    e.declaredLength = length;
    e.kind = RawElement::Kind::EnterSequence;
}

// A value of an implicit-VR element that holds items: the dictionary says SQ, or an element it
// does not know whose value begins with an item tag.
bool holdsItems(Cursor& c, Tag tag, std::uint32_t length) {
    if (length < 8 || !c.startsWith(kItem)) return false;
    const std::string_view vr = dictionaryVr(tag);
    return vr == "SQ" || vr.empty() || vr == "UN";
}

}  // namespace

RawElement readRawElement(Cursor& c, bool isPixelData) {
    RawElement e;
    e.isPixelData = isPixelData;
    e.tag.group = c.read16();
    e.tag.element = c.read16();
    if (c.has(2) && isUpperLetter(c.at(0)) && isUpperLetter(c.at(1))) {
        e.vr = {static_cast<char>(c.at(0)), static_cast<char>(c.at(1))};
        c.skip(2);
    }
    const std::uint16_t length16 = c.read16();
    const bool undefinedAllowed = !isPixelData;  // Pixel Data is shown, never entered

    if (e.vr.empty()) {
        const std::uint32_t length = length16 | (std::uint32_t{c.read16()} << 16);
        e.declaredLength = length;
        if (length == kUndefinedLength && undefinedAllowed) {
            enterSequence(e, length);
            return e;
        }
        if (!isPixelData && holdsItems(c, e.tag, length)) {
            enterSequence(e, length);
            return e;
        }
        // Pixel Data keeps the low half it always showed; it is the last element anyway.
        const std::uint32_t read = length > 0xFFFF && !isPixelData ? length : length16;
        e.shownLength = read;
        takeValue(c, e, read, length);
        return e;
    }
    if (e.vr == "SQ") {
        const std::uint32_t length = c.read32();
        if (length == 0) {
            e.kind = RawElement::Kind::EmptySequence;
            return e;
        }
        enterSequence(e, length);
        return e;
    }
    if (e.vr == "OB" || e.vr == "OW") {
        // The two bytes of the length's high half lead the value, as the table always showed.
        const std::uint16_t low = c.read16();
        const std::uint16_t high =
            static_cast<std::uint16_t>(c.has(2) ? c.at(0) | c.at(1) << 8 : 0);
        const std::uint32_t length = low | (std::uint32_t{high} << 16);
        e.declaredLength = length;
        if (length == kUndefinedLength && undefinedAllowed) {
            c.skip(2);
            enterSequence(e, length);
            return e;
        }
        const std::uint32_t read = high != 0 && !isPixelData ? length : low;
        e.shownLength = read;
        takeValue(c, e, std::size_t{read} + 2,
                  length == kUndefinedLength ? length : std::uint64_t{length} + 2);
        return e;
    }
    if ((e.vr == "UN" && length16 == 0) || hasLongLengthOnly(e.vr)) {
        const std::uint32_t length = c.read32();
        e.declaredLength = length;
        if (length == kUndefinedLength && undefinedAllowed) {
            enterSequence(e, length);
            return e;
        }
        e.shownLength = length;
        takeValue(c, e, length, length);
        return e;
    }
    e.shownLength = length16;
    e.declaredLength = length16;
    takeValue(c, e, length16, length16);
    return e;
}

}  // namespace ctiq::dicom
