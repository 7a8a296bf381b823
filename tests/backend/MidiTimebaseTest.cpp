// Tick arithmetic and the variable-length quantities of the track.
#include "backend/MidiEvent.h"
#include "backend/MidiTimebase.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace notecast {
namespace {

std::string varLen(std::uint32_t value) {
    std::string bytes;
    appendVariableLength(bytes, value);
    std::string text;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!text.empty()) text += ' ';
        text += buf;
    }
    return text;
}

TEST(MidiTimebaseTest, VariableLengthQuantities) {
    EXPECT_EQ(varLen(0), "00");
    EXPECT_EQ(varLen(127), "7F");
    EXPECT_EQ(varLen(128), "81 00");
    EXPECT_EQ(varLen(16383), "FF 7F");
    EXPECT_EQ(varLen(16384), "81 80 00");
    EXPECT_EQ(varLen(0x0FFFFFFF), "FF FF FF 7F");
    EXPECT_EQ(varLen(0xFFFFFFFF), "FF FF FF 7F");  // never a fifth byte
}

TEST(MidiTimebaseTest, DeltasFollowTheTimesWithoutAddingUpRoundingErrors) {
    FrameClock clock;
    MidiTimebase tb(clock, 120.0f, 96, 1.0f);  // 5208.33 us per tick
    std::uint32_t total = 0;
    for (std::uint64_t t = 20000; t <= 1000000; t += 20000) {
        const std::uint32_t d = tb.deltaTicks(t);
        EXPECT_TRUE(d == 3 || d == 4) << d;  // 3.84 ticks per frame
        total += d;
    }
    EXPECT_EQ(total, 192u);  // one second: two quarters of 96
    EXPECT_EQ(tb.deltaTicks(1000000), 0u);

    tb.resetEmitted();
    clock.setTime(2, 0);
    tb.startAtNow();
    EXPECT_EQ(tb.deltaTicks(1000000), 0u);  // before tick 0
    EXPECT_EQ(tb.deltaTicks(3000000), 192u);
}

TEST(MidiTimebaseTest, SpeedFactorScalesTheTimeBase) {
    FrameClock clock;
    clock.setTime(10, 500000);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, 1.0f).currentTime(), 10500000u);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, 1.0005f).currentTime(), 10500000u);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, 0.5f).currentTime(), 5250000u);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, 2.0f).currentTime(), 21000000u);
    // Past the 32-bit microsecond range of the clock's total (71.6 minutes).
    clock.setTime(4400, 0);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, 1.0f).currentTime(), 4400000000u);
}

TEST(MidiTimebaseTest, TempoValuesStayWithinTheirFields) {
    FrameClock clock;
    MidiTimebase tb(clock, 100.0f, 120, 1.0f);
    EXPECT_EQ(tb.tempoValue(), 600000u);
    tb.setTempo(120.0f);
    EXPECT_EQ(tb.tempoValue(), 500000u);
    tb.setTempo(0.0f);
    EXPECT_EQ(tb.tempoValue(), 16666667u);  // slowest that fits three bytes
    tb.setTempo(1.0e12f);
    EXPECT_EQ(tb.tempoValue(), 1u);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 0, 1.0f).ppq(), 1);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 40000, 1.0f).ppq(), 32767);

    // A gap longer than a delta can hold is carried into the next delta.
    MidiTimebase fine(clock, 60000000.0f, 32767, 1.0f);
    EXPECT_EQ(fine.deltaTicks(10000000), kMaxVariableLength);
    EXPECT_GT(fine.deltaTicks(10000000), 0u);
}

} // namespace
} // namespace notecast
