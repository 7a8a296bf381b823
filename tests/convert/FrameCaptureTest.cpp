// The capture pass on small tunes written for the purpose: what a frame
// records, how gate changes become notes, the frame timing of a CIA-timed
// song and play calls that never return.
#include "convert/FrameCapture.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <deque>

namespace notecast {
namespace {

// Voice 1 is driven from two tables, one entry per frame: a control value
// written first (0 = none) and the control value the frame ends with.
//
//   $1000 init  LDA #$00 ; STA $F0 ; RTS
//   $1005 play  LDX $F0
//               LDA pre,X ; BEQ + ; STA $D404
//             + LDA ctrl,X ; STA $D404
//               LDA #$1D ; STA $D401          (frequency $1D00)
//               INC $F0 ; RTS
//   $1020 pre   16 bytes
//   $1030 ctrl  16 bytes
std::vector<std::uint8_t> gateTune(const std::vector<std::uint8_t>& pre,
                                   const std::vector<std::uint8_t>& ctrl) {
    std::vector<std::uint8_t> code = {
        0xA9, 0x00, 0x85, 0xF0, 0x60,              // init
        0xA6, 0xF0,                                // LDX $F0
        0xBD, 0x20, 0x10, 0xF0, 0x03,              // LDA $1020,X ; BEQ +3
        0x8D, 0x04, 0xD4,                          // STA $D404
        0xBD, 0x30, 0x10, 0x8D, 0x04, 0xD4,        // LDA $1030,X ; STA $D404
        0xA9, 0x1D, 0x8D, 0x01, 0xD4,              // LDA #$1D ; STA $D401
        0xE6, 0xF0, 0x60,                          // INC $F0 ; RTS
    };
    code.resize(0x20, 0);
    std::vector<std::uint8_t> table(0x20, 0);
    std::copy(pre.begin(), pre.end(), table.begin());
    std::copy(ctrl.begin(), ctrl.end(), table.begin() + 0x10);
    code.insert(code.end(), table.begin(), table.end());
    return code;
}

// The init routine sets CIA 1 timer A to `timer` cycles; play does nothing.
//
//   $1000 init  LDA #<timer ; STA $DC04 ; LDA #>timer ; STA $DC05 ; RTS
//   $100B play  RTS
std::vector<std::uint8_t> ciaTune(std::uint16_t timer) {
    return {0xA9, static_cast<std::uint8_t>(timer & 0xFF), 0x8D, 0x04, 0xDC,
            0xA9, static_cast<std::uint8_t>(timer >> 8),   0x8D, 0x05, 0xDC,
            0x60, 0x60};
}

class FrameCaptureTest : public ::testing::Test {
protected:
    EmuEngine engine;
    NoteTracker tracker;
    std::deque<FrameSnapshot> frames;
    FrameClock clock;

    // Loads the tune, initialises song 1 and captures `count` frames;
    // expects `stopped` of the play calls to be stopped by the budget.
    void capture(const test::PsidBuilder& psid, int count, std::uint32_t stopped = 0) {
        const std::vector<std::uint8_t> file = psid.build();
        SidTune tune(file.data(), file.size());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        ASSERT_TRUE(engine.initSong(tune, 1));
        FrameCapture capture(engine, tracker, frames, tune.getInfo().songSpeed == kSpeedCia);
        for (int i = 0; i < count; ++i) capture.step(clock);
        EXPECT_EQ(capture.stoppedCalls(), stopped);
    }
};

TEST_F(FrameCaptureTest, GateChangesWithinAPlayCallStartNotes) {
    test::PsidBuilder psid;
    psid.play = 0x1005;
    psid.code = gateTune({0, 0, 0x20, 0, 0, 0}, {0x41, 0x41, 0x21, 0x20, 0x11, 0x11});
    capture(psid, 6);
    for (int v = 0; v < 3; ++v) tracker.endNote(v);

    ASSERT_EQ(frames.size(), 6u);
    // Per frame: the instrument ids starting on voices 1 and 2, and voice 1's
    // gate set and gate cleared flags. Pulse note, held; cleared and set
    // again in one call: a saw note, which keeps its release; the gate
    // rises: a triangle note.
    std::vector<std::string> seen;
    for (const FrameSnapshot& f : frames)
        seen.push_back(std::to_string(f.instrument[0]) + " " + std::to_string(f.instrument[1]) + " set " +
                       std::to_string(f.gateSet[0]) + " cleared " + std::to_string(f.gateCleared[0]));
    EXPECT_EQ(seen, (std::vector<std::string>{"0 -1 set 1 cleared 0", "-1 -1 set 1 cleared 0",
                                              "1 -1 set 1 cleared 1", "-1 -1 set 0 cleared 1",
                                              "2 -1 set 1 cleared 0", "-1 -1 set 1 cleared 0"}));
    ASSERT_EQ(tracker.instruments().size(), 3u);
    EXPECT_EQ(tracker.instruments()[1].waveforms, std::vector<std::uint8_t>{0x20});
    // Control, frequency high byte and the volume as the machine starts.
    const auto& regs = frames[3].sidRegisters;
    EXPECT_EQ((std::vector<int>{regs[4], regs[1], regs[0x18]}), (std::vector<int>{0x20, 0x1D, 0x0F}));
}

TEST_F(FrameCaptureTest, CiaTimedFramesFollowTheTimerTheTuneSets) {
    test::PsidBuilder psid;
    psid.play = 0x100B;
    psid.speed = 1;  // song 1 runs from the CIA timer
    psid.code = ciaTune(9852);  // 100 calls per second
    capture(psid, 102);
    auto time = [&](std::size_t i) { return frames[i].seconds * 1000000 + frames[i].microseconds; };
    EXPECT_EQ((std::vector<std::uint32_t>{time(1), time(50), time(100), time(101) / 1000000}),
              (std::vector<std::uint32_t>{10000, 499976, 999951, 1}));
    for (const FrameSnapshot& f : frames) EXPECT_EQ(f.samples, 441u);
}

TEST_F(FrameCaptureTest, PlayCallsStoppedByTheBudgetAreCounted) {
    //   $1000 init  RTS
    //   $1001 play  JMP $1001
    test::PsidBuilder psid;
    psid.play = 0x1001;
    psid.code = {0x60, 0x4C, 0x01, 0x10};
    EngineConfig config = engine.getConfig();
    config.sampleScanCalls = 0;  // the scan would spin in the loop as well
    ASSERT_TRUE(engine.setConfig(config));
    capture(psid, 3, 3);
    EXPECT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2].microseconds, 40000u);  // time goes on as usual
}

} // namespace
} // namespace notecast
