#pragma once

#include <charconv>
#include <string>

namespace ctiq {

// Number texts of summaries, plots, reports and messages, with "." whatever the locale says
// (printf follows LC_NUMERIC, which Qt sets from the environment): `decimals` fixed decimals
// ("%.3f"), or `digits` significant digits in the shortest of fixed and exponent form ("%.4g").
// Plain C++, for the task-based metrics too.
inline std::string fixedText(double value, int decimals) {
    char text[400];
    const auto r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, r.ptr);
}

inline std::string significantText(double value, int digits) {
    char text[64];
    const auto r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    return std::string(text, r.ptr);
}

}  // namespace ctiq
