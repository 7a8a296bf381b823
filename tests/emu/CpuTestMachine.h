#pragma once
// Helpers for the emulator-core tests: a freshly reset C64 and code placed
// in its RAM.
#include "emu/C64.h"

#include <cstdint>
#include <initializer_list>

namespace notecast::test {

// The machine as song initialisation leaves it before the tune is copied in:
// handlers for the mode installed, memory cleared, I/O defaults set (PAL).
inline emu::C64& freshMachine(int mode = emu::kMemoryBankSwitching, int clock = 1) {
    emu::resetMachine();
    emu::installMemoryMode(mode);
    emu::clearMemory();
    emu::resetIo(clock, 0);
    return emu::machine();
}

inline void poke(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) emu::machine().ram[address++] = b;
}

inline std::uint8_t peek(std::uint16_t address) { return emu::machine().ram[address]; }

} // namespace notecast::test
