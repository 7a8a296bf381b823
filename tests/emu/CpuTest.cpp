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

// --- how a call begins and ends ---------------------------------------------

TEST(CpuCallRules, CallSetsUpRegistersAndBankByMemoryMode) {
    C64& m = freshMachine();
    poke(0x1000, {0x08, 0x68, 0x8D, 0x00, 0x20, 0x60});  // PHP, PLA, STA $2000, RTS
    m.cpu.sr = 0xFF;
    m.gateSet[4] = m.gateCleared[11] = true;
    EXPECT_EQ(test::currentMachine()->runRoutine(0x1000, 6, 0x11, 0x22, 0x33, kBudget), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 0x20);  // all flags clear
    EXPECT_EQ(m.cpu.x, 0x22);
    EXPECT_EQ(m.cpu.y, 0x33);
    EXPECT_EQ(m.cpu.sp, 0x0201);    // the final RTS pulled from $0200/$0201
    EXPECT_EQ(m.ram[1], 6);
    EXPECT_FALSE(m.basicVisible);
    EXPECT_FALSE(m.gateSet[4] || m.gateCleared[11]);

    freshMachine(MemoryMode::Romless);
    m.ram[1] = 0x37;
    poke(0x1000, {0x60});
    test::currentMachine()->runRoutine(0x1000, 5, 0x11, 0x22, 0x33, kBudget);
    EXPECT_EQ(m.cpu.a, 0x11);
    EXPECT_EQ(m.cpu.x, 0);
    EXPECT_EQ(m.cpu.y, 0);
    EXPECT_EQ(m.ram[1], 0x37);
}

TEST(CpuCallRules, NestedSubroutineReturnsToCallerThenCallEnds) {
    freshMachine();
    poke(0x1000, {0x20, 0x10, 0x10, 0x8E, 0x00, 0x20, 0x60});  // JSR $1010, STX $2000, RTS
    poke(0x1010, {0xA2, 0x07, 0x60});                          // LDX #7, RTS
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 7);
}

TEST(CpuCallRules, ReturnsWithEmptyStackEndTheCall) {
    for (std::uint8_t opcode : {0x60, 0x40, 0x00}) {  // RTS, RTI, BRK
        SCOPED_TRACE(opcode);
        C64& m = freshMachine();
        poke(0x1000, {opcode, 0x8D, 0x00, 0x20});  // STA $2000 must not run
        m.ram[0x2000] = 0xEE;
        EXPECT_EQ(run(0x1000, 7, 0x55), RunResult::Returned);
        EXPECT_EQ(peek(0x2000), 0xEE);
        EXPECT_EQ(m.cpu.sp, 0x0201);
    }
}

TEST(CpuCallRules, BrkAndRtiReturnLikeRts) {
    // BRK returns to the caller and leaves B and I set.
    C64& m = freshMachine();
    poke(0x1000, {0x20, 0x20, 0x10,              // JSR $1020
                  0x08, 0x68, 0x8D, 0x00, 0x20,  // PHP, PLA, STA $2000
                  0x00});                        // BRK ends the call
    poke(0x1020, {0x00});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 0x34);
    EXPECT_EQ(m.cpu.sr & 0x14, 0x14);

    // RTI pulls only the return address, no status byte.
    freshMachine();
    poke(0x1000, {0xA9, 0x10, 0x48, 0xA9, 0x1F, 0x48,  // push $101F
                  0xA9, 0xC3, 0x48, 0x68,              // push and pull $C3
                  0x40});                              // RTI -> $1020
    poke(0x1020, {0x8D, 0x00, 0x20, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 0xC3);
}

