#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ctiq {

// The geometry a raw file's name carries: "label COLS ROWS SPACING", "p" for the decimal point.
struct NameGeometry {
    std::string label;
    std::string columns;
    std::string rows;
    std::string spacing;     // with its first "p" turned into "."
    std::string suggestion;  // the text after the third blank, before the "p" replacement
};

// The path without its folders (up to the last "\" or "/") and from its first "." on.
std::string baseName(std::string_view path);

NameGeometry splitNameGeometry(std::string_view path);

// True when the name's columns and rows are whole positive numbers (digits only) and its spacing,
// if any, a number: only then is it a geometry rather than a name with blanks.
bool carriesGeometry(const NameGeometry& geometry);

// "N N", the square size offered for a file of `fileSize` bytes with `sampleBytes` per sample:
// the side of a perfect square, else the first of 64, 128, 256, ... above the rounded side.
std::string sizeSuggestion(std::int64_t fileSize, int sampleBytes);

struct MatrixSize {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
};

// Reads the answer of the size prompt: "N" (square) or "COLS ROWS" split at the first blank.
MatrixSize parseSizeAnswer(std::string_view answer);

}  // namespace ctiq
