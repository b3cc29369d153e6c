#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ctiq {

// The whole current image file, header included.
using ImageBytes = std::vector<std::uint8_t>;

enum class SampleFormat { Byte8, Word16 };

inline int sampleBytes(SampleFormat f) {
    return f == SampleFormat::Byte8 ? 1 : 2;
}

// Where the stored image lies in the file: rows of columns samples from byte `header` on.
struct StoredImageLayout {
    std::int64_t header = 0;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    SampleFormat format = SampleFormat::Word16;
};

// Throws AppError, naming the mismatch, unless the whole stored image lies inside a buffer of
// `bufferSize` bytes with non-negative header, columns and rows.
void requireStoredImageInside(const StoredImageLayout& layout, std::size_t bufferSize);

// The value rule shared by every measurement: the stored sample (the byte in 8-bit images,
// the little-endian word otherwise), its bytes exchanged with "Swap" (a byte becomes the high
// byte), read as signed 16 bits, plus the offset, wrapped to signed 16 bits.
struct SampleValueRule {
    SampleFormat format = SampleFormat::Word16;
    bool swap = false;
    std::int32_t offset = 0;

    std::uint16_t raw(const std::uint8_t* sample) const {
        if (format == SampleFormat::Byte8) return sample[0];
        return static_cast<std::uint16_t>(sample[0] | (sample[1] << 8));
    }
    static std::uint16_t exchangeBytes(std::uint16_t v) {
        return static_cast<std::uint16_t>((v >> 8) | (v << 8));
    }
    std::int16_t value(const std::uint8_t* sample) const {
        std::uint16_t v = raw(sample);
        if (swap) v = exchangeBytes(v);
        const std::int64_t sum = static_cast<std::int16_t>(v) + std::int64_t{offset};
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(sum & 0xFFFF));
    }
};

}  // namespace ctiq
