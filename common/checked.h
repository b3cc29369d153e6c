#pragma once

// Overflow-checked integer arithmetic and checked real division: an overflow or a division by
// zero throws AppError instead of wrapping or producing an infinity.

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>

#include "common/app_error.h"

namespace ctiq {

template <std::signed_integral T>
T checkedAdd(T a, T b) {
    T r;
#if defined(__GNUC__) || defined(__clang__)
    if (__builtin_add_overflow(a, b, &r)) throw AppError(messages::integerOverflow());
#else
    if ((b > 0 && a > std::numeric_limits<T>::max() - b) ||
        (b < 0 && a < std::numeric_limits<T>::min() - b))
        throw AppError(messages::integerOverflow());
    r = static_cast<T>(a + b);
#endif
    return r;
}

template <std::signed_integral T>
T checkedSub(T a, T b) {
    T r;
#if defined(__GNUC__) || defined(__clang__)
    if (__builtin_sub_overflow(a, b, &r)) throw AppError(messages::integerOverflow());
#else
    if ((b < 0 && a > std::numeric_limits<T>::max() + b) ||
        (b > 0 && a < std::numeric_limits<T>::min() + b))
        throw AppError(messages::integerOverflow());
    r = static_cast<T>(a - b);
#endif
    return r;
}

template <std::signed_integral T>
T checkedMul(T a, T b) {
    T r;
#if defined(__GNUC__) || defined(__clang__)
    if (__builtin_mul_overflow(a, b, &r)) throw AppError(messages::integerOverflow());
#else
    const long double p = static_cast<long double>(a) * static_cast<long double>(b);
    if (p > std::numeric_limits<T>::max() || p < std::numeric_limits<T>::min())
        throw AppError(messages::integerOverflow());
    r = static_cast<T>(a * b);
#endif
    return r;
}

// Integer division truncating toward zero ("div").
template <std::signed_integral T>
T checkedDiv(T a, T b) {
    if (b == 0) throw AppError(messages::integerDivisionByZero());
    if (a == std::numeric_limits<T>::min() && b == -1) throw AppError(messages::integerOverflow());
    return a / b;
}

// Narrows a wide integer to 32 bits, throwing when it does not fit.
inline std::int32_t toInt32(std::int64_t v) {
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throw AppError(messages::integerOverflow());
    return static_cast<std::int32_t>(v);
}

// Real division that never yields an infinity or a NaN.
inline long double checkedDivide(long double a, long double b) {
    if (b == 0) {
        throw AppError(a == 0 || std::isnan(a) ? messages::invalidFloatOperation()
                                               : messages::floatDivisionByZero());
    }
    const long double r = a / b;
    if (!std::isfinite(r)) throw AppError(messages::invalidFloatOperation());
    return r;
}

}  // namespace ctiq
