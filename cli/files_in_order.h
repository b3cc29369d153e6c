#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace ctiq::cli {

// What measuring one file gave: what its command returned and the notes that go out before it,
// or the error it raised (with the notes made until then).
template <typename Measured>
struct FileOutcome {
    Measured measured{};
    std::string notes;
    std::exception_ptr error;
};

template <typename Measured, typename Item = std::string>
using MeasureFile = std::function<Measured(const Item& file, std::string& notes)>;
template <typename Measured, typename Item = std::string>
using TakeOutcome = std::function<bool(const Item& file, FileOutcome<Measured>& outcome)>;

// Runs `measure(i)` for 0 … count − 1 on up to `threads` threads and `take(i)` on the calling
// thread in that order, each once `measure(i)` has returned; `take` returning false starts no
// further `measure` and ends the run.
void runInOrder(std::size_t count, unsigned threads,
                const std::function<void(std::size_t)>& measure,
                const std::function<bool(std::size_t)>& take);

// Measures the files on up to `threads` threads and hands every outcome to `take` in the files'
// order, each as soon as it and all before it are done. When `take` returns false no further
// file is started and no further outcome is handed over. `measure` must be safe to run for
// several files at once.
template <typename Measured, typename Item = std::string>
void measureFilesInOrder(const std::vector<Item>& files, unsigned threads,
                         const std::type_identity_t<MeasureFile<Measured, Item>>& measure,
                         const std::type_identity_t<TakeOutcome<Measured, Item>>& take) {
    // Each slot is a worker's alone until runInOrder hands it to `take`.
    std::vector<std::optional<FileOutcome<Measured>>> done(files.size());
    runInOrder(
        files.size(), threads,
        [&](std::size_t i) {
            FileOutcome<Measured>& outcome = done[i].emplace();
            try {
                outcome.measured = measure(files[i], outcome.notes);
            } catch (...) {
                outcome.error = std::current_exception();
            }
        },
        [&](std::size_t i) {
            FileOutcome<Measured> outcome = std::move(*done[i]);
            done[i].reset();
            return take(files[i], outcome);
        });
}

// The threads for a batch of `files`: one per core, never more than the files.
unsigned threadsFor(std::size_t files);

}  // namespace ctiq::cli
