#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "load/dicom/dicom_tags.h"

namespace ctiq::dicom {

// The walk ran past the end of the data.
struct Truncated {};

// Reads little-endian values from the file's bytes; every read is checked against the end.
class Cursor {
  public:
    Cursor(const std::uint8_t* data, std::size_t size, std::size_t pos)
        : data_(data), size_(size), pos_(pos) {}

    std::size_t pos() const { return pos_; }
    bool has(std::size_t n) const { return pos_ <= size_ && size_ - pos_ >= n; }
    std::uint8_t at(std::size_t offset) const { return data_[pos_ + offset]; }
    std::uint16_t read16();
    std::uint32_t read32();
    void skip(std::size_t n);
    // Passes zero bytes that pad between elements. A zero byte that begins a tag (the groups
    // 5200, 6000, 5000, … have a zero low byte) stays: zeros go while they would make a tag of
    // group 0000, and a last single zero only where the tag after it reads as an element and the
    // tag at it does not.
    void skipPadding();
    std::string readBytes(std::size_t n);
    // At most n bytes: what the data still holds.
    std::string readAvailable(std::size_t n);
    bool startsWith(Tag tag) const;
    // The tag at the cursor, as far as the data holds it (zeros past the end).
    Tag peekTag() const;

  private:
    std::string take(std::size_t n);
    bool elementAt(std::size_t at) const;

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_;
};

// One data element as the header scanner reads it: the tag, the VR where the file writes one
// (two capital letters after the tag), the length the table shows and the value bytes.
struct RawElement {
    Tag tag;
    std::string vr;  // empty: implicit VR
    enum class Kind {
        Value,          // `value` holds the bytes the table shows
        Empty,          // no value bytes: no table row
        EnterSequence,  // a sequence (or an undefined-length value) whose items the walk enters;
                        // `declaredLength` is its length (kUndefinedLength: up to a delimitation)
        EmptySequence,  // a sequence of length 0: listed, nothing to enter
    } kind = Kind::Value;
    std::uint32_t shownLength = 0;     // CHR#
    std::uint32_t declaredLength = 0;  // the length as the file writes it (kUndefinedLength too)
    std::string value;
    bool isPixelData = false;
    bool cutShort = false;  // Pixel Data that the file ends inside
};

// Reads the element at the cursor. Lengths are read as the scanner always has (16 bits, and the
// low half of a 32-bit length, with OB/OW values keeping the two bytes of its high half in
// front), except where that misreads a valid file: a 32-bit length with a non-zero high half,
// the VRs of 32-bit lengths other than OB/OW/UN/SQ, an undefined length and an empty sequence are
// read as written. A sequence is not read here: the cursor stays before its first item, for the
// walk to enter. Pixel Data, the last element, takes only the bytes the file still holds.
// Throws Truncated when the element runs past the end.
RawElement readRawElement(Cursor& c, bool isPixelData);

}  // namespace ctiq::dicom
