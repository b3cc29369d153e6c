#include "load/toolkit/codestream_check.h"

#include <algorithm>
#include <vector>

#include "common/language.h"

namespace ctiq::toolkit {
namespace {

std::uint32_t be16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 8 | p[1];
}
std::uint32_t be32(const std::uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}
std::uint64_t be64(const std::uint8_t* p) {
    return std::uint64_t{be32(p)} << 32 | be32(p + 4);
}
std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::string dimensionsText(std::int64_t columns, std::int64_t rows) {
    return std::to_string(columns) + " × " + std::to_string(rows);
}

std::string markerText(std::uint8_t marker) {
    static const char* digits = "0123456789ABCDEF";
    return std::string("FF") + digits[marker >> 4] + digits[marker & 15];
}

std::optional<std::string> compare(std::int64_t columns, std::int64_t rows, int precision,
                                   std::int64_t components, const FrameShape& s) {
    if (columns != s.columns || rows != s.rows)
        return inUserLanguage("its compressed data holds %1 samples, the header says %2",
                              {dimensionsText(columns, rows), dimensionsText(s.columns, s.rows)});
    if (components != s.samplesPerPixel)
        return inUserLanguage(
            "its compressed data holds %1 components per sample, the header says %2",
            {std::to_string(components), std::to_string(s.samplesPerPixel)});
    if (precision < 1 || precision > 16 || (precision + 7) / 8 != s.bitsAllocated / 8)
        return inUserLanguage(
            "its compressed data holds %1-bit samples, the header allocates %2 bits",
            {std::to_string(precision), std::to_string(s.bitsAllocated)});
    return std::nullopt;
}

bool isFrameHeader(std::uint8_t m) {
    return (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) || m == 0xF7;
}

// Markers that stand alone, without a length: RSTn and TEM.
bool standsAlone(std::uint8_t m) {
    return (m >= 0xD0 && m <= 0xD7) || m == 0x01;
}

std::optional<std::string> checkFrameHeader(const std::uint8_t* segment, std::uint32_t length,
                                            std::uint8_t marker, bool jpegLs, const FrameShape& s) {
    if (length < 8)
        return inUserLanguage("its frame header (%1) is cut short", {markerText(marker)});
    if ((marker == 0xF7) != jpegLs)
        return inUserLanguage(
            "its compressed data has a %1 frame header (%2) where its transfer syntax says %3",
            {jpegLs ? "JPEG" : "JPEG-LS", markerText(marker), jpegLs ? "JPEG-LS" : "JPEG"});
    return compare(be16(segment + 5), be16(segment + 3), segment[2], segment[7], s);
}

// Walks the marker segments from the start of image by their lengths to the first frame header
// (SOFn, or SOF55 for JPEG-LS): bytes that look like one inside a comment or an application
// segment are never taken for it.
std::optional<std::string> checkJpeg(const std::uint8_t* d, std::size_t n, const FrameShape& s,
                                     bool jpegLs) {
    if (n < 2 || d[0] != 0xFF || d[1] != 0xD8)
        return inUserLanguage("its compressed data does not begin with a start of image (FFD8)");
    std::size_t pos = 2;
    while (true) {
        if (pos + 1 >= n) return inUserLanguage("its compressed data ends before a frame header");
        if (d[pos] != 0xFF)
            return inUserLanguage(
                "its compressed data has no marker at byte %1 before a frame "
                "header",
                {std::to_string(pos)});
        while (pos + 1 < n && d[pos + 1] == 0xFF) ++pos;  // fill bytes
        if (pos + 1 >= n) return inUserLanguage("its compressed data ends before a frame header");
        const std::uint8_t m = d[pos + 1];
        pos += 2;
        if (standsAlone(m)) continue;
        if (m == 0x00 || m == 0xD8 || m == 0xD9 || m == 0xDA)
            return inUserLanguage("its compressed data reaches %1 before a frame header",
                                  {markerText(m)});
        if (pos + 2 > n) return inUserLanguage("its compressed data ends before a frame header");
        const std::uint32_t length = be16(d + pos);
        if (length < 2 || length > n - pos)
            return inUserLanguage("its compressed data has a segment (%1) that runs past its end",
                                  {markerText(m)});
        if (isFrameHeader(m)) return checkFrameHeader(d + pos, length, m, jpegLs, s);
        pos += length;
    }
}

struct Span {
    const std::uint8_t* data;
    std::size_t size;
};

bool isJp2(const std::uint8_t* d, std::size_t n) {
    static const std::uint8_t signature[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
    return n >= 12 && std::equal(signature, signature + 12, d);
}

// The contiguous codestream box (jp2c) of a JP2 file, found by walking its boxes.
std::optional<Span> jp2Codestream(const std::uint8_t* d, std::size_t n) {
    std::size_t pos = 0;
    while (pos + 8 <= n) {
        std::uint64_t length = be32(d + pos);
        const std::uint32_t type = be32(d + pos + 4);
        std::size_t header = 8;
        if (length == 1) {
            if (pos + 16 > n) return std::nullopt;
            length = be64(d + pos + 8);
            header = 16;
        } else if (length == 0) {
            length = n - pos;  // the last box runs to the end
        }
        if (length < header || length > n - pos) return std::nullopt;
        if (type == 0x6A703263) return Span{d + pos + header, std::size_t(length) - header};
        pos += std::size_t(length);
    }
    return std::nullopt;
}

// The size segment (SIZ), which must follow the start of codestream (SOC) directly.
std::optional<std::string> checkSiz(const std::uint8_t* d, std::size_t n, const FrameShape& s) {
    if (n < 4 || be16(d) != 0xFF4F || be16(d + 2) != 0xFF51)
        return inUserLanguage(
            "its compressed data does not begin with a JPEG 2000 start of codestream (FF4F) and "
            "size segment (FF51)");
    const std::uint8_t* siz = d + 4;
    if (n < 4 + 41) return inUserLanguage("its JPEG 2000 size segment is cut short");
    const std::uint32_t length = be16(siz);
    const std::int64_t components = be16(siz + 36);
    if (length != 38 + 3 * components || length > n - 4)
        return inUserLanguage("its JPEG 2000 size segment is %1 bytes long for %2 components",
                              {std::to_string(length), std::to_string(components)});
    const std::int64_t xsiz = be32(siz + 4), ysiz = be32(siz + 8);
    const std::int64_t xo = be32(siz + 12), yo = be32(siz + 16);
    if (xo > xsiz || yo > ysiz)
        return inUserLanguage("its compressed data has an impossible image size");
    if (siz[39] != 1 || siz[40] != 1)
        return inUserLanguage("its compressed data subsamples its samples (%1 × %2)",
                              {std::to_string(siz[39]), std::to_string(siz[40])});
    return compare(xsiz - xo, ysiz - yo, (siz[38] & 0x7F) + 1, components, s);
}

std::optional<std::string> checkJpeg2000(const std::uint8_t* d, std::size_t n,
                                         const FrameShape& s) {
    if (!isJp2(d, n)) return checkSiz(d, n, s);
    const auto codestream = jp2Codestream(d, n);
    if (!codestream)
        return inUserLanguage("its JP2 file holds no codestream box its boxes lead to");
    return checkSiz(codestream->data, codestream->size, s);
}

// The number of bytes a PackBits segment (DICOM RLE) decodes to.
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

// The 64-byte RLE header: its segment count, and offsets that rise from byte 64 inside the data.
std::optional<std::string> rleHeaderFault(const std::uint8_t* d, std::size_t n,
                                          std::uint32_t segments, std::int64_t expected) {
    if (segments < 1 || segments > 15)
        return inUserLanguage("its RLE header gives %1 segments; it can hold 1 to 15",
                              {std::to_string(segments)});
    if (segments != static_cast<std::uint32_t>(expected))
        return inUserLanguage("its RLE data holds %1 segments, the header needs %2",
                              {std::to_string(segments), std::to_string(expected)});
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < segments; ++i) {
        const std::uint32_t offset = le32(d + 4 + 4 * i);
        if ((i == 0 && offset != 64) || (i > 0 && offset <= previous) || offset >= n)
            return inUserLanguage(
                "its RLE header puts segment %1 at byte %2 of %3",
                {std::to_string(i + 1), std::to_string(offset), std::to_string(n)});
        previous = offset;
    }
    return std::nullopt;
}

std::optional<std::string> checkRle(const std::uint8_t* d, std::size_t n, const FrameShape& s) {
    if (n < 64) return inUserLanguage("its RLE header is cut short");
    const std::uint32_t segments = le32(d);
    if (auto fault = rleHeaderFault(d, n, segments, s.samplesPerPixel * (s.bitsAllocated / 8)))
        return fault;
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t i = 0; i < segments; ++i) offsets.push_back(le32(d + 4 + 4 * i));
    offsets.push_back(static_cast<std::uint32_t>(n));
    const std::uint64_t perSegment =
        static_cast<std::uint64_t>(s.columns) * static_cast<std::uint64_t>(s.rows);
    for (std::uint32_t i = 0; i < segments; ++i) {
        const std::uint64_t length = packBitsLength(d + offsets[i], offsets[i + 1] - offsets[i]);
        // An encoder may pad a segment by one byte.
        if (length < perSegment || length > perSegment + 1)
            return inUserLanguage(
                "its RLE segment %1 decodes to %2 bytes, the header's %3 samples need %4",
                {std::to_string(i + 1), std::to_string(length), dimensionsText(s.columns, s.rows),
                 std::to_string(perSegment)});
    }
    return std::nullopt;
}

}  // namespace

