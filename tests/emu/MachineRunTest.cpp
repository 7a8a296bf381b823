// The whole machine: interrupts between instructions, our system code, and
// which handler runs make frames (each instruction's cycles are checked
// with the CPU vectors). Programs are 6510 bytes with their listing.
#include "emu/Code6510.h"
#include "emu/CpuTestMachine.h"
#include "emu/SystemRom.h"

#include <gtest/gtest.h>

#include <vector>

namespace notecast::emu {
namespace {

using test::join;
using test::peek;
using test::poke;
using test::stores;

C64& machine(Clock clock = Clock::Pal) {
    C64& m = *test::currentMachine();
    m.reset();
    m.resetMachine(clock);
    return m;
}

// Runs `code` at $1000 as the tune's init for `cycles` cycles.
C64& run(const test::Code& code, std::uint64_t cycles) {
    C64& m = *test::currentMachine();
    for (std::size_t i = 0; i < code.size(); ++i) m.ram[0x1000 + i] = code[i];
    m.enterTune(0x1000, 0);
    while (m.runMachine(cycles) == MachineStop::Frame) {}
    return m;
}

std::uint16_t word(std::uint16_t at) { return static_cast<std::uint16_t>(peek(at) | (peek(at + 1) << 8)); }

TEST(MachineInterrupts, SystemIrqReachesTheKernalVectorWithBClear) {
    // Init installs a handler and returns with I set; idling clears it once.
    // The handler keeps the status the CPU pushed and ends in the system
    // handler, which counts the jiffy clock and acknowledges CIA 1.
    // TSX : LDA $0104,X (the pushed status) : STA $2000 : INC $2001 : JMP $EA31
    machine();
    poke(0x1100, {0xBA, 0xBD, 0x04, 0x01, 0x8D, 0x00, 0x20, 0xEE, 0x01, 0x20, 0x4C, 0x31, 0xEA});
    C64& m = run(join({{0x78}, stores({{0x0314, 0x00}, {0x0315, 0x11}}), {0x60}}), 3 * 16422 + 1000);  // SEI ... RTS
    // At 16422, 32844 and 49266: acknowledged each time, B clear.
    EXPECT_EQ((std::vector<int>{peek(0x2001), peek(0x2000) & 0x30, peek(0xA2), m.cpu.pc}),
              (std::vector<int>{3, 0x20, 3, kIdleAddress}));
}

TEST(MachineInterrupts, MaskChangesOfCliTakeEffectAfterTheNextInstructionRtiAtOnce) {
    // With I set, a delay lets CIA 1's interrupt become pending; then either
    // CLI and two NOPs, or an RTI that pulls a status with I clear. The
    // handler keeps the address it interrupted and acknowledges.
    // TSX : LDA $0105,X : STA $2000 : LDA $0106,X : STA $2001 (the PC) : JMP $EA7E
    const std::initializer_list<std::uint8_t> handler = {0xBA, 0xBD, 0x05, 0x01, 0x8D, 0x00, 0x20, 0xBD,
                                                         0x06, 0x01, 0x8D, 0x01, 0x20, 0x4C, 0x7E, 0xEA};
    // SEI, the vector, LDX #0, LDY #16, DEX, BNE, DEY, BNE: ~20000 cycles, up to $1015.
    const test::Code prologue = join({{0x78}, stores({{0x0314, 0x00}, {0x0315, 0x11}}),
                                      {0xA2, 0x00, 0xA0, 0x10, 0xCA, 0xD0, 0xFD, 0x88, 0xD0, 0xFA}});
    // The tail from $1015: CLI, NOP, NOP, JMP $1018; or an RTI to $1030 with I clear.
    const struct { std::initializer_list<std::uint8_t> tail; std::uint16_t interrupted; } cases[] = {{{0x58, 0xEA, 0xEA, 0x4C, 0x18, 0x10}, 0x1017},
                 {{0xA9, 0x10, 0x48, 0xA9, 0x30, 0x48, 0xA9, 0x20, 0x48, 0x40}, 0x1030}};
    for (const auto& c : cases) {
        machine();
        poke(0x1100, handler);
        poke(0x1030, {0xEA, 0x4C, 0x31, 0x10});  // NOP, JMP $1031
        poke(0x1015, c.tail);
        run(prologue, 25000);
        EXPECT_EQ(word(0x2000), c.interrupted);
    }
}

TEST(MachineInterrupts, NmiIsAnEdgeTheHandlerMustAcknowledge) {
    // Handlers through $0318: INC $2000, then RTI; or BIT $DD0D first; or
    // JMP $DD0C, where the serial register holds an RTI whose read of the
    // next byte acknowledges.
    const struct { const char* what; std::initializer_list<std::uint8_t> handler; int nmis; } cases[] = {
        {"never reads $DD0D", {0xEE, 0x00, 0x20, 0x40}, 1},
        {"reads $DD0D", {0xEE, 0x00, 0x20, 0x2C, 0x0D, 0xDD, 0x40}, 38},
        {"RTI in $DD0C", {0xEE, 0x00, 0x20, 0x4C, 0x0C, 0xDD}, 38},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        machine();
        poke(0x1100, c.handler);
        // $0318 = $1100, an RTI in the serial register, CIA 2 timer A $00FF
        // with its NMI on, started, continuous.
        run(join({stores({{0x0318, 0x00}, {0x0319, 0x11}, {0xDD0C, 0x40}, {0xDD04, 0xFF}, {0xDD05, 0x00},
                          {0xDD0D, 0x81}, {0xDD0E, 0x01}}),
                  {0x60}}),
            10'000);
        EXPECT_EQ(peek(0x2000), c.nmis);
    }
}

TEST(MachineInterrupts, ReadModifyWriteOfTheRasterLatchAcknowledges) {
    // INC, ASL and LSR of $D019 reach the chip's acknowledge only through the
    // unchanged value they write first.
    for (const std::uint8_t opcode : {0xEE, 0x0E, 0x4E}) {
        SCOPED_TRACE(int{opcode});
        C64& m = machine();
        m.vic.write(0x12, 1, 0);
        m.vic.write(0x1A, 0x01, 0);
        poke(0x1000, {opcode, 0x19, 0xD0});
        m.cpu.pc = 0x1000;
        m.cpu.sr = 0x24;
        m.cycles = 100;
        m.stepMachine();
        EXPECT_FALSE(m.vic.interruptActive());
    }
}

TEST(MachineSystemCode, KernalCallsReturnAndBrkOrResetStopTheMachine) {
    // JSR $FFE4 (GETIN) returns A = 0 with C clear, and is noted.
    C64& m = machine();
    // LDA #$55, SEC, JSR $FFE4, STA $2000, PHP, PLA, STA $2001, BRK
    run({0xA9, 0x55, 0x38, 0x20, 0xE4, 0xFF, 0x8D, 0x00, 0x20, 0x08, 0x68, 0x8D, 0x01, 0x20, 0x00, 0x00}, 100'000);
    EXPECT_EQ((std::vector<int>{peek(0x2000), peek(0x2001) & 0x01}), (std::vector<int>{0, 0}));
    EXPECT_EQ(m.kernalCalls, std::uint64_t{1} << ((0xFFE4 - kFirstKernalEntry) / 3));
    EXPECT_TRUE(m.halt == MachineHalt::Brk && m.haltCycle < 200u) << m.haltCycle;
    EXPECT_EQ(m.runMachine(200'000), MachineStop::Halted);

    machine();
    run({0x4C, 0xE2, 0xFC}, 1000);  // JMP $FCE2
    EXPECT_EQ(m.halt, MachineHalt::Reset);

    // With the KERNAL banked out the same addresses are plain RAM.
    machine();
    poke(0xFCE2, {0xEE, 0x00, 0x20, 0x4C, 0xE2, 0xFC});  // INC $2000, JMP $FCE2
    run({0xA9, 0x35, 0x85, 0x01, 0x4C, 0xE2, 0xFC}, 1000);
    EXPECT_EQ(m.halt, MachineHalt::None);
    EXPECT_GT(peek(0x2000), 10);
}

TEST(InterruptFrameRule, MusicHandlersMakeFramesSampleHandlersDoNot) {
    InterruptFrames f;
    // A device's first interrupt passes; 999 cycles later it is a sample.
    f.enter(Device::Cia2, 0x1000, 0xF0, 0, 0);
    EXPECT_TRUE(f.leave(0xF0, 1));
    f.enter(Device::Cia2, 0x1000, 0xF0, 999, 1);
    EXPECT_TRUE(f.inSampleHandler());
    EXPECT_FALSE(f.leave(0xF0, 5));
    f.enter(Device::Cia2, 0x1000, 0xF0, 1999, 5);
    EXPECT_FALSE(f.inSampleHandler());
    EXPECT_TRUE(f.leave(0xF0, 6));
    // A handler that wrote the SID before makes frames when it does not;
    // another one, that never did, makes none.
    f.enter(Device::Cia2, 0x1000, 0xF0, 9999, 6);
    EXPECT_TRUE(f.leave(0xF0, 6));
    f.enter(Device::Cia1, 0x2000, 0xF0, 9999, 6);
    EXPECT_FALSE(f.leave(0xF0, 6));

    // Writes of a nested interrupt are not the outer handler's.
    f.enter(Device::Vic, 0x3000, 0xF0, 0, 10);
    f.enter(Device::Cia1, 0x2000, 0xE8, 5000, 10);
    EXPECT_TRUE(f.leave(0xE8, 12));
    EXPECT_FALSE(f.leave(0xF0, 12));

    // A handler that never returns: its record goes when the stack moves
    // above it. One that leaves bytes on the stack still ends with its RTI.
    f.enter(Device::Vic, 0x3000, 0xF0, 50000, 20);
    f.enter(Device::Vic, 0x3000, 0xE0, 80000, 20);
    EXPECT_TRUE(f.leave(0xE8, 21));
    EXPECT_EQ(f.depth(), 0);
    f.enter(Device::Vic, 0x3000, 0xF0, 110000, 22);
    EXPECT_TRUE(f.leave(0xD0, 23));
    EXPECT_FALSE(f.leave(0xF0, 24));
}

} // namespace
} // namespace notecast::emu
