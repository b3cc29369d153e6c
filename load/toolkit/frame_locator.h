#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "load/toolkit/codestream_check.h"

namespace ctiq::toolkit {

// One fragment of encapsulated pixel data: where its item begins, counted as the offset tables
// count (from the first item after the basic offset table), and its bytes.
struct FragmentView {
    std::uint64_t position = 0;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

struct OffsetTables {
    std::vector<std::uint64_t> basic;            // the basic offset table's item
    std::vector<std::uint64_t> extended;         // (7FE0,0001)
    std::vector<std::uint64_t> extendedLengths;  // (7FE0,0002)
};

// Which fragments hold which frame: frame k runs from fragment first[k] up to first[k + 1] (or
// the last fragment). Or why the file does not say.
struct FrameRanges {
    std::vector<std::size_t> first;
    std::optional<std::string> refusal;
};

// Frames found by the basic offset table, else by the extended one, else by where the codestreams
// of `kind` begin (one fragment a frame for RLE) — never by guessing at other bytes.
FrameRanges locateFrames(const std::vector<FragmentView>& fragments, const OffsetTables& tables,
                         std::int64_t frames, Codestream kind);

// The little-endian unsigned values of `width` bytes (4 or 8) of an offset table.
std::vector<std::uint64_t> offsetValues(const std::uint8_t* data, std::size_t size, int width);

}  // namespace ctiq::toolkit
