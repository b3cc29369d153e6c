#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace ctiq::cli {

// What measuring one file gave: its rows and the notes that go out before them, or the error
// it raised (with the notes made until then).
struct FileOutcome {
    std::string rows;
    std::string notes;
    std::exception_ptr error;
};

using MeasureFile = std::function<std::string(const std::string& file, std::string& notes)>;
using TakeOutcome = std::function<bool(const std::string& file, FileOutcome& outcome)>;

// Measures the files on up to `threads` threads and hands every outcome to `take` in the files'
// order, each as soon as it and all before it are done. When `take` returns false no further
// file is started and no further outcome is handed over. `measure` must be safe to run for
// several files at once.
void measureFilesInOrder(const std::vector<std::string>& files, unsigned threads,
                         const MeasureFile& measure, const TakeOutcome& take);

// The threads for a batch of `files`: one per core, never more than the files.
unsigned threadsFor(std::size_t files);

}  // namespace ctiq::cli
