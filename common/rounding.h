#pragma once

#include <cmath>
#include <cstdint>

#include "common/app_error.h"

namespace ctiq {

// Truncation toward zero into a 64-bit integer; a value beyond its range is an error.
inline std::int64_t Trunc(long double v) {
    if (!(v > -9223372036854775808.0L && v < 9223372036854775808.0L))
        throw AppError(messages::invalidFloatOperation());
    return static_cast<std::int64_t>(v);
}

// Rounding to the nearest integer, ties to even (the default rounding mode).
inline std::int64_t roundHalfEven(long double v) {
    return Trunc(std::nearbyint(v));
}

}  // namespace ctiq
