#include "emu/CpuTestMachine.h"

#include <gtest/gtest.h>

#include <vector>

namespace notecast::emu {
namespace {

using test::freshMachine;
using test::poke;
using Values = std::vector<int>;

TEST(MemoryBanks, FlagsFollowTheBankRegister) {
    struct Row { std::uint8_t value; bool basic, io, kernal; };
    const Row rows[] = {
        {0x00, false, false, false}, {0x02, false, false, true}, {0x03, true, false, true},
        {0x04, false, false, false}, {0x05, false, true, false}, {0x06, false, true, true},
        {0x07, true, true, true},    {0x35, false, true, false}, {0xFC, false, false, false},
    };
    C64& m = freshMachine();
    for (const Row& r : rows) {
        m.write(0x0001, r.value);
        EXPECT_EQ((Values{m.ram[1], m.basicVisible, m.ioVisible, m.kernalVisible}),
                  (Values{r.value, r.basic, r.io, r.kernal}))
            << int{r.value};
    }
}

TEST(MemoryReset, LoopsWaitingOnRasterOrTimerEnd) {
    freshMachine();
    poke(0x1000, {0xAD, 0x12, 0xD0, 0xC9, 0x80, 0xD0, 0xF9,   // LDA $D012, CMP #$80, BNE
                  0xAD, 0x04, 0xDC, 0xC9, 0x33, 0xD0, 0xF9,   // LDA $DC04, CMP #$33, BNE
                  0x60});
    EXPECT_EQ(test::currentMachine()->runRoutine(0x1000, 7, 0, 0, 0, kPlayBudget), RunResult::Returned);
}

TEST(MemoryModes, BankSwitchingShowsRomAndIoOnlyWhileVisible) {
    C64& m = freshMachine();
    m.ram[0xA000] = m.ram[0xE000] = m.ram[0xD020] = 0x11;
    m.io[0xD020] = 0x0E;
    m.write(0xA123, 0x55);  // writes under ROM land in RAM
    m.write(0xE123, 0x66);
    m.write(0xD021, 0x01);
    EXPECT_EQ((Values{m.read(0xA000), m.read(0xE000), m.read(0xD020), m.ram[0xA123], m.ram[0xE123], m.io[0xD021],
                      m.ram[0xD021]}),
              (Values{0x60, 0x40, 0x0E, 0x55, 0x66, 0x01, 0x00}));

    m.write(0x0001, 0x34);  // all RAM
    m.write(0xD404, 0x41);
    EXPECT_EQ((Values{m.read(0xA000), m.read(0xE000), m.read(0xD020), m.ram[0xD404], m.io[0xD404], m.gateSet[4]}),
              (Values{0x11, 0x11, 0x11, 0x41, 0x00, false}));
}

TEST(MemorySidWindow, MirrorsFoldOntoTheChipButSampleRegistersStayApart) {
    C64& m = freshMachine();
    m.write(0xD424, 0x41);  // voice 1 control through the second mirror
    m.write(0xD7EB, 0x20);  // voice 2 control through the last one
    EXPECT_EQ((Values{m.io[0xD404], m.io[0xD424], m.gateSet[4], m.gateCleared[4], m.io[0xD40B], m.gateCleared[11]}),
              (Values{0x41, 0x00, true, false, 0x20, true}));

    m.write(0xD41D, 0x01);
    m.write(0xD43D, 0x02);
    m.write(0xD51D, 0x03);
    EXPECT_EQ((Values{m.io[0xD41D], m.read(0xD43D), m.io[0xD51D], m.gateSet[0x1D]}), (Values{1, 2, 3, false}));
}

TEST(MemorySidWindow, GateSetAndClearedInOneCallAreBothSeen) {
    C64& m = freshMachine();
    m.ram[0xFB] = 0x00;
    m.ram[0xFC] = 0xD4;
    poke(0x1000, {0xA9, 0x41, 0x8D, 0x04, 0xD4,        // STA $D404
                  0xA0, 0x04, 0xA9, 0x40, 0x91, 0xFB,  // STA ($FB),Y -> $D404
                  0xA2, 0x0B, 0x9D, 0x00, 0xD4,        // STA $D400,X -> $D40B
                  0x60});
    test::currentMachine()->runRoutine(0x1000, 7, 0, 0, 0, kPlayBudget);
    EXPECT_EQ((Values{m.gateSet[4], m.gateCleared[4], m.io[0xD404], m.io[0xD40B], m.gateCleared[11]}),
              (Values{true, true, 0x40, 0x40, true}));
}

TEST(MemorySidWindow, WriteOnlyRegistersReadTheLastSidWrite) {
    C64& m = freshMachine();
    EXPECT_EQ(m.read(0xD412), 15);  // the volume written at reset
    m.write(0xD401, 0x99);
    m.write(0xD43E, 0x77);  // a sample register is a SID write too
    m.osc3 = 0x12;
    m.env3 = 0x34;
    EXPECT_EQ((Values{m.read(0xD412), m.read(0xD401), m.read(0xD41B), m.read(0xD45C)}), (Values{0x77, 0x77, 0x12, 0x34}));
}

} // namespace
} // namespace notecast::emu
