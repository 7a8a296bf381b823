#pragma once
#include <cstddef>
#include <cstdint>

namespace notecast::emu {

struct C64;

// Our own system code for tunes that need the whole machine: a few dozen
// bytes of 6510 code in the ROM image at the addresses tunes call or jump to
// (the interrupt entries and handler ends, the jiffy clock, the KERNAL jump
// table), the hardware vectors, and returns everywhere else. No ROM image
// from elsewhere is used.

// Where init returns to and the machine idles: a jump to itself, just below
// the hardware vectors.
constexpr std::uint16_t kIdleAddress = 0xFFF6;
// Where the hardware vectors of our ROM lead.
constexpr std::uint16_t kNmiEntry = 0xFE43;
constexpr std::uint16_t kIrqEntry = 0xFF48;

// Writes the BASIC ($A000-$BFFF) and KERNAL ($E000-$FFFF) areas of a 64 KB
// ROM image, and marks the bytes of our code in `codeMap` (one bit per
// address of $E000-$FFFF): everywhere else the image holds only returns.
constexpr std::size_t kCodeMapBytes = 0x2000 / 8;
void installSystemRom(std::uint8_t* rom, std::uint8_t* codeMap);
inline bool isSystemCode(const std::uint8_t* codeMap, std::uint16_t address) {
    const unsigned offset = address - 0xE000u;
    return address >= 0xE000 && (codeMap[offset >> 3] >> (offset & 7u) & 1u) != 0;
}

// The native part of the system code, reached through a JAM opcode in the
// visible KERNAL ROM at `address`: the BRK and reset handlers stop the
// machine; a KERNAL routine we do not have is noted (the first call of each
// is reported) and returns, GETIN and CHRIN with A = 0.
enum class HookResult { None, Halt, ReturnZero };
HookResult systemHook(C64& m, std::uint16_t address);

// The KERNAL jump table: entry n is at kFirstKernalEntry + 3 n.
constexpr std::uint16_t kFirstKernalEntry = 0xFF81;
constexpr int kKernalEntries = 39;  // up to $FFF3

} // namespace notecast::emu
