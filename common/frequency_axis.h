#pragma once

#include <cstdint>

#include "common/checked.h"

namespace ctiq {

// The frequency of bin k of an n-point transform of samples `spacing` mm apart: k / (n·Δ)
// cycles/mm, in long double as the windows' memos and tables have always computed it (a zero
// n·Δ gives the checked division's message). Every chart, memo, table and summary figure reads
// its frequency axis from here.
inline long double binFrequency(std::int64_t k, std::int64_t n, long double spacing) {
    return checkedDivide(static_cast<long double>(k), static_cast<long double>(n) * spacing);
}

}  // namespace ctiq
