#include "tests/support/dicom_builder.h"

#include <cstring>

namespace ctiq::test {
namespace {

void append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

bool hasLongLength(const char* vr) {
    for (const char* v :
         {"OB", "OW", "SQ", "UN", "UT", "UC", "UR", "OD", "OF", "OL", "OV", "SV", "UV"})
        if (std::strcmp(vr, v) == 0) return true;
    return false;
}

}  // namespace

std::vector<std::uint8_t> DicomBuilder::tag(std::uint16_t group, std::uint16_t element) {
    std::vector<std::uint8_t> t = u16(group);
    append(t, u16(element));
    return t;
}

std::vector<std::uint8_t> DicomBuilder::u16(std::uint16_t v) {
    return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)};
}

std::vector<std::uint8_t> DicomBuilder::u32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

DicomBuilder::DicomBuilder(std::string transferSyntax) {
    bytes_.assign(128, 0);
    for (char c : std::string("DICM")) bytes_.push_back(static_cast<std::uint8_t>(c));
    explicitElement(0x0002, 0x0000, "UL", std::string("\x5A\x00\x00\x00", 4));
    explicitElement(0x0002, 0x0001, "OB", std::string("\x00\x01", 2));
    explicitElement(0x0002, 0x0002, "UI", std::string("1.2.840.10008.5.1.4.1.1.2\0", 26));
    if (transferSyntax.size() % 2) transferSyntax.push_back('\0');
    explicitElement(0x0002, 0x0010, "UI", transferSyntax);
}

DicomBuilder& DicomBuilder::explicitElement(std::uint16_t group, std::uint16_t element,
                                            const char vr[3], const std::string& value) {
    append(bytes_, tag(group, element));
    bytes_.push_back(static_cast<std::uint8_t>(vr[0]));
    bytes_.push_back(static_cast<std::uint8_t>(vr[1]));
    if (hasLongLength(vr)) {
        append(bytes_, u16(0));
        append(bytes_, u32(static_cast<std::uint32_t>(value.size())));
    } else {
        append(bytes_, u16(static_cast<std::uint16_t>(value.size())));
    }
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    return *this;
}

DicomBuilder& DicomBuilder::us(std::uint16_t group, std::uint16_t element, std::uint16_t value) {
    const std::vector<std::uint8_t> b = u16(value);
    return explicitElement(group, element, "US", std::string(b.begin(), b.end()));
}

DicomBuilder& DicomBuilder::implicitElement(std::uint16_t group, std::uint16_t element,
                                            const std::string& value) {
    append(bytes_, tag(group, element));
    append(bytes_, u32(static_cast<std::uint32_t>(value.size())));
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    return *this;
}

DicomBuilder& DicomBuilder::raw(const std::vector<std::uint8_t>& bytes) {
    append(bytes_, bytes);
    return *this;
}

std::vector<std::uint8_t> DicomBuilder::withPixels(const std::vector<std::int16_t>& words,
                                                   std::size_t trailingPadding) {
    std::vector<std::uint8_t> out = bytes_;
    const std::size_t tagPosition = out.size();
    append(out, tag(0x7FE0, 0x0010));
    out.push_back('O');
    out.push_back('W');
    append(out, u16(0));
    append(out, u32(static_cast<std::uint32_t>(words.size() * 2)));
    for (std::int16_t w : words) append(out, u16(static_cast<std::uint16_t>(w)));
    out.insert(out.end(), trailingPadding, 0);
    // The viewer looks for Pixel Data in the first half of the file only.
    if (tagPosition >= out.size() / 2) out.resize(2 * tagPosition + 2, 0);
    return out;
}

std::vector<std::uint8_t> multiFrameImage(std::uint16_t side,
                                          const std::vector<std::int16_t>& frameValues) {
    DicomBuilder b;
    b.us(0x0028, 0x0010, side).us(0x0028, 0x0011, side).us(0x0028, 0x0100, 16);
    std::string frames = std::to_string(frameValues.size());
    if (frames.size() % 2) frames += ' ';
    b.explicitElement(0x0028, 0x0008, "IS", frames);
    std::vector<std::int16_t> words;
    for (std::int16_t value : frameValues) words.insert(words.end(), std::size_t{side} * side, value);
    return b.withPixels(words);
}

}  // namespace ctiq::test
