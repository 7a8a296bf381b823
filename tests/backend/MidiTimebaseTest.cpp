// Tick arithmetic and the variable-length quantities of the track.
#include "backend/MidiEvent.h"
#include "backend/MidiTimebase.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace notecast {
namespace {

TEST(MidiTimebaseTest, VariableLengthQuantities) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "00"},           {127, "7F"},          {128, "81 00"},
        {16383, "FF 7F"},    {16384, "81 80 00"},  {0x0FFFFFFF, "FF FF FF 7F"},
        {0xFFFFFFFF, "FF FF FF 7F"},  // never a fifth byte
    };
    for (auto [value, expected] : cases) {
        std::string bytes, text;
        appendVariableLength(bytes, value);
        for (unsigned char b : bytes) {
            char buf[4];
            std::snprintf(buf, sizeof buf, text.empty() ? "%02X" : " %02X", b);
            text += buf;
        }
        EXPECT_EQ(text, expected) << value;
    }
}

TEST(MidiTimebaseTest, SpeedFactorScalesTheTimeBase) {
    FrameClock clock;
    clock.setTime(10, 500000);
    const std::pair<float, std::uint64_t> cases[] = {
        {1.0f, 10500000}, {1.0005f, 10500000}, {0.5f, 5250000}, {2.0f, 21000000}};
    for (auto [factor, time] : cases)
        EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, factor).currentTime(), time) << factor;
    // Past the 32-bit microsecond range of the clock's total (71.6 minutes).
    clock.setTime(4400, 0);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 120, 1.0f).currentTime(), 4400000000u);
}

// The slowest tempo and the smallest division are checked in the written
// file (MidiFileWriterTest); these are the other ends of the ranges.
TEST(MidiTimebaseTest, TempoDivisionAndDeltasStayWithinTheirFields) {
    FrameClock clock;
    MidiTimebase tb(clock, 1.0e12f, 120, 1.0f);
    EXPECT_EQ(tb.tempoValue(), 1u);
    EXPECT_EQ(MidiTimebase(clock, 100.0f, 40000, 1.0f).ppq(), 32767);

    // A gap longer than a delta can hold is carried into the next delta.
    MidiTimebase fine(clock, 60000000.0f, 32767, 1.0f);
    EXPECT_EQ(fine.deltaTicks(10000000), kMaxVariableLength);
    EXPECT_GT(fine.deltaTicks(10000000), 0u);
}

} // namespace
} // namespace notecast
