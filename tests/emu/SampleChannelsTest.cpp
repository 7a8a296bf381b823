#include "emu/CpuTestMachine.h"

#include <gtest/gtest.h>

namespace notecast::emu {
namespace {

using test::freshMachine;

// Registers are written as a tune writes them, through the SID window.
void set(std::uint16_t address, std::uint8_t value) { (*test::currentMachine()).write(address, value); }
void setWord(std::uint16_t address, std::uint16_t value) {
    set(address, static_cast<std::uint8_t>(value));
    set(static_cast<std::uint16_t>(address + 1), static_cast<std::uint8_t>(value >> 8));
}

// PAL at 44100 Hz: 22.34 CPU cycles per output sample.
C64& palMachine() {
    C64& m = freshMachine();
    test::currentMachine()->setupTiming(Clock::Pal, 50, 44100);
    test::currentMachine()->resetSampleChannels();
    return m;
}

// A 4-bit sample on the channel whose registers lie in `page`.
void setSample(std::uint16_t page, std::uint16_t start, std::uint16_t end, std::uint16_t period,
               std::uint8_t repeats = 0, std::uint16_t repeatAddress = 0) {
    setWord(page + 0x1E, start);
    setWord(page + 0x3D, end);
    setWord(page + 0x5D, period);
    set(page + 0x3F, repeats);
    setWord(page + 0x7E, repeatAddress);
}

// Output samples until the channel stops (at most `limit`).
int playUntilStopped(const SampleChannel& ch, int limit) {
    for (int n = 1; n <= limit; ++n) {
        test::currentMachine()->sampleOutput();
        if (!ch.playing) return n;
    }
    return -1;
}

TEST(SampleChannels, SampleStartsReportsItsPeriodAndStopsAtItsEnd) {
    C64& m = palMachine();
    setSample(0xD400, 0x3000, 0x3004, 0x0100);
    set(0xD41D, 0xFF);
    test::currentMachine()->stepSampleChannels();
    const SampleChannel& ch = m.sampleChannels[0];
    EXPECT_TRUE(ch.playing);
    EXPECT_EQ(m.sampleEvent, 0x0100);
    EXPECT_FALSE(m.sampleEventReported);
    EXPECT_EQ(m.io[0xD41D], 0);
    // 8 nibbles of 256 cycles: 2048 cycles, 91.7 output samples.
    EXPECT_EQ(playUntilStopped(ch, 1000), 92);
    EXPECT_EQ(m.sampleEvent, 0);
}

TEST(SampleChannels, OctaveShiftDividesThePeriodAndBadParametersStartNothing) {
    struct Row {
        const char* what;
        std::uint16_t start, end, period;
        std::uint8_t shift;
        std::uint16_t event;  // 0: nothing starts
    };
    const Row rows[] = {
        {"shift 2", 0x3000, 0x3100, 0x0400, 2, 0x0100},
        {"end not above start", 0x3000, 0x3000, 0x0100, 0, 0},
        {"period 0", 0x3000, 0x3100, 0x0000, 0, 0},
        {"period shifted to 0", 0x3000, 0x3100, 0x0003, 2, 0},
        {"shift beyond 16 bits", 0x3000, 0x3100, 0xFFFF, 200, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        C64& m = palMachine();
        setSample(0xD400, r.start, r.end, r.period);
        set(0xD45F, r.shift);
        set(0xD41D, 0xFF);
        test::currentMachine()->stepSampleChannels();
        EXPECT_EQ(m.sampleChannels[0].playing, r.event != 0);
        EXPECT_EQ(m.sampleEvent, r.event);
        EXPECT_EQ(m.io[0xD41D], 0);
    }
}

} // namespace
} // namespace notecast::emu
