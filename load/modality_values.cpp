#include "load/modality_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {
namespace {

constexpr long double kLowest = std::numeric_limits<std::int16_t>::min();
constexpr long double kHighest = std::numeric_limits<std::int16_t>::max();

std::uint16_t wordAt(const std::uint8_t* words, std::size_t k, bool swap) {
    const std::uint8_t* w = words + 2 * k;
    return swap ? static_cast<std::uint16_t>(w[0] << 8 | w[1])
                : static_cast<std::uint16_t>(w[0] | w[1] << 8);
}

std::int32_t storedValue(std::uint16_t word, SampleCoding coding) {
    const std::uint32_t mask = (std::uint32_t{1} << coding.bitsStored) - 1;
    const std::uint32_t bits = word & mask;
    const std::uint32_t signBit = std::uint32_t{1} << (coding.bitsStored - 1);
    if (coding.isSigned && (bits & signBit)) return static_cast<std::int32_t>(bits) - (1 << coding.bitsStored);
    return static_cast<std::int32_t>(bits);
}

struct StoredRange {
    std::int32_t lowest, highest;
    bool wordsHoldJustTheirValues;  // the signed 16-bit reading of every word is its value
};

// The words' extremes read as signed and as unsigned 16 bits: one plain pass the compiler can
// vectorise.
struct WordRange {
    std::int16_t lowest = std::numeric_limits<std::int16_t>::max();
    std::int16_t highest = std::numeric_limits<std::int16_t>::min();
    std::uint16_t highestUnsigned = 0;
};

WordRange wordRange(const std::uint8_t* words, std::size_t count, bool swap) {
    WordRange r;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint16_t word = wordAt(words, k, swap);
        const auto value = static_cast<std::int16_t>(word);
        r.lowest = std::min(r.lowest, value);
        r.highest = std::max(r.highest, value);
        r.highestUnsigned = std::max(r.highestUnsigned, word);
    }
    return r;
}

StoredRange storedRange(const std::uint8_t* words, std::size_t count, bool swap,
                        SampleCoding coding) {
    // Usually every word holds just its value (sign-extended, or unsigned below 32768 and
    // within its bits): its signed reading is the stored value, and the extremes say so.
    const WordRange w = wordRange(words, count, swap);
    const std::int32_t half = 1 << (coding.bitsStored - 1);
    const bool plain = coding.isSigned
                           ? w.lowest >= -half && w.highest <= half - 1
                           : w.highestUnsigned <= std::min<std::int32_t>(2 * half - 1, 32767);
    if (plain) return {w.lowest, w.highest, true};
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t v = storedValue(wordAt(words, k, swap), coding);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    return {lowest, highest, false};
}

[[noreturn]] void beyondSixteenBits(const ModalityRescale& r, long double value) {
    throw AppError(
        "The CT values of this image (Rescale Slope %1 × stored value + Rescale "
        "Intercept %2) reach %3, beyond the 16-bit range (-32768 to 32767) the "
        "measurements hold; it cannot be measured.",
        {r.slopeText, r.interceptText, FloatToStr(value)});
}

}  // namespace

ModalityValues modalityValues(const std::uint8_t* words, std::size_t count, bool swap,
                              SampleCoding coding, const ModalityRescale& r) {
    ModalityValues result;
    if (count == 0) return result;
    coding.bitsStored = std::clamp(coding.bitsStored, 1, 16);
    const StoredRange range = storedRange(words, count, swap, coding);
    const long double low = r.slope * range.lowest + r.intercept;
    const long double high = r.slope * range.highest + r.intercept;
    const long double lowest = std::min(low, high), highest = std::max(low, high);
    if (std::nearbyint(lowest) < kLowest) beyondSixteenBits(r, lowest);
    if (std::nearbyint(highest) > kHighest) beyondSixteenBits(r, highest);

    if (r.slope == 1 && r.intercept == std::trunc(r.intercept) && range.wordsHoldJustTheirValues) {
        result.offset = static_cast<std::int32_t>(r.intercept);
        return result;
    }
    ImageBytes values(2 * count);
    const auto slope = static_cast<double>(r.slope), intercept = static_cast<double>(r.intercept);
    for (std::size_t k = 0; k < count; ++k) {
        const double exact = slope * storedValue(wordAt(words, k, swap), coding) + intercept;
        const double whole = std::nearbyint(exact);
        result.rounded = result.rounded || whole != exact;
        const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(whole));
        values[2 * k] = static_cast<std::uint8_t>(v);
        values[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    result.rescaled = std::move(values);
    return result;
}

}  // namespace ctiq
