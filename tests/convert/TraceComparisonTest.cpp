// The captured SID registers against register traces of real tunes recorded
// with an independent emulator (60 seconds each, start song, one row per play
// call).
#include "backend/FrameClock.h"
#include "convert/NoteTracker.h"
#include "emu/EmuEngine.h"
#include "convert/FrameCapture.h"
#include "convert/TraceRows.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <map>

namespace notecast {
namespace {

namespace fs = std::filesystem;

constexpr int kTraceFrames = 3000;

using Row = test::TraceRow;

std::string columnName(std::size_t k) {
    static const char* const names[5] = {"freq", "pw", "ctrl", "ad", "sr"};
    return k < 15 ? "v" + std::to_string(k / 5 + 1) + " " + names[k % 5] : k == 15 ? "d417" : "d418";
}

class TraceComparison : public ::testing::TestWithParam<std::string> {};

TEST_P(TraceComparison, RegistersAndDumpColumnsAgreeFrameByFrame) {
    const fs::path trace = test::sharedFile("traces/" + GetParam() + ".csv");
    const fs::path sid = test::sharedFile("psid/" + GetParam() + ".sid");
    NOTECAST_REQUIRE_SHARED(trace);
    NOTECAST_REQUIRE_SHARED(sid);
    const std::vector<Row> rows = test::readTrace(trace);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kTraceFrames));

    SidTune tune(sid.string().c_str());
    ASSERT_TRUE(tune.status());
    const int song = tune.getInfo().startSong;

    // The registers as each play call left them.
    std::deque<FrameSnapshot> frames;
    {
        EmuEngine engine;
        NoteTracker tracker;
        FrameClock clock;
        ASSERT_TRUE(engine.initSong(tune, static_cast<std::uint16_t>(song)));
        FrameCapture capture(engine, tracker, frames, tune.getInfo().songSpeed == kSpeedCia);
        for (int i = 0; i < kTraceFrames; ++i) capture.step(clock);
        EXPECT_EQ(capture.stoppedCalls(), 0u);
    }
    // Differences are counted per register. One kind is explained and
    // allowed: before the tune first writes a register, each side shows its
    // own start value. Ours is the SID after the machine's reset (all 0, the
    // volume 15); the trace's emulator starts from 0 and, having no I/O
    // area, from whatever tune data lies at $D400-$D418.
    std::map<std::string, int> mismatches, firstMismatch;
    auto differs = [&](const std::string& what, int frame) {
        if (mismatches[what]++ == 0) firstMismatch[what] = frame;
    };
    std::array<bool, 17> written{};  // per register: has either side left its start value yet
    for (int i = 0; i < kTraceFrames; ++i) {
        const Row ours = test::traceRowOf(frames[static_cast<std::size_t>(i)]);
        const Row& theirs = rows[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < ours.size(); ++k) {
            const std::uint32_t ourStart = k == 16 ? 0x0F : 0;
            if (ours[k] != ourStart || theirs[k] != rows.front()[k]) written[k] = true;
            if (ours[k] != theirs[k] && written[k]) differs(columnName(k), i);
        }
    }

    for (const auto& [what, count] : mismatches)
        ADD_FAILURE() << GetParam() << ": " << what << " differs in " << count << " frames, first at frame "
                      << firstMismatch[what];
}

INSTANTIATE_TEST_SUITE_P(Traces, TraceComparison,
                         ::testing::Values("4_Zelda_Covers", "5th_Gear", "AY_Tester", "Acme_Industries",
                                           "Commando", "Cybernoid_II", "Delta", "Gryzor", "Krakout",
                                           "Last_Ninja", "Lightforce", "Monty_on_the_Run",
                                           "Ocean_Loader_2", "R-Type", "SID_Melancholy", "music"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

} // namespace
} // namespace notecast
