#include "cli/spectrum_image.h"

#include <algorithm>
#include <cmath>

#include "common/app_error.h"
#include "common/safe_file.h"

namespace ctiq::cli {

std::vector<std::uint8_t> spectrumPgm(const std::vector<double>& shifted, std::int32_t n) {
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    if (n < 1 || shifted.size() != count)
        throw AppError("The spectrum is not a square grid of n x n values.");
    double highest = 0, lowest = 0;
    for (double v : shifted) {
        if (!(v > 0) || !std::isfinite(v)) continue;
        highest = std::max(highest, v);
        lowest = lowest > 0 ? std::min(lowest, v) : v;
    }
    const std::string head = "P5\n" + std::to_string(n) + " " + std::to_string(n) + "\n255\n";
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.reserve(bytes.size() + count);
    const double top = highest > 0 ? std::log10(highest) : 0;
    const double bottom = highest > 0 ? std::max(std::log10(lowest), top - 6) : 0;
    const double range = top - bottom;
    for (double v : shifted) {
        double grey = 0;
        if (v > 0 && std::isfinite(v))
            grey = range > 0 ? 255 * (std::log10(v) - bottom) / range : 255;
        bytes.push_back(static_cast<std::uint8_t>(std::lround(std::clamp(grey, 0.0, 255.0))));
    }
    return bytes;
}

void writeSpectrumPgm(const std::string& path, const std::vector<double>& shifted, std::int32_t n) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".pgm") != 0)
        throw AppError("--spectrum-image writes a .pgm file, not %1", {path});
    saveFileSafely(path, spectrumPgm(shifted, n));
}

}  // namespace ctiq::cli
