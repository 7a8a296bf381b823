#include "frontend/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace notecast {

unsigned processorCount() {
    return std::max(1u, std::thread::hardware_concurrency());
}

void runInParallel(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task,
                   const std::function<void()>& tick, std::chrono::milliseconds interval) {
    if (count == 0) return;
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable ended;
    std::size_t finished = 0;

    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                task(i);
            } catch (...) {
                // The task's own concern; the others go on.
            }
            {
                const std::lock_guard<std::mutex> lock(mutex);
                ++finished;
            }
            ended.notify_one();
        }
    };

    const std::size_t workers = std::clamp<std::size_t>(threads, 1, count);
    std::vector<std::thread> pool;
    pool.reserve(workers);
    try {
        for (std::size_t w = 0; w < workers; ++w) pool.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than asked for still do all the work.
    }
    if (pool.empty()) {
        work();
        tick();
        return;
    }

    std::size_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (seen < count) {
        ended.wait_for(lock, interval, [&] { return finished != seen; });
        seen = finished;
        lock.unlock();
        tick();
        lock.lock();
    }
    lock.unlock();
    for (std::thread& t : pool) t.join();
}

} // namespace notecast
