#include "viewer/auto_window.h"

#include <algorithm>

namespace ctiq {

std::optional<GreyWindow> computeAutoWindow(const std::uint8_t* data, std::size_t size,
                                            const StoredImageLayout& image,
                                            const SampleValueRule& rule) {
    const std::int32_t qc = image.columns / 4;
    const std::int32_t qr = image.rows / 4;
    if (qc < 1 || qr < 1) return std::nullopt;
    requireStoredImageInside(image, size);

    const int b = sampleBytes(image.format);
    const std::size_t rowStride = static_cast<std::size_t>(image.columns) * b;
    const std::uint8_t* base = data + static_cast<std::size_t>(image.header);
    std::int16_t lo = rule.value(base + static_cast<std::size_t>(qr) * rowStride +
                                 static_cast<std::size_t>(qc) * b);
    std::int16_t hi = lo;
    for (std::int32_t r = qr; r < 3 * qr; ++r) {
        const std::uint8_t* row = base + static_cast<std::size_t>(r) * rowStride;
        for (std::int32_t c = qc; c < 3 * qc; ++c) {
            const std::int16_t v = rule.value(row + static_cast<std::size_t>(c) * b);
            hi = std::max(hi, v);
            lo = std::min(lo, v);
        }
    }
    GreyWindow w;
    w.width = std::int32_t{hi} - lo - 1;
    w.level = (std::int32_t{hi} + lo) / 2;
    return w;
}

}  // namespace ctiq
