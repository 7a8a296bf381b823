#include "emu/C64.h"

#include "emu/CpuCore.h"
#include "emu/OpcodeTable.h"

namespace notecast::emu {

namespace {

using cpu::Core;
using cpu::Kind;
using cpu::Mode;

// The handler of one opcode, assembled from its table entry at compile time.
// Returns false when the instruction ended the run.
template <unsigned Code>
inline bool step(Core& c) {
    constexpr cpu::OpcodeEntry e = cpu::kOpcodeTable[Code];
    if constexpr (e.kind == Kind::Read) {
        constexpr auto op = e.read;
        op(c, cpu::load<e.mode>(c));
        return true;
    } else if constexpr (e.kind == Kind::Store) {
        constexpr auto op = e.store;
        const std::uint16_t address = cpu::effectiveAddress<e.mode>(c);
        cpu::storeTo<e.mode>(c, address, op(c));
        return true;
    } else if constexpr (e.kind == Kind::Modify) {
        constexpr auto op = e.modify;
        if constexpr (e.mode == Mode::Accumulator) {
            c.a = op(c, c.a);
        } else {
            const std::uint16_t address = cpu::effectiveAddress<e.mode>(c);
            cpu::storeTo<e.mode>(c, address, op(c, cpu::loadFrom<e.mode>(c, address)));
        }
        return true;
    } else if constexpr (e.kind == Kind::Control) {
        constexpr auto op = e.control;
        return op(c);
    } else {
        c.pc += cpu::operandLength(e.mode);
        return true;
    }
}

#define NOTECAST_OP(code) \
    case code:            \
        running = step<code>(core); \
        break;
#define NOTECAST_OP16(high)                                                                    \
    NOTECAST_OP(high + 0x0) NOTECAST_OP(high + 0x1) NOTECAST_OP(high + 0x2) NOTECAST_OP(high + 0x3) \
    NOTECAST_OP(high + 0x4) NOTECAST_OP(high + 0x5) NOTECAST_OP(high + 0x6) NOTECAST_OP(high + 0x7) \
    NOTECAST_OP(high + 0x8) NOTECAST_OP(high + 0x9) NOTECAST_OP(high + 0xA) NOTECAST_OP(high + 0xB) \
    NOTECAST_OP(high + 0xC) NOTECAST_OP(high + 0xD) NOTECAST_OP(high + 0xE) NOTECAST_OP(high + 0xF)

} // namespace

RunResult C64::execute(std::uint32_t budget) {
    C64& m = *this;

    Core core(m);
    RunResult result = RunResult::Stopped;
    const std::uint32_t initialBudget = budget;
    for (; budget != 0; --budget) {
        if (core.pc > 0xFFFFu) {
            result = RunResult::Returned;
            break;
        }
        bool running = true;
        switch (core.machine.ram[core.pc++]) {
            NOTECAST_OP16(0x00) NOTECAST_OP16(0x10) NOTECAST_OP16(0x20) NOTECAST_OP16(0x30)
            NOTECAST_OP16(0x40) NOTECAST_OP16(0x50) NOTECAST_OP16(0x60) NOTECAST_OP16(0x70)
            NOTECAST_OP16(0x80) NOTECAST_OP16(0x90) NOTECAST_OP16(0xA0) NOTECAST_OP16(0xB0)
            NOTECAST_OP16(0xC0) NOTECAST_OP16(0xD0) NOTECAST_OP16(0xE0) NOTECAST_OP16(0xF0)
        }
        if (!running) {
            result = RunResult::Returned;
            --budget;  // the instruction that ended the run counts
            break;
        }
    }
    m.instructionsExecuted += initialBudget - budget;
    // Code that ran off the end of memory on the budget's last instruction
    // has ended all the same.
    if (result == RunResult::Stopped && core.pc > 0xFFFFu) result = RunResult::Returned;
    core.storeTo(m);
    return result;
}

#undef NOTECAST_OP16
#undef NOTECAST_OP

RunResult C64::runRoutine(std::uint16_t start, std::uint8_t bank, std::uint8_t a,
                          std::uint8_t x, std::uint8_t y, std::uint32_t budget) {
    C64& m = *this;
    CpuRegisters& r = m.cpu;
    if (m.memoryMode == MemoryMode::Romless) {
        r.a = a;
        r.x = 0;
        r.y = 0;
    } else {
        m.ram[1] = bank;
        m.updateBankFlags();
        r.a = a;
        r.x = x;
        r.y = y;
    }
    r.pc = start;
    r.sp = 0x01FF;
    r.sr = 0x20;
    r.stackInRange = true;
    for (int i = 0; i < 32; ++i) {
        m.gateSet[i] = false;
        m.gateCleared[i] = false;
    }
    return execute(budget);
}

} // namespace notecast::emu
