#include "load/toolkit/codestream_check.h"

#include <vector>

namespace ctiq::toolkit {
namespace {

std::uint32_t be16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 8 | p[1];
}
std::uint32_t be32(const std::uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}
std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::string dimensionsText(std::int64_t columns, std::int64_t rows) {
    return std::to_string(columns) + " × " + std::to_string(rows);
}

std::optional<std::string> compare(std::int64_t columns, std::int64_t rows, int precision,
                                   std::int64_t components, const FrameShape& s) {
    if (columns != s.columns || rows != s.rows)
        return "its compressed data holds " + dimensionsText(columns, rows) +
               " samples, the header says " + dimensionsText(s.columns, s.rows);
    if (components != s.samplesPerPixel)
        return "its compressed data holds " + std::to_string(components) +
               " components per sample, the header says " + std::to_string(s.samplesPerPixel);
    if (precision < 1 || precision > 16 || (precision + 7) / 8 != s.bitsAllocated / 8)
        return "its compressed data holds " + std::to_string(precision) +
               "-bit samples, the header allocates " + std::to_string(s.bitsAllocated) + " bits";
    return std::nullopt;
}

// The first frame header (SOFn, or SOF55 for JPEG-LS) of a JPEG or JPEG-LS stream.
std::optional<std::string> checkJpeg(const std::uint8_t* d, std::size_t n, const FrameShape& s) {
    for (std::size_t k = 0; k + 9 < n; ++k) {
        if (d[k] != 0xFF) continue;
        const std::uint8_t m = d[k + 1];
        const bool frameHeader =
            (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) || m == 0xF7;
        if (!frameHeader) continue;
        const int precision = d[k + 4];
        const std::int64_t rows = be16(d + k + 5), columns = be16(d + k + 7);
        return compare(columns, rows, precision, d[k + 9], s);
    }
    return "its compressed data has no frame header";
}

std::optional<std::string> checkJpeg2000(const std::uint8_t* d, std::size_t n,
                                         const FrameShape& s) {
    // The SIZ segment follows the start of the codestream (also inside a JP2 file's boxes).
    for (std::size_t k = 0; k + 4 < n; ++k) {
        if (!(d[k] == 0xFF && d[k + 1] == 0x4F && d[k + 2] == 0xFF && d[k + 3] == 0x51)) continue;
        const std::uint8_t* siz = d + k + 4;
        if (k + 4 + 38 + 3 > n) break;
        const std::int64_t xsiz = be32(siz + 4), ysiz = be32(siz + 8);
        const std::int64_t xo = be32(siz + 12), yo = be32(siz + 16);
        const std::int64_t components = be16(siz + 36);
        const int precision = (siz[38] & 0x7F) + 1;
        if (xo > xsiz || yo > ysiz) return "its compressed data has an impossible image size";
        return compare(xsiz - xo, ysiz - yo, precision, components, s);
    }
    return "its compressed data has no JPEG 2000 size segment";
}

// The number of bytes a PackBits segment decodes to (PS3.5 G.3.1).
std::uint64_t packBitsLength(const std::uint8_t* d, std::size_t n) {
    std::uint64_t out = 0;
    std::size_t k = 0;
    while (k < n) {
        const auto c = static_cast<std::int8_t>(d[k++]);
        if (c >= 0) {
            const std::size_t literal = static_cast<std::size_t>(c) + 1;
            if (literal > n - k) return out + (n - k);
            out += literal;
            k += literal;
        } else if (c != -128) {
            if (k >= n) break;
            out += static_cast<std::uint64_t>(1 - c);
            ++k;
        }
    }
    return out;
}

std::optional<std::string> checkRle(const std::uint8_t* d, std::size_t n, const FrameShape& s) {
    if (n < 64) return "its RLE header is cut short";
    const std::uint32_t segments = le32(d);
    const std::int64_t expected = s.samplesPerPixel * (s.bitsAllocated / 8);
    if (segments != static_cast<std::uint32_t>(expected))
        return "its RLE data holds " + std::to_string(segments) + " segments, the header needs " +
               std::to_string(expected);
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t i = 0; i < segments; ++i) offsets.push_back(le32(d + 4 + 4 * i));
    offsets.push_back(static_cast<std::uint32_t>(n));
    const std::uint64_t perSegment =
        static_cast<std::uint64_t>(s.columns) * static_cast<std::uint64_t>(s.rows);
    for (std::uint32_t i = 0; i < segments; ++i) {
        if (offsets[i] < 64 || offsets[i] > offsets[i + 1] || offsets[i + 1] > n)
            return "its RLE segment offsets are out of order";
        const std::uint64_t length = packBitsLength(d + offsets[i], offsets[i + 1] - offsets[i]);
        // An encoder may pad a segment by one byte.
        if (length < perSegment || length > perSegment + 1)
            return "its RLE segment " + std::to_string(i + 1) + " decodes to " +
                   std::to_string(length) + " bytes, the header's " +
                   dimensionsText(s.columns, s.rows) + " samples need " +
                   std::to_string(perSegment);
    }
    return std::nullopt;
}

}  // namespace

Codestream codestreamOf(const std::string& uid) {
    if (uid == "1.2.840.10008.1.2.5") return Codestream::Rle;
    if (uid == "1.2.840.10008.1.2.4.80" || uid == "1.2.840.10008.1.2.4.81")
        return Codestream::JpegLs;
    if (uid.rfind("1.2.840.10008.1.2.4.9", 0) == 0) return Codestream::Jpeg2000;
    if (uid.rfind("1.2.840.10008.1.2.4.", 0) == 0) return Codestream::Jpeg;
    return Codestream::Other;
}

std::optional<std::string> codestreamMismatch(Codestream kind, const std::uint8_t* data,
                                              std::size_t size, const FrameShape& shape) {
    if (shape.bitsAllocated != 8 && shape.bitsAllocated != 16)
        return "its samples take " + std::to_string(shape.bitsAllocated) +
               " bits; only 8- and 16-bit samples can be shown and measured";
    switch (kind) {
        case Codestream::Jpeg:
        case Codestream::JpegLs:
            return checkJpeg(data, size, shape);
        case Codestream::Jpeg2000:
            return checkJpeg2000(data, size, shape);
        case Codestream::Rle:
            return checkRle(data, size, shape);
        case Codestream::Other:
            break;
    }
    return "its compression is not one the toolkit helper checks";
}

}  // namespace ctiq::toolkit
