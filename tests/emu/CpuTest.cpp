// What the shared single-instruction vectors cannot check: how a call begins
// and ends, the stack rule, jumps into ROM, the bank register, the budget and
// the opcodes this CPU defines on purpose (left out of the vectors).
#include "emu/CpuTestMachine.h"

#include <gtest/gtest.h>

namespace notecast::emu {
namespace {

using test::freshMachine;
using test::peek;
using test::poke;

constexpr std::uint32_t kBudget = 10'000;

RunResult run(std::uint16_t start, std::uint8_t bank = 7, std::uint8_t a = 0) {
    return test::currentMachine()->runRoutine(start, bank, a, 0, 0, kBudget);
}

TEST(CpuCallRules, CallSetsUpRegistersAndBankByMemoryMode) {
    C64& m = freshMachine();
    poke(0x1000, {0x08, 0x68, 0x8D, 0x00, 0x20, 0x60});  // PHP, PLA, STA $2000, RTS
    m.cpu.sr = 0xFF;
    m.gateSet[4] = m.gateCleared[11] = true;
    EXPECT_EQ(m.runRoutine(0x1000, 6, 0x11, 0x22, 0x33, kBudget), RunResult::Returned);
    // All flags clear, the registers and bank given, the gate flags cleared.
    EXPECT_EQ((std::vector<int>{peek(0x2000), m.cpu.x, m.cpu.y, m.cpu.sp, m.ram[1], m.basicVisible,
                                m.gateSet[4] || m.gateCleared[11]}),
              (std::vector<int>{0x20, 0x22, 0x33, 0x0201, 6, false, false}));

    // Without ROM, X and Y start at 0 and the bank byte is left alone.
    freshMachine(MemoryMode::Romless);
    m.ram[1] = 0x37;
    poke(0x1000, {0x60});
    m.runRoutine(0x1000, 5, 0x11, 0x22, 0x33, kBudget);
    EXPECT_EQ((std::vector<int>{m.cpu.a, m.cpu.x, m.cpu.y, m.ram[1]}), (std::vector<int>{0x11, 0, 0, 0x37}));
}

TEST(CpuCallRules, ReturnsEndTheCallOnlyWhenTheyLeaveTheStack) {
    // RTS, RTI and BRK with nothing pushed end the call; STA $2000 must not run.
    for (std::uint8_t opcode : {0x60, 0x40, 0x00}) {
        SCOPED_TRACE(opcode);
        C64& m = freshMachine();
        poke(0x1000, {opcode, 0x8D, 0x00, 0x20});
        m.ram[0x2000] = 0xEE;
        EXPECT_EQ(run(0x1000, 7, 0x55), RunResult::Returned);
        EXPECT_EQ((std::vector<int>{peek(0x2000), m.cpu.sp}), (std::vector<int>{0xEE, 0x0201}));
    }
    // A nested subroutine returns to its caller; BRK there returns like RTS
    // and leaves B and I set.
    C64& m = freshMachine();
    poke(0x1000, {0x20, 0x20, 0x10, 0x8E, 0x00, 0x20,  // JSR $1020, STX $2000
                  0x08, 0x68, 0x8D, 0x01, 0x20, 0x00});  // PHP, PLA, STA $2001, BRK
    poke(0x1020, {0xA2, 0x07, 0x00});                    // LDX #7, BRK
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ((std::vector<int>{peek(0x2000), peek(0x2001), m.cpu.sr & 0x14}), (std::vector<int>{7, 0x34, 0x14}));

    // RTI pulls only the return address, no status byte.
    freshMachine();
    poke(0x1000, {0xA9, 0x10, 0x48, 0xA9, 0x1F, 0x48,  // push $101F
                  0xA9, 0xC3, 0x48, 0x68, 0x40});      // push and pull $C3, RTI -> $1020
    poke(0x1020, {0x8D, 0x00, 0x20, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 0xC3);
}

TEST(CpuCallRules, StackLeavingItsPageAndCodeLeavingMemory) {
    // A JSR that pushes below $0100 ends the call before its target runs.
    C64& m = freshMachine();
    poke(0x1000, {0xA2, 0x00, 0x9A, 0x20, 0x00, 0x30});  // LDX #0, TXS, JSR $3000
    poke(0x3000, {0x8D, 0x00, 0x20, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ((std::vector<int>{peek(0x2000), m.cpu.sp}), (std::vector<int>{0, 0x00FE}));

    // Pushes continue into the zero page without ending it.
    freshMachine();
    poke(0x1000, {0xA2, 0x00, 0x9A, 0xA9, 0x5A, 0x48, 0x48,  // TXS to $0100, PHA, PHA
                  0xA2, 0xFF, 0x9A, 0x8D, 0x00, 0x20, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ((std::vector<int>{peek(0x00FF), peek(0x2000)}), (std::vector<int>{0x5A, 0x5A}));

    // LDA $1234 at $FFFE: the operand's high byte wraps to $0000, then the
    // code has run off the end and the call is over.
    freshMachine(MemoryMode::Romless);
    poke(0xFFFE, {0xAD, 0x34});
    m.ram[0] = 0x12;
    m.ram[0x1234] = 0x77;
    EXPECT_EQ(run(0xFFFE), RunResult::Returned);
    EXPECT_EQ(m.cpu.a, 0x77);
}

TEST(CpuBudget, StopsAfterExactlyTheBudgetAndTheNextCallRunsNormally) {
    C64& m = freshMachine();
    poke(0x1000, {0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0x60});  // INX x6, RTS
    EXPECT_EQ(m.runRoutine(0x1000, 7, 0, 0, 0, 5), RunResult::Stopped);
    EXPECT_EQ((std::vector<int>{m.cpu.x, m.cpu.pc}), (std::vector<int>{5, 0x1005}));
    EXPECT_EQ(m.execute(1), RunResult::Stopped);
    EXPECT_EQ(m.execute(kBudget), RunResult::Returned);
    EXPECT_EQ((std::vector<int>{m.cpu.x, int(m.instructionsExecuted)}), (std::vector<int>{6, 7}));

    poke(0x1000, {0xE6, 0x02, 0x4C, 0x00, 0x10});  // INC $02, JMP $1000
    poke(0x1100, {0xA9, 0x01, 0x60});              // LDA #1, RTS
    EXPECT_EQ(m.runRoutine(0x1000, 7, 0, 0, 0, kPlayBudget), RunResult::Stopped);
    EXPECT_EQ(m.ram[2], static_cast<std::uint8_t>(kPlayBudget / 2));
    EXPECT_EQ(m.runRoutine(0x1100, 7, 0, 0, 0, kPlayBudget), RunResult::Returned);
    EXPECT_EQ(m.cpu.a, 1);
}

TEST(CpuRomJumps, JmpIntoVisibleRomEndsTheCallElseRunsRam) {
    using M = MemoryMode;
    const struct {
        MemoryMode mode;
        std::uint8_t bank;
        std::uint16_t target;
        bool ramRuns;  // false: taken as a call of ROM that returns at once
    } cases[] = {{M::BankSwitching, 7, 0xE000, false}, {M::BankSwitching, 7, 0xFFF0, false},
                 {M::BankSwitching, 5, 0xE000, true},  {M::BankSwitching, 7, 0xA000, false},
                 {M::BankSwitching, 6, 0xA000, true},  {M::BankSwitching, 7, 0xD000, false},
                 {M::BankSwitching, 4, 0xD000, true},  {M::BankSwitching, 7, 0xC000, true},
                 {M::TransparentRom, 7, 0xA000, true}, {M::TransparentRom, 7, 0xD000, false},
                 {M::TransparentRom, 5, 0xE000, true}, {M::Romless, 7, 0xE000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(c.mode) << " bank " << int(c.bank) << " $"
                                          << std::hex << c.target);
        freshMachine(c.mode);
        poke(0x1000, {0xA9, 0x01, 0x8D, 0x00, 0x20,  // LDA #1, STA $2000, JMP target
                      0x4C, static_cast<std::uint8_t>(c.target), static_cast<std::uint8_t>(c.target >> 8)});
        poke(c.target, {0xA9, 0x02, 0x8D, 0x00, 0x20, 0x60});  // LDA #2, STA $2000
        EXPECT_EQ(run(0x1000, c.bank), RunResult::Returned);
        EXPECT_EQ(peek(0x2000), c.ramRuns ? 2 : 1);
    }

    // A JSR into the visible KERNAL continues after the JSR, without running
    // the RAM under the KERNAL (LDX #$55, RTS), and leaves the stack as it was.
    freshMachine();
    poke(0x1000, {0x20, 0xD2, 0xFF, 0x8E, 0x00, 0x20, 0xBA, 0x8E, 0x01, 0x20, 0x60});  // STX, TSX, STX
    poke(0xFFD2, {0xA2, 0x55, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ((std::vector<int>{peek(0x2000), peek(0x2001)}), (std::vector<int>{0x00, 0xFF}));

    // JMP ($10FF) takes its high byte from $1000 (the opcode $6C), not $1100.
    freshMachine();
    poke(0x1000, {0x6C, 0xFF, 0x10});
    poke(0x10FF, {0x00, 0x50});
    poke(0x6C00, {0xA9, 0x01, 0x8D, 0x00, 0x20, 0x60});
    poke(0x5000, {0xA9, 0x02, 0x8D, 0x00, 0x20, 0x60});
    run(0x1000);
    EXPECT_EQ(peek(0x2000), 1);
}

TEST(CpuBankRegister, StoresToAddressOneSwitchBanks) {
    // STA $01, STX $FF,Y (wraps to $01), DEC $01, STA $0001; then LDA $E000, STA $2000.
    using Code = std::initializer_list<std::uint8_t>;
    for (const Code code : {Code{0xA9, 0x35, 0x85, 0x01}, Code{0xA2, 0x35, 0xA0, 0x02, 0x96, 0xFF},
                            Code{0xA9, 0x36, 0x85, 0x01, 0xC6, 0x01}, Code{0xA9, 0x35, 0x8D, 0x01, 0x00}}) {
        SCOPED_TRACE(code.size());
        C64& m = freshMachine();
        poke(0x1000, code);
        poke(static_cast<std::uint16_t>(0x1000 + code.size()), {0xAD, 0x00, 0xE0, 0x8D, 0x00, 0x20, 0x60});
        m.ram[0xE000] = 0x99;
        run(0x1000);
        EXPECT_EQ(m.ram[1], 0x35);
        EXPECT_TRUE(m.ioVisible && !m.basicVisible && !m.kernalVisible);
        EXPECT_EQ(peek(0x2000), 0x99);  // RAM under the KERNAL, not its RTI
    }
}

TEST(CpuUndocumented, UnstableOpcodesFollowTheirDefinedRules) {
    struct Case {
        const char* what;
        std::initializer_list<std::uint8_t> code;  // from $1000 with A=$F3 X=$5E Y=$04
        std::uint32_t instructions;
        std::uint8_t a, x, flags;  // flags: N V Z C (mask $C3)
        std::uint16_t stored;      // address of a store, 0 = none
        std::uint8_t value;
        std::uint16_t sp = 0x01FF;
    };
    const Case cases[] = {
        {"ANE #$0F: A = X AND #", {0x8B, 0x0F}, 1, 0x0E, 0x5E, 0x00, 0, 0},
        {"LXA #$3C: (A OR $EE) AND #", {0xAB, 0x3C}, 1, 0x3C, 0x3C, 0x00, 0, 0},
        {"SBX #$60: a borrow sets C", {0xCB, 0x60}, 1, 0xF3, 0xF2, 0x81, 0, 0},
        {"SBX #$10: no borrow", {0xCB, 0x10}, 1, 0xF3, 0x42, 0x00, 0, 0},
        {"ARR #$FF with C set", {0x38, 0x6B, 0xFF}, 2, 0xF9, 0x5E, 0x81, 0, 0},
        {"ARR in decimal mode does nothing", {0xF8, 0x38, 0x6B, 0x00}, 3, 0xF3, 0x5E, 0x01, 0, 0},
        {"SHA $2000,Y", {0x9F, 0x00, 0x20}, 1, 0xF3, 0x5E, 0x00, 0x2004, 0x02},
        {"SHX $20FE,Y", {0x9E, 0xFE, 0x20}, 1, 0xF3, 0x5E, 0x00, 0x2102, 0x00},
        {"SHY $2010,X", {0x9C, 0x10, 0x20}, 1, 0xF3, 0x5E, 0x00, 0x206E, 0x00},
        {"TAS $2003,Y", {0x9B, 0x03, 0x20}, 1, 0xF3, 0x5E, 0x00, 0x2007, 0x00, 0x0152},
        {"LAS $20FF,Y reads nothing", {0xBB, 0xFF, 0x20}, 1, 0x03, 0x03, 0x00, 0, 0, 0x0103},
        {"SHA ($40),Y", {0x93, 0x40}, 1, 0xF3, 0x5E, 0x00, 0x3014, 0x10},
        {"JAM opcodes are one-byte no-ops", {0x02, 0x12, 0xF2, 0xE8}, 4, 0xF3, 0x5F, 0x00, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        C64& m = freshMachine();
        m.ram[0x40] = 0x10;
        m.ram[0x41] = 0x30;  // ($40) = $3010; SHA ANDs with $30 + 1
        m.ram[0x20FF] = 0xFF;
        if (c.stored) m.ram[c.stored] = 0xEE;
        poke(0x1000, c.code);
        EXPECT_EQ(m.runRoutine(0x1000, 7, 0xF3, 0x5E, 0x04, c.instructions), RunResult::Stopped);
        EXPECT_EQ((std::vector<int>{m.cpu.pc, m.cpu.a, m.cpu.x, m.cpu.sr & 0xC3, m.cpu.sp, c.stored ? peek(c.stored) : 0}),
                  (std::vector<int>{int(0x1000 + c.code.size()), c.a, c.x, c.flags, c.sp, c.stored ? c.value : 0}));
    }
}

} // namespace
} // namespace notecast::emu
