#pragma once
// Internal to the CPU: its working state during a run and the addressing
// modes. Included only by the CPU's own sources.
//
// One core serves two run models, chosen at compile time:
//  - CallModel, for play-routine tunes: a routine is called and runs until
//    its final return; jumps into visible ROM return at once, the stack does
//    not wrap (a return from above the stack page ends the call), a
//    read-modify-write writes once, and no cycles are counted.
//  - MachineModel, for tunes that need the whole machine: instructions come
//    through the banking (our system code in the ROM image runs like any
//    other), the stack wraps in page 1, a read-modify-write of I/O writes the
//    old value first, every instruction counts its cycles, and the machine
//    is served (devices, interrupts) whenever the cycle counter reaches
//    machine.checkAt.
// The operations and addressing modes are written once; `if constexpr` on
// kMachine picks the differences, so the call model's loop carries none of
// the machine's work.
#include "emu/C64.h"
#include "emu/SystemRom.h"

#include <cstdint>

namespace notecast::emu::cpu {

struct CallModel {
    static constexpr bool kMachine = false;
};
struct MachineModel {
    static constexpr bool kMachine = true;
};

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
template <class Model>
struct Core {
    static constexpr bool kMachine = Model::kMachine;

    // The machine's RAM is its first member, so reaching it through the
    // machine costs nothing over a pointer of its own, and keeps one host
    // register free.
    C64& machine;
    ReadHandler readData;
    WriteHandler writeData;
    RomTargetTest romTarget;

    std::uint32_t pc;  // call model: reaches 0x10000 when code runs off the end of memory
    std::uint16_t sp;  // full stack address; the call model deliberately does not wrap it
    std::uint8_t a, x, y;
    std::uint8_t n;    // N is bit 7 of n
    std::uint8_t z;    // Z is set when z is 0
    std::uint8_t c;    // 0 or 1
    std::uint8_t v;    // 0 or 1
    std::uint8_t p;    // I, D, B and the always-set bit 5
    bool stackInRange;

    // Machine model only.
    std::uint64_t cycles = 0;
    // CLI, SEI and PLP change the interrupt mask only after the next
    // instruction: the machine then polls with the mask from before.
    bool maskDelayed = false;
    std::uint8_t maskBefore = 0;

    explicit Core(C64& m)
        : machine(m), readData(m.readData), writeData(m.writeData), romTarget(m.romTarget),
          pc(m.cpu.pc), sp(m.cpu.sp), a(m.cpu.a), x(m.cpu.x), y(m.cpu.y), n(0), z(0), c(0),
          v(0), p(0x20), stackInRange(m.cpu.stackInRange) {
        setStatus(m.cpu.sr);
        if constexpr (kMachine) cycles = m.cycles;
    }

