// Frames of interrupt-driven tunes: which handler runs make snapshots, their
// times and sample counts, timed frames, samples played through the volume
// register, and the machine stopping. Tunes are 6510 bytes with a listing.
#include "convert/Converter.h"
#include "convert/MachineCapture.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <deque>

namespace notecast {
namespace {

constexpr std::uint32_t kPal = 985248;
constexpr std::uint32_t kVideoFrame = 312 * 63;

// An RSID (PAL) with `code` at $1000, init there.
std::vector<std::uint8_t> rsid(std::vector<std::uint8_t> code) {
    test::PsidBuilder b;
    b.load = 0x1000;
    b.init = 0;
    b.play = 0;
    b.embedLoadAddress = true;
    code.resize(0x200, 0xEA);
    b.code = code;
    std::vector<std::uint8_t> f = b.build();
    f[0] = 'R';
    return f;
}

struct Capture {
    std::deque<FrameSnapshot> frames;
    std::vector<std::string> warnings;
};

Capture capture(const std::vector<std::uint8_t>& file, std::uint32_t seconds) {
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

std::uint64_t sampleSum(const std::deque<FrameSnapshot>& frames) {
    std::uint64_t sum = 0;
    for (const FrameSnapshot& f : frames) sum += f.samples;
    return sum;
}

TEST(MachineFrames, PlayLoopWithoutInterruptsGetsTimedFrames) {
    // Init never returns: it counts up voice 1's frequency in a loop, with
    // interrupts off.
    const Capture c = capture(rsid({0x78,                    // 1000 SEI
                                    0xEE, 0x00, 0xD4,        // 1001 INC $D400
                                    0x4C, 0x01, 0x10}),      // 1004 JMP $1001
                              1);
    ASSERT_GE(c.frames.size(), 40u);
    // The first after three video frames, then one every video frame.
    EXPECT_NEAR(static_cast<double>(cyclesOf(c.frames[0])), 3.0 * kVideoFrame, 10);
    for (std::size_t i = 1; i < c.frames.size(); ++i)
        EXPECT_NEAR(static_cast<double>(cyclesOf(c.frames[i]) - cyclesOf(c.frames[i - 1])), kVideoFrame, 10);
    // Sample counts from the first snapshot to the end of the second.
    EXPECT_EQ(sampleSum(c.frames), 44100u - cyclesOf(c.frames[0]) * 44100 / kPal);
    EXPECT_TRUE(c.warnings.empty());
}

TEST(MachineFrames, SampleNmisMakeNoFramesTheMusicIrqDoes) {
    // Samples at 8 kHz from CIA 2's NMI into $D418, music from the raster
    // IRQ once a video frame (it sets the volume to 15 and steps voice 1).
    const Capture c = capture(
        rsid({
            0x78,                                // 1000 SEI
            0xA9, 0x40, 0x8D, 0x18, 0x03,        // 1001 $0318 = $1040
            0xA9, 0x10, 0x8D, 0x19, 0x03,
            0xA9, 0x60, 0x8D, 0x14, 0x03,        // 100B $0314 = $1060
            0xA9, 0x10, 0x8D, 0x15, 0x03,
            0xA9, 0x7F, 0x8D, 0x0D, 0xDC,        // 1015 CIA 1 quiet
            0xA9, 0x7B, 0x8D, 0x04, 0xDD,        // 101A CIA 2 timer A: 123 cycles
            0xA9, 0x00, 0x8D, 0x05, 0xDD,
            0xA9, 0x81, 0x8D, 0x0D, 0xDD,        // 1024 its NMI on, started
            0x8D, 0x0E, 0xDD,
            0xA9, 0x01, 0x8D, 0x1A, 0xD0,        // 102C raster IRQ on
            0x58, 0x60,                          // 1031 CLI, RTS
            0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA,
            0x48,                                // 1040 nmi: PHA
            0xE6, 0xFB, 0xA5, 0xFB,              // 1041 INC $FB, LDA $FB
            0x29, 0x07, 0x8D, 0x18, 0xD4,        // 1045 AND #7, STA $D418
            0xAD, 0x0D, 0xDD,                    // 104A LDA $DD0D
            0x68, 0x40,                          // 104D PLA, RTI
            0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA,
            0xA9, 0x1F, 0x8D, 0x18, 0xD4,        // 1060 irq: LDA #$1F, STA $D418
            0xE6, 0xFC, 0xA5, 0xFC,              // 1065 INC $FC, LDA $FC
            0x8D, 0x01, 0xD4,                    // 1069 STA $D401
            0xEE, 0x19, 0xD0,                    // 106C INC $D019
            0x4C, 0x81, 0xEA,                    // 106F JMP $EA81
        }),
        1);
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
    const Capture c = capture(rsid({0xA2, 0x00, 0xA0, 0x60,  // 1000 LDX #0, LDY #96: ~123000 cycles
                                    0xCA, 0xD0, 0xFD, 0x88, 0xD0, 0xFA,
                                    0x00}),                  // 100A BRK
                              5);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0].rfind("WARNING: The tune executed BRK after 0.13 seconds", 0), 0u) << c.warnings[0];
    ASSERT_FALSE(c.frames.empty());
    EXPECT_LT(cyclesOf(c.frames.back()), kPal / 8);
}

TEST(MachineFrames, SampleReportFollowsTheVolumeSamples) {
    // The same samples as above, converted to MIDI with -sam and without:
    // sample notes only with it.
    const auto dir = test::scratchDir("machine-capture");
    SidTune tune(rsid({0x78, 0xA9, 0x40, 0x8D, 0x18, 0x03, 0xA9, 0x10, 0x8D, 0x19, 0x03,
                       0xA9, 0x7B, 0x8D, 0x04, 0xDD, 0xA9, 0x00, 0x8D, 0x05, 0xDD,
                       0xA9, 0x81, 0x8D, 0x0D, 0xDD, 0x8D, 0x0E, 0xDD, 0x58, 0x60,   // 1000-101E
                       0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA,
                       0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA,
                       0xEA, 0xEA, 0xEA, 0xEA, 0xEA,                                   // to 1040
                       0x48, 0xE6, 0xFB, 0xA5, 0xFB, 0x29, 0x07, 0x8D, 0x18, 0xD4,
                       0xAD, 0x0D, 0xDD, 0x68, 0x40})
                      .data(),
                  0x27E);
    ASSERT_TRUE(tune.status());
    for (const bool report : {false, true}) {
        Converter converter;
        ConverterSettings settings;
        settings.playSeconds = 2;
        settings.captureSamples = report;
        converter.configure(settings);
        converter.initSong(tune, 1);
        converter.run((dir / "samples.mid").string(), true, nullptr);
        const std::vector<std::uint8_t> midi = test::readFile(dir / "samples.mid");
        // Note 76 at velocity 127, the sample note (the voices play nothing).
        int sampleNotes = 0;
        for (std::size_t i = 0; i + 1 < midi.size(); ++i) sampleNotes += midi[i] == 76 && midi[i + 1] == 127;
        EXPECT_EQ(sampleNotes > 0, report);
    }
}

} // namespace
} // namespace notecast
