#include "cli/files_in_order.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace ctiq::cli {

unsigned threadsFor(std::size_t files) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(cores, std::max<std::size_t>(files, 1)));
}

void measureFilesInOrder(const std::vector<std::string>& files, unsigned threads,
                         const MeasureFile& measure, const TakeOutcome& take) {
    auto measureOne = [&](std::size_t i) {
        FileOutcome outcome;
        try {
            outcome.rows = measure(files[i], outcome.notes);
        } catch (...) {
            outcome.error = std::current_exception();
        }
        return outcome;
    };
    if (threads <= 1) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            FileOutcome outcome = measureOne(i);
            if (!take(files[i], outcome)) return;
        }
        return;
    }

    std::vector<std::optional<FileOutcome>> done(files.size());
    std::mutex mutex;
    std::condition_variable ready, room;
    std::size_t next = 0, handedOver = 0;
    bool stop = false;
    // Workers run at most this many files ahead of the output: what waits stays small.
    const std::size_t ahead = 2 * static_cast<std::size_t>(threads);
    std::vector<std::jthread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (;;) {
                std::size_t i;
                {
                    std::unique_lock lock(mutex);
                    room.wait(lock, [&] { return stop || next < handedOver + ahead; });
                    if (stop || next >= files.size()) return;
                    i = next++;
                }
                FileOutcome outcome = measureOne(i);
                const std::lock_guard lock(mutex);
                done[i] = std::move(outcome);
                ready.notify_all();
            }
        });
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return done[i].has_value(); });
        FileOutcome outcome = std::move(*done[i]);
        done[i].reset();
        lock.unlock();
        const bool goOn = take(files[i], outcome);
        lock.lock();
        ++handedOver;
        stop = !goOn;
        room.notify_all();
        if (stop) break;
    }
    workers.clear();  // waits for the files already started
}

}  // namespace ctiq::cli
