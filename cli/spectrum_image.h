#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq::cli {

// A 2-D noise power spectrum as a picture: an 8-bit binary PGM (P5) of n × n pixels, the
// spectrum shifted so that the zero frequency is at column n / 2, row n / 2 (x frequency to the
// right, y frequency downwards, as the image's own axes run). Grey on a log scale between the
// largest value (255) and that value · 10⁻⁶ or the smallest positive value, whichever is larger
// (0): a quadratic detrend leaves the zero frequency without power, and it stays black.
// `shifted` holds n × n values row by row.
std::vector<std::uint8_t> spectrumPgm(const std::vector<double>& shifted, std::int32_t n);

// Writes spectrumPgm to `path` (which must end in .pgm) through the safe writer.
void writeSpectrumPgm(const std::string& path, const std::vector<double>& shifted, std::int32_t n);

}  // namespace ctiq::cli
