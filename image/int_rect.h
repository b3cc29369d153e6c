#pragma once

#include <cstdint>

namespace ctiq {

// A rectangle with inclusive Right and Bottom.
struct IntRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const IntRect&) const = default;
};

}  // namespace ctiq
