#include "cli/frame_items.h"

#include <charconv>

#include "load/dicom/dicom_header.h"
#include "load/dicom/tag_dictionary.h"
#include "load/file_reading.h"
#include "load/frame_values.h"

namespace ctiq::cli {
namespace {

struct FrameRange {
    int first = 1, last = 1;  // counted from 1; last 0: every frame the file holds
};

int frameNumber(std::string_view text, const std::string& whole) {
    int n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || n < 1)
        throw UsageError("--frames takes all, N or A-B (frames counted from 1), not '%1'", {whole});
    return n;
}

FrameRange rangeOf(const std::string& text) {
    if (text == "all") return {1, 0};
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) {
        const int n = frameNumber(text, text);
        return {n, n};
    }
    const FrameRange range{frameNumber(std::string_view(text).substr(0, dash), text),
                           frameNumber(std::string_view(text).substr(dash + 1), text)};
    if (range.last < range.first)
        throw UsageError("--frames takes all, N or A-B (frames counted from 1), not '%1'", {text});
    return range;
}

// The frame count a file's header gives; 1 for a file it cannot tell (a raw image, an unreadable
// file, whose load then says why).
int framesIn(const std::string& file) {
    try {
        ImageBytes bytes;
        readWholeFile(file, bytes);
        const DicomHeaderResult header =
            readDicomHeader(bytes.data(), bytes.size(), TagDictionary::none(), false);
        const std::int64_t frames = frameCount(header.image);
        return frames > 1 && frames < (1 << 20) ? static_cast<int>(frames) : 1;
    } catch (const std::exception&) {
        return 1;
    }
}

// The line of one item: its own file alone and without the arguments as given (the whole
// batch's names in every item grew as the square of the batch, 130 MB for 1000 files), except
// with --plot, whose check of one file at a time reads the batch's names.
MeasuredItem itemOf(const std::string& file, const CommandLine& line, const CommandLine& base) {
    MeasuredItem item{file, line.has("plot") ? line : base};
    if (!line.has("plot")) item.line.files = {file};
    return item;
}

}  // namespace

std::vector<MeasuredItem> measuredItems(const CommandLine& line) {
    std::vector<MeasuredItem> items;
    CommandLine base = line;
    base.files.clear();
    base.arguments.clear();  // a report's record; no per-file command reads them
    if (!line.has("frames")) {
        for (const std::string& file : line.files) items.push_back(itemOf(file, line, base));
        return items;
    }
    if (line.has("frame")) throw UsageError("give --frame or --frames, not both");
    const FrameRange range = rangeOf(line.value("frames", ""));
    for (const std::string& file : line.files) {
        const int last = range.last == 0 ? framesIn(file) : range.last;
        for (int frame = range.first; frame <= last; ++frame) {
            MeasuredItem item = itemOf(file, line, base);
            item.line.values.erase("frames");
            item.line.values["frame"] = std::to_string(frame);
            items.push_back(std::move(item));
        }
    }
    if (line.has("plot") && items.size() > 1)
        throw UsageError("--plot draws the chart of one file at a time");
    return items;
}

}  // namespace ctiq::cli
