#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "load/dicom/dicom_header.h"

namespace ctiq::dicom {

// What the program asks the toolkit helper, and what the helper answers: a plain binary form
// (lengths first, little endian) that both sides write and read with the classes below. The
// client treats every answer as untrusted: every length is checked against what is left.

struct ToolkitRequest {
    std::vector<std::uint8_t> file;  // the whole file
    std::uint32_t frame = 0;         // which frame to decode (0: the first)
    bool listRows = true;            // build the header table
};

enum class ToolkitOutcome : std::uint8_t {
    Decoded = 1,  // header and the frame's samples
    NoImage = 2,  // a DICOM data set without pixel data: header only
    Refused = 3,  // not read or not decoded: `reason` says why (header when it was read)
};

struct ToolkitAnswer {
    ToolkitOutcome outcome = ToolkitOutcome::Refused;
    std::string reason;
    bool headerRead = false;
    DicomHeaderResult header;
    std::string syntaxName;
    std::int32_t columns = 0, rows = 0, frames = 1;
    // The frame as 16-bit little-endian words, row by row.
    std::vector<std::uint8_t> samples;
};

std::string encodeRequest(const ToolkitRequest& request);
// The same without a ToolkitRequest holding a copy of the file.
std::string encodeRequest(const std::vector<std::uint8_t>& file, std::uint32_t frame,
                          bool listRows);
// Throws std::runtime_error on a malformed message.
ToolkitRequest decodeRequest(const std::string& message);
std::string encodeAnswer(const ToolkitAnswer& answer);
ToolkitAnswer decodeAnswer(const std::string& message);

// The largest message either side accepts: a file of the largest size read, and its frame.
constexpr std::uint64_t kMaxWireMessage = std::uint64_t{3} << 30;

}  // namespace ctiq::dicom
