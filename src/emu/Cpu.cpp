#include "emu/C64.h"

#include "emu/CpuStep.h"

#include <algorithm>
#include <iterator>

namespace notecast::emu {

using Core = cpu::Core<cpu::CallModel>;

// Flattened: every opcode's handler, addressing and memory access is
// compiled into this one loop, which keeps the registers in host registers
// across instructions (about a tenth fewer host instructions).
[[gnu::flatten]] RunResult C64::execute(std::uint32_t budget) {
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
        switch (core.machine.ram[core.pc++]) { NOTECAST_ALL_OPCODES }
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
    if (m.sidChips > 1) {
        std::fill(std::begin(m.gateSet) + 32, std::end(m.gateSet), false);
        std::fill(std::begin(m.gateCleared) + 32, std::end(m.gateCleared), false);
    }
    return execute(budget);
}

} // namespace notecast::emu
