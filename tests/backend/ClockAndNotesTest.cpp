// The frequency-to-note table and the pitch bends at their edges.
#include "backend/NoteTable.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace notecast {
namespace {

TEST(NoteTableTest, FindNoteAtTheEdgesOfTheRegisterRange) {
    NoteTable t;
    const NoteTable::Match none = t.findNote(0);
    EXPECT_EQ((std::tuple{none.found, none.note, none.tableValue}), (std::tuple{false, -1, -1}));
    const std::tuple<std::uint32_t, int, std::int32_t> cases[] = {
        {1, 0, 278},       {7492, 57, 7492}, {7382, 57, 7492},
        {286, 1, 294},     // exactly between 278 and 294: the higher note
        {285, 0, 278},     {65535, 94, 63504},  // entry 95 lies above the register range
    };
    for (auto [reg, note, value] : cases) {
        const NoteTable::Match m = t.findNote(reg);
        EXPECT_EQ((std::tuple{m.found, m.note, m.tableValue}), (std::tuple{true, note, value})) << reg;
    }
}

TEST(NoteTableTest, PitchBendWithinAndBeyondTheRange) {
    NoteTable t;
    const std::tuple<std::uint32_t, std::uint32_t, std::int32_t, std::int32_t> cases[] = {
        {1000, 1000, 96, 8192},       {1059463, 1000000, 96, 8277},  // one semitone up
        // An octave is a hair under 12 semitones with the single-precision ratio.
        {2000, 1000, 12, 16382},      {1000, 2000, 12, 0},
        {8000, 1000, 36, 16382},      {8000, 1000, 35, -1},       {1000, 8000, 35, -1},
        {1000, 1000, 0, 8192},        {1001, 1000, 0, -1},
        // A silent side has no pitch: never a bend, never a division by zero.
        {0, 1000, 96, -1},            {1000, 0, 96, -1},          {0, 0, 96, -1},
    };
    for (auto [current, reference, range, bend] : cases)
        EXPECT_EQ(t.pitchBend(current, reference, range), bend)
            << current << " " << reference << " " << range;
}

} // namespace
} // namespace notecast
