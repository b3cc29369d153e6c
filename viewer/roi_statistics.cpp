#include "viewer/roi_statistics.h"

#include <cmath>

#include "common/checked.h"

namespace ctiq {

RoiStatistics computeRoiStatistics(const std::uint8_t* data, const StoredImageLayout& image,
                                   const RoiBlock& block, const SampleValueRule& rule) {
    const std::size_t b = static_cast<std::size_t>(sampleBytes(image.format));
    auto forEachValue = [&](auto&& visit) {
        for (std::int32_t i = 0; i < block.nr; ++i) {
            const std::uint8_t* row =
                data + sampleOffset(image, std::int64_t{block.r0} + i, block.c0);
            for (std::int32_t j = 0; j < block.nc; ++j) visit(rule.value(row + j * b));
        }
    };
    double sum = 0;
    forEachValue([&](std::int16_t v) { sum += v; });
    RoiStatistics s;
    s.mean = sum / block.nc / block.nr;
    double squares = 0;
    forEachValue([&](std::int16_t v) { squares += (v - s.mean) * (v - s.mean); });
    s.sd = std::sqrt(squares / block.nc / block.nr);
    return s;
}

RoiStatisticsText roiStatisticsText(const RoiStatistics& s, StatisticsDigits digits,
                                    const NumberSeparators& separators) {
    if (digits == StatisticsDigits::Full) return {FloatToStr(s.mean), FloatToStr(s.sd)};
    return {FloatToStrF(s.mean, 2, separators), FloatToStrF(s.sd, 3, separators)};
}

}  // namespace ctiq
