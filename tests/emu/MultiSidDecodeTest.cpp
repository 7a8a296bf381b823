// Tunes for two or three SID chips: which chip a write reaches, in every
// memory model and on the whole machine's bus.
#include "emu/CpuTestMachine.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace notecast::emu {
namespace {

enum class Bus { Banked, Transparent, Flat, Machine };

C64& machineWith(Bus bus, std::uint16_t second, std::uint16_t third) {
    C64* m = test::currentMachine();
    switch (bus) {
    case Bus::Banked: test::freshMachine(MemoryMode::BankSwitching); break;
    case Bus::Transparent: test::freshMachine(MemoryMode::TransparentRom); break;
    case Bus::Flat: test::freshMachine(MemoryMode::Romless); break;
    case Bus::Machine:
        m->reset();
        m->resetMachine(Clock::Pal);
        break;
    }
    m->placeExtraSids(second, third);
    return *m;
}

// Where a chip's register r is kept: the first chip's in the I/O image (its
// sample-channel registers at their own address), the others' apart.
std::uint8_t registerOf(const C64& m, int chip, std::uint16_t address) {
    const unsigned r = address & 0x1Fu;
    if (chip > 0) return m.extraSids[chip - 1].registers[r];
    return m.io[r >= 0x1D ? address : 0xD400u + r];
}

TEST(MultiSidDecoding, EachWriteReachesOneChipOrNone) {
    struct Row {
        std::uint16_t second, third, address;
        int chip;  // 0-2, or -1: no SID there
    };
    // With a second chip at $D420, $D444 is still a mirror of the first chip
    // (voice 1); a sample-channel register inside a chip's range is the chip's own.
    const Row rows[] = {
        {0xD420, 0, 0xD424, 1},      {0xD420, 0, 0xD444, 0},       {0xD420, 0xD440, 0xD444, 2},
        {0xD420, 0xD440, 0xD464, 0}, {0xD500, 0xD600, 0xD50B, 1},  {0xD500, 0xD600, 0xD60B, 2},
        {0xD500, 0xD600, 0xD70B, 0}, {0xD4A0, 0, 0xD4B2, 1},       {0xDE00, 0xDF00, 0xDE12, 1},
        {0xDE00, 0xDF00, 0xDF04, 2}, {0xDE00, 0, 0xDF04, -1},      {0, 0, 0xDE04, -1},
        {0xD420, 0, 0xD43D, 1},      {0xD500, 0, 0xD51D, 1},       {0xD420, 0, 0xD41D, 0},
    };
    for (Bus bus : {Bus::Banked, Bus::Transparent, Bus::Flat, Bus::Machine}) {
        for (const Row& row : rows) {
            char trace[64];
            std::snprintf(trace, sizeof trace, "bus %d, write to $%04X, chips at $%04X $%04X", static_cast<int>(bus),
                          row.address, row.second, row.third);
            SCOPED_TRACE(trace);
            C64& m = machineWith(bus, row.second, row.third);
            m.write(row.address, 0x41);
            const unsigned r = row.address & 0x1Fu;
            for (int chip = 0; chip < m.sidChips; ++chip) {
                // (Without ROM, the first chip's sample registers are that RAM.)
                if (!(bus == Bus::Flat && chip == 0 && r >= 0x1D)) {
                    EXPECT_EQ(registerOf(m, chip, row.address), chip == row.chip ? 0x41 : 0x00) << "chip " << chip;
                }
                EXPECT_EQ(m.gateSet[32 * chip + r], chip == row.chip && r < 0x1D) << "chip " << chip;
            }
            // Without ROM, RAM holds a further chip's registers too.
            if (bus == Bus::Flat && row.chip > 0) {
                EXPECT_EQ(m.ram[row.address], 0x41);
            }
            if (row.chip < 0) {
                EXPECT_EQ(m.read(row.address), 0x41);  // RAM, or I/O that keeps it
            }
        }
    }
}

TEST(MultiSidDecoding, EachChipReadsItsOwnBusAndVoiceThree) {
    for (Bus bus : {Bus::Banked, Bus::Machine}) {
        SCOPED_TRACE(static_cast<int>(bus));
        C64& m = machineWith(bus, 0xD420, 0xDE00);
        m.osc3 = 0x12;
        m.extraSids[0].env3 = 0x34;
        m.write(0xD401, 0x11);
        m.write(0xD421, 0x22);
        m.write(0xDE0F, 0x33);
        // $D472: the first chip's mirror; $D43E: an unused register of the second chip.
        const std::pair<std::uint16_t, int> reads[] = {{0xD412, 0x11}, {0xD472, 0x11}, {0xD432, 0x22},
                                                       {0xD43E, 0x22}, {0xDE00, 0x33}, {0xD41B, 0x12},
                                                       {0xD43B, 0x00}, {0xD43C, 0x34}, {0xD45B, 0x12}};
        for (const auto& [address, value] : reads) EXPECT_EQ(m.read(address), value) << std::hex << address;
    }
}

} // namespace
} // namespace notecast::emu
