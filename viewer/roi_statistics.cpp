#include "viewer/roi_statistics.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "common/checked.h"
#include "common/vector_clones.h"

namespace ctiq {
namespace {

// Σv and Σv² of 16-bit values: exact in 64-bit integers for any block an image can hold (at most
// 2^32 samples of |v|² ≤ 2^30), and in any order, so the loops vectorise.
struct IntegerSums {
    std::int64_t sum = 0;
    std::uint64_t squares = 0;
};

// One row of little-endian words, each plus the offset, wrapped to 16 bits and read as signed (the
// sample value rule without "Swap").
CTIQ_VECTOR_CLONES void addPlainRow(const std::uint8_t* words, std::int32_t count,
                                    std::uint16_t offset, IntegerSums& sums) {
    std::int64_t sum = 0;
    std::uint64_t squares = 0;
    for (std::int32_t j = 0; j < count; ++j) {
        std::uint16_t raw;
        std::memcpy(&raw, words + 2 * static_cast<std::size_t>(j), 2);
        const std::int32_t v = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw + offset));
        sum += v;
        squares += static_cast<std::uint32_t>(v * v);
    }
    sums.sum += sum;
    sums.squares += squares;
}

// The double nearest to whole + part / den (part < den < 2^62), ties to even: 64 bits of the
// value with a sticky bit for what lies below them, which the conversion to double rounds right.
double nearestDouble(std::uint64_t whole, std::uint64_t part, std::uint64_t den) {
    if (whole == 0 && part == 0) return 0;
    int exponent = 0;
    while (!(whole >> 63)) {  // bring down further binary digits of the fraction
        part <<= 1;
        whole <<= 1;
        if (part >= den) {
            part -= den;
            whole |= 1;
        }
        --exponent;
    }
    return std::ldexp(static_cast<double>(whole | (part != 0 ? 1u : 0u)), exponent);
}

// Σ(v - mean)² from the exact sums of n values (n ≤ 2^30, so that every product below fits in 64
// bits), rounded once. About an integer c near the mean, with t1 = Σ(v - c) and
// t2 = Σ(v - c)² = Σv² - 2cΣv + nc², the sum is t2 - t1²/n.
double sumOfSquaredDeviations(const IntegerSums& sums, std::int64_t n) {
    const std::int64_t c = sums.sum / n;
    const std::int64_t t1 = sums.sum - n * c;  // |t1| < n
    const auto t2 = static_cast<std::uint64_t>(static_cast<std::int64_t>(sums.squares) -
                                               2 * c * sums.sum + n * c * c);
    const auto square = static_cast<std::uint64_t>(t1 * t1);
    const auto un = static_cast<std::uint64_t>(n);
    const std::uint64_t q = square / un, r = square % un;
    // t2 - (q + r/n) as a whole part and a fraction part/n in [0, 1)
    return r == 0 ? nearestDouble(t2 - q, 0, un) : nearestDouble(t2 - q - 1, un - r, un);
}

}  // namespace

RoiStatistics computeRoiStatistics(const std::uint8_t* data, const StoredImageLayout& image,
                                   const RoiBlock& block, const SampleValueRule& rule) {
    const std::size_t b = static_cast<std::size_t>(sampleBytes(image.format));
    const bool plainWords = rule.format == SampleFormat::Word16 && !rule.swap &&
                            std::endian::native == std::endian::little;
    IntegerSums sums;
    for (std::int32_t i = 0; i < block.nr; ++i) {
        const std::uint8_t* row = data + sampleOffset(image, std::int64_t{block.r0} + i, block.c0);
        if (plainWords) {
            addPlainRow(row, block.nc, static_cast<std::uint16_t>(rule.offset), sums);
            continue;
        }
        for (std::int32_t j = 0; j < block.nc; ++j) {
            const std::int32_t v = rule.value(row + j * b);
            sums.sum += v;
            sums.squares += static_cast<std::uint32_t>(v * v);
        }
    }
    const std::int64_t n = std::int64_t{block.nc} * block.nr;
    RoiStatistics s;
    // Σv is below 2^53: the very double a sum of the values in order gives.
    s.mean = static_cast<double>(sums.sum) / block.nc / block.nr;
    // Σ(v - mean)² exact in integers and rounded once: where a sum of the rounded squares was
    // exact it is that sum, elsewhere nearer than the sum. A block of more than 2^30 samples
    // (beyond any 1 GiB image) is summed about the mean in doubles.
    double squares = 0;
    if (n <= (std::int64_t{1} << 30)) {
        squares = sumOfSquaredDeviations(sums, n);
    } else {
        for (std::int32_t i = 0; i < block.nr; ++i) {
            const std::uint8_t* row =
                data + sampleOffset(image, std::int64_t{block.r0} + i, block.c0);
            for (std::int32_t j = 0; j < block.nc; ++j) {
                const double v = rule.value(row + j * b);
                squares += (v - s.mean) * (v - s.mean);
            }
        }
    }
    s.sd = std::sqrt(squares / block.nc / block.nr);
    return s;
}

RoiStatisticsText roiStatisticsText(const RoiStatistics& s, StatisticsDigits digits,
                                    const NumberSeparators& separators) {
    if (digits == StatisticsDigits::Full) return {FloatToStr(s.mean), FloatToStr(s.sd)};
    return {FloatToStrF(s.mean, 2, separators), FloatToStrF(s.sd, 3, separators)};
}

}  // namespace ctiq
