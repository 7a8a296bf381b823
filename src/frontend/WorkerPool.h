#pragma once
#include <chrono>
#include <cstddef>
#include <functional>

namespace notecast {

// The number of conversions a batch runs at once by default: one per
// processor, at least one.
unsigned processorCount();

// Runs task(0) to task(count - 1) on up to `threads` worker threads, each
// task on one thread, the lowest index not yet taken first. The calling
// thread does none of the work: it calls tick() after each task ends and at
// least every `interval` while tasks are running, so that it can show
// progress, and returns when every task has ended.
//
// A task must report its own failures; one that throws anyway ends there
// without stopping the others, and tick() is told nothing about it.
void runInParallel(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task,
                   const std::function<void()>& tick, std::chrono::milliseconds interval);

} // namespace notecast
