// The playing-time clock and the frequency-to-note table at their edges.
#include "backend/FrameClock.h"
#include "backend/NoteTable.h"

#include <gtest/gtest.h>

namespace notecast {
namespace {

constexpr std::uint32_t kPalHz = 985248;
constexpr std::uint32_t kPalFrame = 19705;

TEST(FrameClockTest, SetTimeSplitsMinutesAndWrapsTheTotal) {
    FrameClock c;
    c.setTime(61, 500000);
    EXPECT_EQ(c.minutes, 1u);
    EXPECT_EQ(c.seconds, 1u);
    EXPECT_EQ(c.microseconds, 500000u);
    EXPECT_EQ(c.totalMicroseconds, 61500000u);
    EXPECT_EQ(c.totalSeconds(), 61u);

    // The total is kept modulo 2^32: 4295 s = 4295000000 us.
    c.setTime(4295, 0);
    EXPECT_EQ(c.minutes, 71u);
    EXPECT_EQ(c.seconds, 35u);
    EXPECT_EQ(c.totalMicroseconds, 4295000000u - 4294967296u);
}

TEST(FrameClockTest, AdvanceCountsCyclesIntoSecondsAndMinutes) {
    FrameClock c;
    c.advance(kPalFrame, kPalHz);
    EXPECT_EQ(c.cycles, kPalFrame);
    EXPECT_EQ(c.seconds, 0u);
    EXPECT_EQ(c.microseconds, 20000u);  // 19705 / 985248 s, rounded
    EXPECT_EQ(c.totalMicroseconds, 20000u);

    for (int i = 1; i < 50; ++i) c.advance(kPalFrame, kPalHz);
    // 50 frames are 2 cycles more than a second.
    EXPECT_EQ(c.seconds, 1u);
    EXPECT_EQ(c.cycles, 2u);
    EXPECT_EQ(c.microseconds, 2u);
    EXPECT_EQ(c.totalMicroseconds, 1000002u);

    c.seconds = 59;
    c.cycles = kPalHz - 1;
    c.advance(1, kPalHz);
    EXPECT_EQ(c.minutes, 1u);
    EXPECT_EQ(c.seconds, 0u);
    EXPECT_EQ(c.cycles, 0u);
    EXPECT_EQ(c.microseconds, 0u);
    EXPECT_EQ(c.totalMicroseconds, 60000000u);

    // Without a clock frequency no time passes (and nothing divides by 0).
    c.advance(kPalFrame, 0);
    EXPECT_EQ(c.totalMicroseconds, 60000000u);
}

TEST(NoteTableTest, EntriesFollowTheSinglePrecisionConstants) {
    NoteTable t;
    const std::pair<int, std::uint32_t> known[] = {{0, 278},    {1, 294},    {12, 556},
                                                   {24, 1113},  {45, 3746},  {57, 7492},
                                                   {69, 14985}, {81, 29970}, {94, 63504},
                                                   {95, 67280}};
    for (auto [i, value] : known) EXPECT_EQ(t.entry(i), value) << "entry " << i;
}

TEST(NoteTableTest, FindNoteAtTheEdgesOfTheRegisterRange) {
    NoteTable t;
    NoteTable::Match m = t.findNote(0);
    EXPECT_FALSE(m.found);
    EXPECT_EQ(m.note, -1);
    EXPECT_EQ(m.tableValue, -1);

    struct Case {
        std::uint32_t reg;
        int note;
        std::int32_t value;
    };
    const Case cases[] = {
        {1, 0, 278},
        {7492, 57, 7492},
        {7382, 57, 7492},
        {286, 1, 294},      // exactly between 278 and 294: the higher note
        {285, 0, 278},
        {65535, 94, 63504}, // entry 95 lies above the register range
    };
    for (const Case& c : cases) {
        m = t.findNote(c.reg);
        EXPECT_TRUE(m.found) << c.reg;
        EXPECT_EQ(m.note, c.note) << c.reg;
        EXPECT_EQ(m.tableValue, c.value) << c.reg;
    }
}

TEST(NoteTableTest, PitchBendWithinAndBeyondTheRange) {
    NoteTable t;
    EXPECT_EQ(t.pitchBend(1000, 1000, 96), 8192);
    EXPECT_EQ(t.pitchBend(1059463, 1000000, 96), 8277);  // one semitone up
    // An octave is a hair under 12 semitones with the single-precision ratio.
    EXPECT_EQ(t.pitchBend(2000, 1000, 12), 16382);
    EXPECT_EQ(t.pitchBend(1000, 2000, 12), 0);
    EXPECT_EQ(t.pitchBend(8000, 1000, 36), 16382);
    EXPECT_EQ(t.pitchBend(8000, 1000, 35), -1);
    EXPECT_EQ(t.pitchBend(1000, 8000, 35), -1);
    EXPECT_EQ(t.pitchBend(1000, 1000, 0), 8192);
    EXPECT_EQ(t.pitchBend(1001, 1000, 0), -1);
    // A silent side has no pitch: never a bend, never a division by zero.
    EXPECT_EQ(t.pitchBend(0, 1000, 96), -1);
    EXPECT_EQ(t.pitchBend(1000, 0, 96), -1);
    EXPECT_EQ(t.pitchBend(0, 0, 96), -1);
}

} // namespace
} // namespace notecast
