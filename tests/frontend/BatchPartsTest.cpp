// The parts of a batch that no run of the program pins down: the worker
// pool under failing tasks and the two forms of the progress display.
#include "frontend/BatchProgress.h"
#include "frontend/WorkerPool.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace notecast {
namespace {

TEST(WorkerPool, ATaskThatThrowsStopsNoOther) {
    constexpr std::size_t kTasks = 50;
    std::vector<std::atomic<int>> runs(kTasks);
    for (auto& r : runs) r = 0;
    std::atomic<std::size_t> ended{0};
    std::size_t ticks = 0, endedAtLastTick = 0;
    runInParallel(
        kTasks, 3,
        [&](std::size_t i) {
            ++runs[i];
            ++ended;
            if (i % 7 == 0) throw std::runtime_error("task fails");
        },
        [&] {
            ++ticks;
            endedAtLastTick = ended;
        },
        std::chrono::milliseconds(50));
    for (std::size_t i = 0; i < kTasks; ++i) EXPECT_EQ(runs[i], 1) << "task " << i;
    EXPECT_GE(ticks, 1u);
    EXPECT_EQ(endedAtLastTick, kTasks);  // the last tick sees every task ended

    ticks = 0;
    runInParallel(0, 2, [](std::size_t) {}, [&] { ++ticks; }, std::chrono::milliseconds(50));
    EXPECT_EQ(ticks, 0u);
}

TEST(BatchProgress, LinesForALogAndOneLineOnATerminal) {
    BatchCounts c;
    c.files = 4;
    c.songs = 20;
    c.seconds = 200;
    std::ostringstream log;
    BatchProgress lines(log, false);
    for (c.songsDone = 0; c.songsDone <= 20; ++c.songsDone) {
        c.secondsDone = c.songsDone * 10;
        lines.show(c, static_cast<double>(c.songsDone));
    }
    c.songsDone = 20;
    c.filesDone = 4;
    lines.finish(c, 20.0);
    // A line for each tenth, the last one from finish, without an estimate.
    const std::string text = log.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_CONTAINS(text, "Progress     : 0/4 files, 2/20 songs, 0 failed, 0:18 left\n");
    EXPECT_EQ(text.substr(text.rfind("Progress")), "Progress     : 4/4 files, 20/20 songs, 0 failed\n");

    std::ostringstream screen;
    BatchProgress terminal(screen, true);
    c.songsDone = 5;
    c.secondsDone = 50;
    terminal.show(c, 1.0);
    terminal.show(c, 1.1);  // too soon to draw again
    terminal.finish(c, 1.2);
    EXPECT_EQ(screen.str(),
              "\rProgress     : 4/4 files, 5/20 songs, 0 failed, 0:03 left\033[K"
              "\rProgress     : 4/4 files, 5/20 songs, 0 failed, 0:04 left\033[K\n");
}

} // namespace
} // namespace notecast
