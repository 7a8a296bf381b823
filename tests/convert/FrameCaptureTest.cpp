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

    // Loads the tune, initialises song 1 and captures `count` frames.
    void capture(const test::PsidBuilder& psid, int count) {
        const std::vector<std::uint8_t> file = psid.build();
        SidTune tune(file.data(), file.size());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        ASSERT_TRUE(engine.initSong(tune, 1));
        FrameCapture capture(engine, tracker, frames, tune.getInfo().songSpeed == kSpeedCia);
        for (int i = 0; i < count; ++i) capture.step(clock);
        EXPECT_EQ(capture.stoppedCalls(), 0u);
    }
};

TEST_F(FrameCaptureTest, GateChangesWithinAPlayCallStartNotes) {
    test::PsidBuilder psid;
    psid.play = 0x1005;
    psid.code = gateTune({0, 0, 0x20, 0, 0, 0}, {0x41, 0x41, 0x21, 0x20, 0x11, 0x11});
    capture(psid, 6);
    for (int v = 0; v < 3; ++v) tracker.endNote(v);

    ASSERT_EQ(frames.size(), 6u);
    // Pulse note, held; cleared and set again in one call: a saw note, which
    // keeps its release; the gate rises: a triangle note.
    const std::int32_t expected[6] = {0, -1, 1, -1, 2, -1};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(frames[i].instrument[0], expected[i]) << i;
        EXPECT_EQ(frames[i].instrument[1], -1) << i;
    }
    ASSERT_EQ(tracker.instruments().size(), 3u);
    EXPECT_EQ(tracker.instruments()[1].waveforms, std::vector<std::uint8_t>{0x20});

    EXPECT_EQ(frames[1].gateSet[0], 1);
    EXPECT_EQ(frames[1].gateCleared[0], 0);
    EXPECT_EQ(frames[2].gateSet[0], 1);
    EXPECT_EQ(frames[2].gateCleared[0], 1);
    EXPECT_EQ(frames[3].gateSet[0], 0);
    EXPECT_EQ(frames[3].gateCleared[0], 1);
    EXPECT_EQ(frames[3].sidRegisters[4], 0x20);
    EXPECT_EQ(frames[3].sidRegisters[1], 0x1D);
    EXPECT_EQ(frames[3].sidRegisters[0x18], 0x0F);  // volume as the machine starts
}

TEST_F(FrameCaptureTest, CiaTimedFramesFollowTheTimerTheTuneSets) {
    test::PsidBuilder psid;
    psid.play = 0x100B;
    psid.speed = 1;  // song 1 runs from the CIA timer
    psid.code = ciaTune(9852);  // 100 calls per second
    capture(psid, 102);
    EXPECT_EQ(frames[1].microseconds, 10000u);
    EXPECT_EQ(frames[50].microseconds, 499976u);
    EXPECT_EQ(frames[100].seconds, 0u);
    EXPECT_EQ(frames[100].microseconds, 999951u);
    EXPECT_EQ(frames[101].seconds, 1u);
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
    const std::vector<std::uint8_t> file = psid.build();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(engine.initSong(tune, 1));
    FrameCapture capture(engine, tracker, frames, false);
    for (int i = 0; i < 3; ++i) capture.step(clock);
    EXPECT_EQ(capture.stoppedCalls(), 3u);
    EXPECT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2].microseconds, 40000u);  // time goes on as usual
}

} // namespace
} // namespace notecast
