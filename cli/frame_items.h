#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace ctiq::cli {

// One measurement of a per-file command: a file and the command line it is measured with — with
// --frames, one of the file's frames (--frame N of its own line).
struct MeasuredItem {
    std::string file;
    CommandLine line;
};

// The files of the line, each as often as --frames asks ("all", "A-B" or "N", counted from 1;
// "all" reads each header for its frame count). Without --frames, one item a file with the line
// as it is. Throws UsageError for a malformed --frames.
std::vector<MeasuredItem> measuredItems(const CommandLine& line);

}  // namespace ctiq::cli