TEST(CpuCallRules, StackLeavingItsPage) {
    // A JSR that pushes below $0100 ends the call before its target runs.
    C64& m = freshMachine();
    poke(0x1000, {0xA2, 0x00, 0x9A, 0x20, 0x00, 0x30});  // LDX #0, TXS, JSR $3000
    poke(0x3000, {0x8D, 0x00, 0x20, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 0);
    EXPECT_EQ(m.cpu.sp, 0x00FE);

    // Pushes continue into the zero page without ending it.
    freshMachine();
    poke(0x1000, {0xA2, 0x00, 0x9A, 0xA9, 0x5A, 0x48, 0x48,  // TXS to $0100, PHA, PHA
                  0xA2, 0xFF, 0x9A, 0x8D, 0x00, 0x20, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x00FF), 0x5A);
    EXPECT_EQ(peek(0x2000), 0x5A);
}

TEST(CpuCallRules, CodeRunningOffTheEndOfMemoryEndsTheCall) {
    C64& m = freshMachine(MemoryMode::Romless);
    poke(0xFFFE, {0xAD, 0x34});  // LDA $1234: high operand byte wraps to $0000
    m.ram[0] = 0x12;
    m.ram[0x1234] = 0x77;
    EXPECT_EQ(run(0xFFFE), RunResult::Returned);
    EXPECT_EQ(m.cpu.a, 0x77);
}

TEST(CpuBudget, StopsAfterExactlyTheBudgetAndTheNextCallRunsNormally) {
    C64& m = freshMachine();
    poke(0x1000, {0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0x60});  // INX x6, RTS
    EXPECT_EQ(test::currentMachine()->runRoutine(0x1000, 7, 0, 0, 0, 5), RunResult::Stopped);
    EXPECT_EQ(m.cpu.x, 5);
    EXPECT_EQ(m.cpu.pc, 0x1005);
    EXPECT_EQ(test::currentMachine()->execute(1), RunResult::Stopped);
    EXPECT_EQ(test::currentMachine()->execute(kBudget), RunResult::Returned);
    EXPECT_EQ(m.cpu.x, 6);
    EXPECT_EQ(m.instructionsExecuted, 7u);

    // Endless loops in init and in play.
    poke(0x1000, {0xE6, 0x02, 0x4C, 0x00, 0x10});  // INC $02, JMP $1000
    poke(0x1100, {0xA9, 0x01, 0x60});              // LDA #1, RTS
    EXPECT_EQ(test::currentMachine()->runRoutine(0x1000, 7, 0, 0, 0, kPlayBudget), RunResult::Stopped);
    EXPECT_EQ(m.ram[2], static_cast<std::uint8_t>(kPlayBudget / 2));
    EXPECT_EQ(test::currentMachine()->runRoutine(0x1000, 7, 0, 0, 0, kInitBudget), RunResult::Stopped);
    EXPECT_EQ(test::currentMachine()->runRoutine(0x1100, 7, 0, 0, 0, kPlayBudget), RunResult::Returned);
    EXPECT_EQ(m.cpu.a, 1);
}

// --- jumps into ROM, by memory mode and bank value --------------------------

TEST(CpuRomJumps, JmpIntoVisibleRomEndsTheCallElseRunsRam) {
    const struct {
        MemoryMode mode;
        std::uint8_t bank;
        std::uint16_t target;
        bool ramRuns;  // false: taken as a call of ROM that returns at once
    } cases[] = {{MemoryMode::BankSwitching, 7, 0xE000, false}, {MemoryMode::BankSwitching, 7, 0xFFF0, false},
                 {MemoryMode::BankSwitching, 5, 0xE000, true},  {MemoryMode::BankSwitching, 7, 0xA000, false},
                 {MemoryMode::BankSwitching, 6, 0xA000, true},  {MemoryMode::BankSwitching, 7, 0xD000, false},
                 {MemoryMode::BankSwitching, 4, 0xD000, true},  {MemoryMode::BankSwitching, 7, 0xC000, true},
                 {MemoryMode::TransparentRom, 7, 0xA000, true}, {MemoryMode::TransparentRom, 7, 0xD000, false},
                 {MemoryMode::TransparentRom, 5, 0xE000, true}, {MemoryMode::Romless, 7, 0xE000, true}};
    // The routine stores 1 and jumps; the RAM at the target stores 2.
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(c.mode) << " bank " << int(c.bank) << " $"
                                          << std::hex << c.target);
        freshMachine(c.mode);
        poke(0x1000, {0xA9, 0x01, 0x8D, 0x00, 0x20,  // LDA #1, STA $2000, JMP target
                      0x4C, static_cast<std::uint8_t>(c.target), static_cast<std::uint8_t>(c.target >> 8)});
        poke(c.target, {0xA9, 0x02, 0x8D, 0x00, 0x20, 0x60});
        EXPECT_EQ(run(0x1000, c.bank), RunResult::Returned);
        EXPECT_EQ(peek(0x2000), c.ramRuns ? 2 : 1);
    }

    // A JSR into the visible KERNAL continues after the JSR, without running
    // the RAM under the KERNAL (LDX #$55, RTS).
    freshMachine();
    poke(0x1000, {0x20, 0xD2, 0xFF, 0x8E, 0x00, 0x20, 0xBA, 0x8E, 0x01, 0x20, 0x60});  // STX, TSX, STX
    poke(0xFFD2, {0xA2, 0x55, 0x60});
    EXPECT_EQ(run(0x1000), RunResult::Returned);
    EXPECT_EQ(peek(0x2000), 0x00);
    EXPECT_EQ(peek(0x2001), 0xFF);
}

