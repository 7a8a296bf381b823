#pragma once
// Internal to the CPU: its working state during a run and the addressing
// modes. Included only by the CPU's own sources.
#include "emu/C64.h"

#include <cstdint>

namespace notecast::emu::cpu {

enum class Mode : std::uint8_t {
    Implied,
    Accumulator,
    Immediate,
    ZeroPage,
    ZeroPageX,
    ZeroPageY,
    Absolute,
    AbsoluteX,
    AbsoluteY,
    IndirectX,
    IndirectY,
    Relative,
    Indirect,
};

constexpr bool isZeroPage(Mode m) {
    return m == Mode::ZeroPage || m == Mode::ZeroPageX || m == Mode::ZeroPageY;
}

// Registers unpacked from the machine's cpu record for the length of one run, so the
// compiler can keep them in host registers. The flags are held in the form
// the operations produce them and packed only when the status byte is
// needed (PHP, the end of a run).
struct Core {
    // The machine's RAM is its first member, so reaching it through the
    // machine costs nothing over a pointer of its own, and keeps one host
    // register free.
    C64& machine;
    ReadHandler readData;
    WriteHandler writeData;
    RomTargetTest romTarget;

    std::uint32_t pc;  // reaches 0x10000 when code runs off the end of memory
    std::uint16_t sp;  // full stack address; deliberately not wrapped to page 1
    std::uint8_t a, x, y;
    std::uint8_t n;    // N is bit 7 of n
    std::uint8_t z;    // Z is set when z is 0
    std::uint8_t c;    // 0 or 1
    std::uint8_t v;    // 0 or 1
    std::uint8_t p;    // I, D, B and the always-set bit 5
    bool stackInRange;

    explicit Core(C64& m)
        : machine(m), readData(m.readData), writeData(m.writeData), romTarget(m.romTarget),
          pc(m.cpu.pc), sp(m.cpu.sp), a(m.cpu.a), x(m.cpu.x), y(m.cpu.y), n(0), z(0), c(0),
          v(0), p(0x20), stackInRange(m.cpu.stackInRange) {
        setStatus(m.cpu.sr);
    }

    void storeTo(C64& m) const {
        m.cpu.pc = static_cast<std::uint16_t>(pc);
        m.cpu.sp = sp;
        m.cpu.a = a;
        m.cpu.x = x;
        m.cpu.y = y;
        m.cpu.sr = status();
        m.cpu.stackInRange = stackInRange;
    }

    std::uint8_t status() const {
        return static_cast<std::uint8_t>((n & 0x80u) | (v << 6) | p | (z == 0 ? 0x02u : 0u) | c);
    }
    void setStatus(std::uint8_t sr) {
        n = sr;
        z = (sr & 0x02u) ? 0 : 1;
        c = sr & 0x01u;
        v = (sr >> 6) & 0x01u;
        p = static_cast<std::uint8_t>((sr & 0x1Cu) | 0x20u);
    }
    void setNZ(std::uint8_t value) { n = z = value; }
    bool decimal() const { return (p & 0x08u) != 0; }

    // Operand bytes come from the instruction stream in RAM; an instruction
    // in the last two bytes of memory takes its operands from $0000 on.
    std::uint8_t fetch() { return machine.ram[pc++ & 0xFFFFu]; }
    std::uint16_t fetchWord() {
        const std::uint8_t lo = fetch();
        return static_cast<std::uint16_t>(lo | (fetch() << 8));
    }

    // Addresses that every memory mode maps to plain RAM skip the handlers:
    // reads below $A000, writes to $0002-$CFFF ($0001 is the bank register).
    std::uint8_t read(std::uint16_t address) const {
        return address < 0xA000 ? machine.ram[address] : readData(machine, address);
    }
    void write(std::uint16_t address, std::uint8_t value) {
        if (static_cast<std::uint16_t>(address - 2u) < 0xD000u - 2u)
            machine.ram[address] = value;
        else
            writeData(machine, address, value);
    }
    void writeZeroPage(std::uint8_t address, std::uint8_t value) {
        machine.ram[address] = value;
        if (address == 1) machine.updateBankFlags();
    }

    void push(std::uint8_t value) {
        machine.ram[sp] = value;
        sp = static_cast<std::uint16_t>(sp - 1u);
    }
    std::uint8_t pull() {
        sp = static_cast<std::uint16_t>(sp + 1u);
        return machine.ram[sp];
    }
    // A run ends when a return pulls its address from above the stack page:
    // that is the return from the routine that was called.
    bool checkStack() {
        stackInRange = sp >= 0x0100 && sp <= 0x01FF;
        return stackInRange;
    }
};

template <Mode M>
inline constexpr bool kUnsupportedMode = false;

// The effective address of a memory operand; consumes the operand bytes.
template <Mode M>
inline std::uint16_t effectiveAddress(Core& c) {
    if constexpr (M == Mode::ZeroPage) {
        return c.fetch();
    } else if constexpr (M == Mode::ZeroPageX) {
        return static_cast<std::uint8_t>(c.fetch() + c.x);
    } else if constexpr (M == Mode::ZeroPageY) {
        return static_cast<std::uint8_t>(c.fetch() + c.y);
    } else if constexpr (M == Mode::Absolute) {
        return c.fetchWord();
    } else if constexpr (M == Mode::AbsoluteX) {
        return static_cast<std::uint16_t>(c.fetchWord() + c.x);
    } else if constexpr (M == Mode::AbsoluteY) {
        return static_cast<std::uint16_t>(c.fetchWord() + c.y);
    } else if constexpr (M == Mode::IndirectX) {
        const std::uint8_t zp = static_cast<std::uint8_t>(c.fetch() + c.x);
        return static_cast<std::uint16_t>(c.machine.ram[zp] | (c.machine.ram[static_cast<std::uint8_t>(zp + 1)] << 8));
    } else if constexpr (M == Mode::IndirectY) {
        const std::uint8_t zp = c.fetch();
        const unsigned base = c.machine.ram[zp] | (c.machine.ram[static_cast<std::uint8_t>(zp + 1)] << 8);
        return static_cast<std::uint16_t>(base + c.y);
    } else {
        static_assert(kUnsupportedMode<M>, "mode has no memory operand");
        return 0;
    }
}

// Zero-page modes reach RAM directly; every other mode goes through the
// memory mode's handlers.
template <Mode M>
inline std::uint8_t loadFrom(Core& c, std::uint16_t address) {
    if constexpr (isZeroPage(M))
        return c.machine.ram[address];
    else
        return c.read(address);
}

template <Mode M>
inline void storeTo(Core& c, std::uint16_t address, std::uint8_t value) {
    if constexpr (isZeroPage(M))
        c.writeZeroPage(static_cast<std::uint8_t>(address), value);
    else
        c.write(address, value);
}

template <Mode M>
inline std::uint8_t load(Core& c) {
    if constexpr (M == Mode::Immediate)
        return c.fetch();
    else
        return loadFrom<M>(c, effectiveAddress<M>(c));
}

} // namespace notecast::emu::cpu
