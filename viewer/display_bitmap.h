#pragma once

#include <cstdint>
#include <vector>

namespace ctiq {

// The picture of the image control: one grey level (0..255) per pixel, rows from the top.
struct DisplayBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;

    void resize(std::int32_t w, std::int32_t h) {
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    }
    std::uint8_t& at(std::int32_t x, std::int32_t y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    std::uint8_t at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

}  // namespace ctiq
