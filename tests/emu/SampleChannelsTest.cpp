#include "emu/CpuTestMachine.h"

#include <gtest/gtest.h>

namespace notecast::emu {
namespace {

// Registers are written as a tune writes them, through the SID window.
void set(std::uint16_t address, std::uint8_t value) { test::currentMachine()->write(address, value); }
void setWord(std::uint16_t address, std::uint16_t value) {
    set(address, static_cast<std::uint8_t>(value));
    set(static_cast<std::uint16_t>(address + 1), static_cast<std::uint8_t>(value >> 8));
}

// A 4-bit sample on the first channel, started on a PAL machine at 44100 Hz
// (22.34 CPU cycles per output sample): start, end, period and octave shift
// given, no repeats. The channel steps once after the start register is set.
TEST(SampleChannels, StartPeriodEndAndParametersThatStartNothing) {
    struct Row {
        const char* what;
        std::uint16_t start, end, period;
        std::uint8_t shift;
        std::uint16_t event;  // 0: nothing starts
        int samples;          // output samples until it stops (0: not checked)
    };
    const Row rows[] = {
        {"8 nibbles of 256 cycles: 2048 cycles", 0x3000, 0x3004, 0x0100, 0, 0x0100, 92},
        {"shift 2", 0x3000, 0x3100, 0x0400, 2, 0x0100, 0},
        {"end not above start", 0x3000, 0x3000, 0x0100, 0, 0, 0},
        {"period 0", 0x3000, 0x3100, 0x0000, 0, 0, 0},
        {"period shifted to 0", 0x3000, 0x3100, 0x0003, 2, 0, 0},
        {"shift beyond 16 bits", 0x3000, 0x3100, 0xFFFF, 200, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        C64& m = test::freshMachine();
        m.setupTiming(Clock::Pal, 50, 44100);
        m.resetSampleChannels();
        setWord(0xD41E, r.start);
        setWord(0xD43D, r.end);
        setWord(0xD45D, r.period);
        set(0xD43F, 0);  // repeats
        setWord(0xD47E, 0);
        set(0xD45F, r.shift);
        set(0xD41D, 0xFF);
        m.stepSampleChannels();
        const SampleChannel& ch = m.sampleChannels[0];
        EXPECT_EQ(ch.playing, r.event != 0);
        EXPECT_EQ(m.sampleEvent, r.event);
        EXPECT_FALSE(m.sampleEventReported);
        EXPECT_EQ(m.io[0xD41D], 0);
        if (r.samples == 0) continue;
        int n = 1;
        for (m.sampleOutput(); ch.playing && n < 1000; ++n) m.sampleOutput();
        EXPECT_EQ(n, r.samples);
        EXPECT_EQ(m.sampleEvent, 0);
    }
}

} // namespace
} // namespace notecast::emu