    void storeTo(C64& m) const {
        m.cpu.pc = static_cast<std::uint16_t>(pc);
        m.cpu.sp = sp;
        m.cpu.a = a;
        m.cpu.x = x;
        m.cpu.y = y;
        m.cpu.sr = status();
        m.cpu.stackInRange = stackInRange;
        if constexpr (kMachine) m.cycles = cycles;
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

    void addCycles(unsigned count) {
        if constexpr (kMachine) cycles += count;
    }
    // The machine model's cue to serve the machine after this instruction.
    void requestCheck() {
        if constexpr (kMachine) machine.checkAt = 0;
    }
    // The instruction just executed jumps or branches to itself: nothing
    // changes until an interrupt, so the machine may let time pass.
    void spinning() {
        if constexpr (kMachine) {
            machine.spinAt = static_cast<std::uint16_t>(pc);
            requestCheck();
        }
    }
    // Before CLI, SEI or PLP change the mask.
    void delayMask() {
        if constexpr (kMachine) {
            maskDelayed = true;
            maskBefore = p & 0x04u;
            requestCheck();
        }
    }

    // Call model: operand bytes come from the instruction stream in RAM; an
    // instruction in the last two bytes of memory takes its operands from
    // $0000 on. Machine model: through the banking, wrapping at the top.
    [[gnu::always_inline]] std::uint8_t fetch() {
        if constexpr (kMachine)
            return fetchThroughBanking();
        else
            return machine.ram[pc++ & 0xFFFFu];
    }
    [[gnu::always_inline]] std::uint8_t fetchThroughBanking() {
        const auto at = static_cast<std::uint16_t>(pc);
        pc = (pc + 1u) & 0xFFFFu;
        return machine.fetchCodeByte(at);
    }
    std::uint16_t fetchWord() {
        const std::uint8_t lo = fetch();
        return static_cast<std::uint16_t>(lo | (fetch() << 8));
    }

    // Addresses that every memory mode maps to plain RAM skip the handlers:
    // reads below $A000, writes to $0002-$CFFF ($0001 is the bank register).
    // The machine's handlers see the time of the access, and every write from
    // $A000 on (they note what the tune puts under the ROMs).
    [[gnu::always_inline]] std::uint8_t read(std::uint16_t address) {
        if (address < 0xA000) return machine.ram[address];
        if constexpr (kMachine) machine.cycles = cycles;
        return readData(machine, address);
    }
    [[gnu::always_inline]] void write(std::uint16_t address, std::uint8_t value) {
        constexpr unsigned kDirectEnd = kMachine ? 0xA000u : 0xD000u;
        if (static_cast<std::uint16_t>(address - 2u) < kDirectEnd - 2u) {
            machine.ram[address] = value;
        } else {
            if constexpr (kMachine) machine.cycles = cycles;
            writeData(machine, address, value);
        }
    }
    void writeZeroPage(std::uint8_t address, std::uint8_t value) {
        machine.ram[address] = value;
        if (address == 1) machine.updateBankFlags();
    }

    void push(std::uint8_t value) {
        machine.ram[sp] = value;
        if constexpr (kMachine)
            sp = static_cast<std::uint16_t>(0x0100u | ((sp - 1u) & 0xFFu));
        else
            sp = static_cast<std::uint16_t>(sp - 1u);
    }
    std::uint8_t pull() {
        if constexpr (kMachine)
            sp = static_cast<std::uint16_t>(0x0100u | ((sp + 1u) & 0xFFu));
        else
            sp = static_cast<std::uint16_t>(sp + 1u);
        return machine.ram[sp];
    }
    // Call model: a run ends when a return pulls its address from above the
    // stack page: that is the return from the routine that was called. The
    // machine's stack only wraps.
    bool checkStack() {
        if constexpr (kMachine) return true;
        stackInRange = sp >= 0x0100 && sp <= 0x01FF;
        return stackInRange;
    }
};

template <Mode M>
inline constexpr bool kUnsupportedMode = false;

// The machine model's extra cycle when adding the index crosses a page.
// Only reads pay it (ReadPenalty); stores and read-modify-writes always take
// the longer time, which the cycle table already counts.
template <bool ReadPenalty, class C>
inline std::uint16_t indexed(C& c, std::uint16_t base, std::uint8_t index) {
    const unsigned address = base + index;
    if constexpr (ReadPenalty && C::kMachine) c.cycles += ((base ^ address) >> 8) & 1u;
    return static_cast<std::uint16_t>(address);
}

// The effective address of a memory operand; consumes the operand bytes.
template <Mode M, bool ReadPenalty = false, class C>
inline std::uint16_t effectiveAddress(C& c) {
    if constexpr (M == Mode::ZeroPage) {
        return c.fetch();
    } else if constexpr (M == Mode::ZeroPageX) {
        return static_cast<std::uint8_t>(c.fetch() + c.x);
    } else if constexpr (M == Mode::ZeroPageY) {
        return static_cast<std::uint8_t>(c.fetch() + c.y);
    } else if constexpr (M == Mode::Absolute) {
        return c.fetchWord();
    } else if constexpr (M == Mode::AbsoluteX) {
        return indexed<ReadPenalty>(c, c.fetchWord(), c.x);
    } else if constexpr (M == Mode::AbsoluteY) {
        return indexed<ReadPenalty>(c, c.fetchWord(), c.y);
    } else if constexpr (M == Mode::IndirectX) {
        const std::uint8_t zp = static_cast<std::uint8_t>(c.fetch() + c.x);
        return static_cast<std::uint16_t>(c.machine.ram[zp] | (c.machine.ram[static_cast<std::uint8_t>(zp + 1)] << 8));
    } else if constexpr (M == Mode::IndirectY) {
        const std::uint8_t zp = c.fetch();
        const unsigned base = c.machine.ram[zp] | (c.machine.ram[static_cast<std::uint8_t>(zp + 1)] << 8);
        return indexed<ReadPenalty>(c, base, c.y);
    } else {
        static_assert(kUnsupportedMode<M>, "mode has no memory operand");
        return 0;
    }
}

// Zero-page modes reach RAM directly; every other mode goes through the
// memory mode's handlers.
template <Mode M, class C>
inline std::uint8_t loadFrom(C& c, std::uint16_t address) {
    if constexpr (isZeroPage(M))
        return c.machine.ram[address];
    else
        return c.read(address);
}

template <Mode M, class C>
inline void storeTo(C& c, std::uint16_t address, std::uint8_t value) {
    if constexpr (isZeroPage(M))
        c.writeZeroPage(static_cast<std::uint8_t>(address), value);
    else
        c.write(address, value);
}

template <Mode M, class C>
inline std::uint8_t load(C& c) {
    if constexpr (M == Mode::Immediate)
        return c.fetch();
    else
        return loadFrom<M>(c, effectiveAddress<M, true>(c));
}

} // namespace notecast::emu::cpu