TEST(CpuBankRegister, StoresToAddressOneSwitchBanks) {
    const struct {
        const char* what;
        std::initializer_list<std::uint8_t> code;
    } stores[] = {
        {"STA $01", {0xA9, 0x35, 0x85, 0x01}},
        {"STX $FF,Y (wraps to $01)", {0xA2, 0x35, 0xA0, 0x02, 0x96, 0xFF}},
        {"DEC $01", {0xA9, 0x36, 0x85, 0x01, 0xC6, 0x01}},
        {"STA $0001", {0xA9, 0x35, 0x8D, 0x01, 0x00}},
    };
    for (const auto& [what, code] : stores) {
        SCOPED_TRACE(what);
        C64& m = freshMachine();
        poke(0x1000, code);
        poke(static_cast<std::uint16_t>(0x1000 + code.size()),
             {0xAD, 0x00, 0xE0, 0x8D, 0x00, 0x20, 0x60});  // LDA $E000, STA $2000
        m.ram[0xE000] = 0x99;
        run(0x1000);
        EXPECT_EQ(m.ram[1], 0x35);
        EXPECT_FALSE(m.basicVisible);
        EXPECT_TRUE(m.ioVisible);
        EXPECT_FALSE(m.kernalVisible);
        EXPECT_EQ(peek(0x2000), 0x99);  // RAM under the KERNAL, not its RTI
    }
}

TEST(CpuAddressing, IndirectJumpTakesHighByteFromSamePage) {
    freshMachine();
    // JMP ($10FF): low byte $00 from $10FF, high byte from $1000 (the JMP
    // opcode $6C itself); $1100 would give $5000.
    poke(0x1000, {0x6C, 0xFF, 0x10});
    poke(0x10FF, {0x00, 0x50});
    poke(0x6C00, {0xA9, 0x01, 0x8D, 0x00, 0x20, 0x60});
    poke(0x5000, {0xA9, 0x02, 0x8D, 0x00, 0x20, 0x60});
    run(0x1000);
    EXPECT_EQ(peek(0x2000), 1);
}

// --- decimal mode, as the NMOS chip computes it -----------------------------

TEST(CpuDecimalMode, AdcAndSbcGiveTheChipsResultsAndFlags) {
    struct Case {
        std::uint8_t opcode;  // $69 ADC # or $E9 SBC #
        std::uint8_t a, m, carry, result;
        std::uint8_t flags;   // N V Z C (mask $C3)
    };
    const Case cases[] = {
        {0x69, 0x09, 0x01, 0, 0x10, 0x00},
        {0x69, 0x99, 0x01, 0, 0x00, 0x81},  // N from the uncorrected sum; Z from binary $9A
        {0x69, 0x79, 0x00, 1, 0x80, 0xC0},
        {0x69, 0x99, 0x67, 0, 0x66, 0x03},  // Z from the binary sum $100
        {0xE9, 0x10, 0x01, 1, 0x09, 0x01},  // not $75, the decimal add of $FE
        {0xE9, 0x00, 0x01, 1, 0x99, 0x80},  // a borrow clears C; N from binary $FF
        {0xE9, 0x40, 0x13, 0, 0x26, 0x01},
        {0xE9, 0x80, 0x01, 1, 0x79, 0x41},  // V as in binary $80 - 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.opcode) << " a=" << int(c.a)
                                          << " m=" << int(c.m) << " c=" << int(c.carry));
        C64& m = freshMachine();
        poke(0x1000, {0xF8, static_cast<std::uint8_t>(c.carry ? 0x38 : 0x18), c.opcode, c.m, 0x60});
        run(0x1000, 7, c.a);
        EXPECT_EQ(m.cpu.a, c.result);
        EXPECT_EQ(m.cpu.sr & 0xC3, c.flags);
    }
}

// --- opcodes with this CPU's own rules --------------------------------------

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
        EXPECT_EQ(test::currentMachine()->runRoutine(0x1000, 7, 0xF3, 0x5E, 0x04, c.instructions), RunResult::Stopped);
        EXPECT_EQ(m.cpu.pc, 0x1000 + c.code.size());
        EXPECT_EQ(m.cpu.a, c.a);
        EXPECT_EQ(m.cpu.x, c.x);
        EXPECT_EQ(m.cpu.sr & 0xC3, c.flags);
        EXPECT_EQ(m.cpu.sp, c.sp);
        if (c.stored) {
            EXPECT_EQ(peek(c.stored), c.value);
        }
    }
}

} // namespace
} // namespace notecast::emu
