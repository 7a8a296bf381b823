// findNote against the plain definition, for every register value: the
// nearest table entry among the 95 searched, the higher one on a tie.
#include "backend/NoteTable.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace notecast {
namespace {

TEST(NoteSearch, EveryRegisterFindsTheNearestNoteAndTiesGoUp) {
    const NoteTable table;
    for (std::uint32_t reg = 1; reg <= 0xFFFF; ++reg) {
        int nearest = 0;
        for (int i = 1; i < 95; ++i) {
            const long d = std::labs(static_cast<long>(table.entry(i)) - static_cast<long>(reg));
            const long best = std::labs(static_cast<long>(table.entry(nearest)) - static_cast<long>(reg));
            if (d <= best) nearest = i;
        }
        const NoteTable::Match m = table.findNote(reg);
        ASSERT_TRUE(m.found) << reg;
        ASSERT_EQ(m.note, nearest) << reg;
        ASSERT_EQ(m.tableValue, static_cast<std::int32_t>(table.entry(nearest))) << reg;
    }
    EXPECT_FALSE(table.findNote(0).found);
    EXPECT_FALSE(table.findNote(200000).found);  // no note that far above the lowest
}

} // namespace
} // namespace notecast
