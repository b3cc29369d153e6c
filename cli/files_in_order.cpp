#include "cli/files_in_order.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace ctiq::cli {

unsigned threadsFor(std::size_t files) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(cores, std::max<std::size_t>(files, 1)));
}

void runInOrder(std::size_t count, unsigned threads,
                const std::function<void(std::size_t)>& measure,
                const std::function<bool(std::size_t)>& take) {
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            measure(i);
            if (!take(i)) return;
        }
        return;
    }

    std::vector<bool> done(count, false);
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
                    if (stop || next >= count) return;
                    i = next++;
                }
                measure(i);
                const std::lock_guard lock(mutex);
                done[i] = true;
                ready.notify_all();
            }
        });
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return done[i]; });
        lock.unlock();
        const bool goOn = take(i);
        lock.lock();
        ++handedOver;
        stop = !goOn;
        room.notify_all();
        if (stop) break;
    }
    workers.clear();  // waits for the files already started
}

}  // namespace ctiq::cli
