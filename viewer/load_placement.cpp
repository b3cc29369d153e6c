#include "viewer/load_placement.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ctiq {

RoiFields defaultRoi(std::int32_t columns, std::int32_t rows) {
    // 256 × 256 at the centre, or the whole image where it is smaller.
    return {columns / 2, rows / 2, std::clamp(columns, 1, 256), std::clamp(rows, 1, 256)};
}

namespace {

// A decimal string's value rounded to the nearest integer (DS texts may carry blanks and a
// fraction: " -83.5"); none for anything else or a value far beyond any grey window.
std::optional<std::int32_t> roundedNumber(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    const std::size_t first = text->find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const std::size_t last = text->find_last_not_of(' ');
    const char* begin = text->data() + first;
    const char* end = text->data() + last + 1;
    if (*begin == '+') ++begin;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !(std::abs(value) < 1e9)) return std::nullopt;
    return static_cast<std::int32_t>(std::lround(value));
}

}  // namespace

std::optional<GreyWindow> fileWindow(const std::optional<std::string>& centre,
                                     const std::optional<std::string>& width) {
    const auto level = roundedNumber(centre);
    const auto span = roundedNumber(width);
    if (!level || !span || *span < 1) return std::nullopt;
    return GreyWindow{*level, *span};
}

RoiPlacement placeRoi(const StoredImageLayout& image, std::int32_t cx, std::int32_t cy,
                      std::int32_t width, std::int32_t height) {
    RoiPlacement p;
    p.view = computeView(1, image.columns, image.rows, 0, 0);
    p.frame = toBitmapCoordinates(roiFromFields(cx, width, cy, height), p.view.view.left,
                                  p.view.view.top);
    p.block = roiBlock(p.frame, p.view.view.left, p.view.view.top);
    p.imageLeft = p.block.c0;
    p.imageTop = p.block.r0;
    return p;
}

}  // namespace ctiq
