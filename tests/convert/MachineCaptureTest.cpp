// Frames of interrupt-driven tunes: which handler runs make snapshots, their
// times and sample counts, timed frames, samples played through the volume
// register, and the machine stopping. Tunes are 6510 bytes with a listing.
#include "convert/ConvertRun.h"
#include "convert/MachineCapture.h"
#include "emu/Code6510.h"

#include <gtest/gtest.h>

#include <deque>

namespace notecast {
namespace {

using test::join;
using test::stores;
constexpr std::uint32_t kPal = 985248;
constexpr std::uint32_t kVideoFrame = 312 * 63;

struct Capture { std::deque<FrameSnapshot> frames; std::vector<std::string> warnings; };

Capture capture(const std::vector<std::uint8_t>& code, std::uint32_t seconds) {
    const auto file = test::rsidFile(code, 0x1000, 2, 0x200);
    SidTune tune(file.data(), file.size());
    EXPECT_TRUE(tune.status()) << tune.getInfo().statusText;
    EmuEngine engine;
    EXPECT_TRUE(engine.initSong(tune, 1));
    EXPECT_TRUE(engine.interruptDriven());
    NoteTracker tracker;
    FrameClock clock;
    Capture c;
    MachineCapture machine(engine, tracker, c.frames, seconds);
    while (machine.step(clock)) {}
    c.warnings = machine.warnings();
    return c;
}

std::uint64_t cyclesOf(const FrameSnapshot& f) {
    return std::uint64_t{f.seconds} * kPal + static_cast<std::uint64_t>(f.microseconds * (kPal / 1e6) + 0.5);
}

// Samples at 8 kHz from CIA 2's NMI into $D418, through the handler at $1040:
//   PHA ; INC $FB ; LDA $FB ; AND #7 ; STA $D418 ; LDA $DD0D ; PLA ; RTI
// The init ends CLI, RTS at $1031 (the music's own set-up just before).
test::Code sampleNmis(const test::Code& music) {
    test::Code code = join({{0x78}, stores({{0x0318, 0x40}, {0x0319, 0x10}}), music,
                            stores({{0xDD04, 0x7B}, {0xDD05, 0x00}, {0xDD0D, 0x81}}), {0x8D, 0x0E, 0xDD, 0x58, 0x60}});
    code.resize(0x40, 0xEA);
    return join({code, {0x48, 0xE6, 0xFB, 0xA5, 0xFB, 0x29, 0x07, 0x8D, 0x18, 0xD4, 0xAD, 0x0D, 0xDD, 0x68, 0x40}});
}

TEST(MachineFrames, PlayLoopWithoutInterruptsGetsTimedFrames) {
    // Init never returns: SEI, then INC $D400 in a loop.
    const Capture c = capture({0x78, 0xEE, 0x00, 0xD4, 0x4C, 0x01, 0x10}, 1);
    ASSERT_GE(c.frames.size(), 40u);
    // The first after three video frames, then one every video frame.
    EXPECT_NEAR(static_cast<double>(cyclesOf(c.frames[0])), 3.0 * kVideoFrame, 10);
    for (std::size_t i = 1; i < c.frames.size(); ++i)
        EXPECT_NEAR(static_cast<double>(cyclesOf(c.frames[i]) - cyclesOf(c.frames[i - 1])), kVideoFrame, 10);
    // Sample counts from the first snapshot to the end of the second.
    std::uint64_t samples = 0;
    for (const FrameSnapshot& f : c.frames) samples += f.samples;
    EXPECT_EQ(samples, 44100u - cyclesOf(c.frames[0]) * 44100 / kPal);
    EXPECT_TRUE(c.warnings.empty());
}

TEST(MachineFrames, SampleNmisMakeNoFramesTheMusicIrqDoes) {
    // Music from the raster IRQ once a video frame, at $1060: it sets the
    // volume to 15 and steps voice 1, then INC $D019 ; JMP $EA81.
    test::Code code = sampleNmis(stores({{0x0314, 0x60}, {0x0315, 0x10}, {0xDC0D, 0x7F}, {0xD01A, 0x01}}));
    code.resize(0x60, 0xEA);
    code = join({code, stores({{0xD418, 0x1F}}),
                 {0xE6, 0xFC, 0xA5, 0xFC, 0x8D, 0x01, 0xD4, 0xEE, 0x19, 0xD0, 0x4C, 0x81, 0xEA}});
    const Capture c = capture(code, 1);
    // The device's first interrupt passes (it cannot be told from music
    // yet), then 50 frames in the second.
    ASSERT_GE(c.frames.size(), 50u);
    ASSERT_LE(c.frames.size(), 52u);
    for (std::size_t i = 1; i + 1 < c.frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(c.frames[i].sidRegisters[0x18], 0x1F);  // the music's, not a sample
        EXPECT_EQ(c.frames[i].sidRegisters[0x01], static_cast<std::uint8_t>(i));
        EXPECT_NEAR(c.frames[i].volumeSamplePeriod, 123 + 2, 4);  // handler delays included
    }
}

TEST(MachineFrames, BrkEndsTheConversionWithAWarning) {
    // LDX #0, LDY #96, a counted loop of ~123000 cycles, BRK.
    const Capture c = capture({0xA2, 0x00, 0xA0, 0x60, 0xCA, 0xD0, 0xFD, 0x88, 0xD0, 0xFA, 0x00}, 5);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0].rfind("WARNING: The tune executed BRK after 0.13 seconds", 0), 0u) << c.warnings[0];
    ASSERT_FALSE(c.frames.empty());
    EXPECT_LT(cyclesOf(c.frames.back()), kPal / 8);
}

TEST(MachineFrames, SampleReportFollowsTheVolumeSamples) {
    // The samples alone, converted to MIDI with -sam and without: sample
    // notes only with it.
    const auto dir = test::scratchDir("machine-capture");
    const auto file = test::rsidFile(sampleNmis({}), 0x1000, 2, 0x200);
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    for (const bool report : {false, true}) {
        Converter converter;
        ConverterSettings settings;
        settings.playSeconds = 2;
        settings.captureSamples = report;
        test::convertSong(converter, tune, settings, dir / "samples.mid");
        const std::vector<std::uint8_t> midi = test::readFile(dir / "samples.mid");
        // Note 76 at velocity 127, the sample note (the voices play nothing).
        int sampleNotes = 0;
        for (std::size_t i = 0; i + 1 < midi.size(); ++i) sampleNotes += midi[i] == 76 && midi[i + 1] == 127;
        EXPECT_EQ(sampleNotes > 0, report);
    }
}

} // namespace
} // namespace notecast
