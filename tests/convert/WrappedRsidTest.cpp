// Interrupt-driven versions of the traced tunes: a wrapper calls each tune's
// own init routine and drives its play routine from a real interrupt (CIA 1
// through $0314, the raster, a CIA 2 NMI, the hardware vector with the ROMs
// banked out, an init that never returns). One snapshot per handler run must
// give the register sequence of the tune's trace.
#include "backend/FrameClock.h"
#include "convert/MachineCapture.h"
#include "convert/TraceRows.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <deque>

namespace notecast {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFrames = 2900;
// Frames by which the sequences may be shifted: the first interrupt may come
// a few frames late, and a play routine whose first calls write nothing is
// not known as one until it does (those calls make no frames).
constexpr int kShift = 3;
// This wrapper banks the KERNAL out for its hardware vector, but the tune's
// own play routine ends by switching it back in ($01 = $37): from the second
// interrupt on, the vector leads to the system's handler, as it would on a
// real C64, and the music stops.
constexpr const char* kCannotWork = "Last_Ninja.hwvec.sid";

TEST(WrappedRsid, EveryInterruptKindGivesTheTracedRegisters) {
    const fs::path index = test::sharedFile("rsid-wrapped/index.csv");
    NOTECAST_REQUIRE_SHARED(index);
    std::ifstream list(index);
    std::string entry;
    std::getline(list, entry);
    int files = 0;
    while (std::getline(list, entry)) {
        const std::string file = entry.substr(0, entry.find(','));
        const std::string psid = entry.substr(file.size() + 1, entry.find(',', file.size() + 1) - file.size() - 1);
        const fs::path trace = test::sharedFile("traces/" + psid.substr(0, psid.size() - 4) + ".csv");
        if (trace.empty() || file == kCannotWork) continue;
        SCOPED_TRACE(file);
        const std::vector<test::TraceRow> expected = test::readTrace(trace);
        ASSERT_GE(expected.size(), kFrames);

        SidTune tune(test::sharedFile("rsid-wrapped/" + file).string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        ASSERT_TRUE(tune.getInfo().interruptDriven);
        EmuEngine engine;
        ASSERT_TRUE(engine.initSong(tune, static_cast<std::uint16_t>(tune.getInfo().startSong)));
        NoteTracker tracker;
        FrameClock clock;
        std::deque<FrameSnapshot> frames;
        MachineCapture capture(engine, tracker, frames, 60);
        while (frames.size() < kFrames + kShift && capture.step(clock)) {}
        EXPECT_TRUE(capture.warnings().empty());
        ASSERT_GE(frames.size(), kFrames + kShift);

        // Before the tune first writes a register, each side shows its own
        // start value: ours the SID after the reset (all 0, the volume 15),
        // the trace's whatever its emulator (which has no I/O area) found at $D400.
        test::TraceRow ourStart{};
        ourStart[16] = 0x0F;
        std::size_t best = 0;
        int bestShift = 0;
        for (int shift = -kShift; shift <= kShift; ++shift) {
            std::size_t same = 0;
            std::array<bool, 17> written{};
            for (std::size_t i = kShift; i < kFrames; ++i) {
                const test::TraceRow ours = test::traceRowOf(frames[i + static_cast<std::size_t>(shift)]);
                bool agree = true;
                for (std::size_t k = 0; k < ours.size(); ++k) {
                    written[k] = written[k] || ours[k] != ourStart[k] || expected[i][k] != expected[0][k];
                    agree = agree && (!written[k] || ours[k] == expected[i][k]);
                }
                same += agree;
            }
            if (same > best) best = same, bestShift = shift;
        }
        EXPECT_GE(best * 100, kFrames * 99) << best << " of " << kFrames << " frames agree (shifted by "
                                            << bestShift << ")";
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace
} // namespace notecast
