#pragma once
// Internal to the CPU: the handler of each opcode, assembled from its table
// entry at compile time, and the switch over all 256 of them. Included by
// the two run loops (Cpu.cpp, MachineRun.cpp).
#include "emu/CpuCore.h"
#include "emu/CycleTable.h"
#include "emu/OpcodeTable.h"

namespace notecast::emu::cpu {

// Returns false when the instruction ended the run (call model only).
template <unsigned Code, class C>
inline bool step(C& c) {
    constexpr OpcodeEntry<C> e = kOpcodeTable<C>[Code];
    c.addCycles(kCycles[Code]);
    if constexpr (e.kind == Kind::Read) {
        constexpr auto op = e.read;
        op(c, load<e.mode>(c));
        return true;
    } else if constexpr (e.kind == Kind::Store) {
        constexpr auto op = e.store;
        const std::uint16_t address = effectiveAddress<e.mode>(c);
        storeTo<e.mode>(c, address, op(c));
        return true;
    } else if constexpr (e.kind == Kind::Modify) {
        constexpr auto op = e.modify;
        if constexpr (e.mode == Mode::Accumulator) {
            c.a = op(c, c.a);
        } else {
            const std::uint16_t address = effectiveAddress<e.mode>(c);
            const std::uint8_t old = loadFrom<e.mode>(c, address);
            // The chip writes the unchanged value before the result; only the
            // I/O chips can tell (an INC of $D019 acknowledges through it).
            if constexpr (C::kMachine && !isZeroPage(e.mode)) {
                if ((address & 0xF000u) == 0xD000u) c.write(address, old);
            }
            storeTo<e.mode>(c, address, op(c, old));
        }
        return true;
    } else if constexpr (e.kind == Kind::Control) {
        constexpr auto op = e.control;
        return op(c);
    } else if constexpr (C::kMachine && e.mode != Mode::Immediate) {
        // The machine's multi-byte NOPs read their operand like any read.
        (void)loadFrom<e.mode>(c, effectiveAddress<e.mode, true>(c));
        return true;
    } else if constexpr (C::kMachine) {
        c.fetch();
        return true;
    } else {
        c.pc += operandLength(e.mode);
        return true;
    }
}

} // namespace notecast::emu::cpu

// The body of a switch on an opcode: `running = step<code>(core);` for each.
#define NOTECAST_OP(code) \
    case code:            \
        running = ::notecast::emu::cpu::step<code>(core); \
        break;
#define NOTECAST_OP16(high)                                                                    \
    NOTECAST_OP(high + 0x0) NOTECAST_OP(high + 0x1) NOTECAST_OP(high + 0x2) NOTECAST_OP(high + 0x3) \
    NOTECAST_OP(high + 0x4) NOTECAST_OP(high + 0x5) NOTECAST_OP(high + 0x6) NOTECAST_OP(high + 0x7) \
    NOTECAST_OP(high + 0x8) NOTECAST_OP(high + 0x9) NOTECAST_OP(high + 0xA) NOTECAST_OP(high + 0xB) \
    NOTECAST_OP(high + 0xC) NOTECAST_OP(high + 0xD) NOTECAST_OP(high + 0xE) NOTECAST_OP(high + 0xF)
#define NOTECAST_ALL_OPCODES                                                             \
    NOTECAST_OP16(0x00) NOTECAST_OP16(0x10) NOTECAST_OP16(0x20) NOTECAST_OP16(0x30)      \
    NOTECAST_OP16(0x40) NOTECAST_OP16(0x50) NOTECAST_OP16(0x60) NOTECAST_OP16(0x70)      \
    NOTECAST_OP16(0x80) NOTECAST_OP16(0x90) NOTECAST_OP16(0xA0) NOTECAST_OP16(0xB0)      \
    NOTECAST_OP16(0xC0) NOTECAST_OP16(0xD0) NOTECAST_OP16(0xE0) NOTECAST_OP16(0xF0)
