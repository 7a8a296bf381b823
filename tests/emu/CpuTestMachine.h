#pragma once
// Helpers for the emulator-core tests: a freshly reset C64 and code placed in
// its RAM. Each test starts from freshMachine(), which resets the one test
// machine (references to it stay valid).
#include "emu/C64.h"

#include <cstdint>
#include <initializer_list>
#include <memory>

namespace notecast::test {

inline emu::C64* currentMachine() {
    static const auto machine = std::make_unique<emu::C64>();
    return machine.get();
}

// The machine as song initialisation leaves it before the tune is copied in:
// handlers for the mode installed, memory cleared, I/O defaults set (PAL).
inline emu::C64& freshMachine(emu::MemoryMode mode = emu::MemoryMode::BankSwitching,
                              emu::Clock clock = emu::Clock::Pal) {
    emu::C64* m = currentMachine();
    m->reset();
    m->installMemoryMode(mode);
    m->clearMemory();
    m->resetIo(clock, 0);
    return *m;
}

inline void poke(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) currentMachine()->ram[address++] = b;
}

inline std::uint8_t peek(std::uint16_t address) { return currentMachine()->ram[address]; }

} // namespace notecast::test
