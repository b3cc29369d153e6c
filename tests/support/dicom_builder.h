#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq::test {

// Builds small DICOM byte streams for tests: a preamble, the file meta group and elements in
// explicit VR little endian (or implicit VR), then a Pixel Data element.
class DicomBuilder {
  public:
    explicit DicomBuilder(std::string transferSyntax = "1.2.840.10008.1.2.1");

    DicomBuilder& explicitElement(std::uint16_t group, std::uint16_t element, const char vr[3],
                                  const std::string& value);
    DicomBuilder& us(std::uint16_t group, std::uint16_t element, std::uint16_t value);
    DicomBuilder& implicitElement(std::uint16_t group, std::uint16_t element,
                                  const std::string& value);
    // Raw bytes, for sequences and delimitations.
    DicomBuilder& raw(const std::vector<std::uint8_t>& bytes);
    // Pixel Data (OW) with the given words, then trailing zero bytes: at least `trailingPadding`,
    // and enough to keep the Pixel Data tag in the first half of the file.
    std::vector<std::uint8_t> withPixels(const std::vector<std::int16_t>& words,
                                         std::size_t trailingPadding = 0);
    // The bytes so far, without Pixel Data.
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    static std::vector<std::uint8_t> tag(std::uint16_t group, std::uint16_t element);
    static std::vector<std::uint8_t> u16(std::uint16_t v);
    static std::vector<std::uint8_t> u32(std::uint32_t v);

  private:
    std::vector<std::uint8_t> bytes_;
};

// A multi-frame DICOM image of side × side 16-bit samples, one frame per value, each frame all
// that value (Number of Frames says how many).
std::vector<std::uint8_t> multiFrameImage(std::uint16_t side,
                                          const std::vector<std::int16_t>& frameValues);

}  // namespace ctiq::test