bool isHtj2k(const std::string& uid) {
    return uid == "1.2.840.10008.1.2.4.201" || uid == "1.2.840.10008.1.2.4.202" ||
           uid == "1.2.840.10008.1.2.4.203";
}

Codestream codestreamOf(const std::string& uid) {
    if (uid == "1.2.840.10008.1.2.5") return Codestream::Rle;
    if (uid == "1.2.840.10008.1.2.4.80" || uid == "1.2.840.10008.1.2.4.81")
        return Codestream::JpegLs;
    if (uid.rfind("1.2.840.10008.1.2.4.9", 0) == 0 || isHtj2k(uid)) return Codestream::Jpeg2000;
    if (uid.rfind("1.2.840.10008.1.2.4.", 0) == 0) return Codestream::Jpeg;
    return Codestream::Other;
}

bool startsCodestream(Codestream kind, const std::uint8_t* d, std::size_t n) {
    switch (kind) {
        case Codestream::Jpeg:
        case Codestream::JpegLs:
            return n >= 2 && d[0] == 0xFF && d[1] == 0xD8;
        case Codestream::Jpeg2000:
            return (n >= 4 && be16(d) == 0xFF4F && be16(d + 2) == 0xFF51) || isJp2(d, n);
        case Codestream::Rle:
        case Codestream::Other:
            break;
    }
    return false;
}

std::optional<std::string> codestreamMismatch(Codestream kind, const std::uint8_t* data,
                                              std::size_t size, const FrameShape& shape) {
    if (shape.bitsAllocated != 8 && shape.bitsAllocated != 16)
        return inUserLanguage(
            "its samples take %1 bits; only 8- and 16-bit samples can be shown and measured",
            {std::to_string(shape.bitsAllocated)});
    switch (kind) {
        case Codestream::Jpeg:
            return checkJpeg(data, size, shape, false);
        case Codestream::JpegLs:
            return checkJpeg(data, size, shape, true);
        case Codestream::Jpeg2000:
            return checkJpeg2000(data, size, shape);
        case Codestream::Rle:
            return checkRle(data, size, shape);
        case Codestream::Other:
            break;
    }
    return inUserLanguage("its compression is not one the toolkit helper checks");
}

}  // namespace ctiq::toolkit
