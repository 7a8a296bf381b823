#pragma once
// Internal to the CPU: one small function per operation. Operations that
// take a memory operand get it from the addressing code (see OpcodeTable.h);
// the others fetch their own operand bytes.
#include "emu/CpuCore.h"

#include <cstdint>

namespace notecast::emu::cpu::ops {

// --- operations on a value read from memory ---------------------------------

inline void LDA(Core& c, std::uint8_t m) { c.setNZ(c.a = m); }
inline void LDX(Core& c, std::uint8_t m) { c.setNZ(c.x = m); }
inline void LDY(Core& c, std::uint8_t m) { c.setNZ(c.y = m); }
inline void LAX(Core& c, std::uint8_t m) { c.setNZ(c.a = c.x = m); }
inline void AND(Core& c, std::uint8_t m) { c.setNZ(c.a &= m); }
inline void ORA(Core& c, std::uint8_t m) { c.setNZ(c.a |= m); }
inline void EOR(Core& c, std::uint8_t m) { c.setNZ(c.a ^= m); }

inline void BIT(Core& c, std::uint8_t m) {
    c.z = c.a & m;
    c.n = m;
    c.v = (m >> 6) & 1u;
}

inline void compare(Core& c, std::uint8_t reg, std::uint8_t m) {
    c.c = reg >= m;
    c.setNZ(static_cast<std::uint8_t>(reg - m));
}
inline void CMP(Core& c, std::uint8_t m) { compare(c, c.a, m); }
inline void CPX(Core& c, std::uint8_t m) { compare(c, c.x, m); }
inline void CPY(Core& c, std::uint8_t m) { compare(c, c.y, m); }

inline void addBinary(Core& c, std::uint8_t m) {
    const unsigned a = c.a;
    const unsigned sum = a + m + c.c;
    c.v = ((~(a ^ m) & (a ^ sum)) >> 7) & 1u;
    c.c = sum > 0xFFu;
    c.setNZ(c.a = static_cast<std::uint8_t>(sum));
}

// Decimal mode as the NMOS chip computes it: the low digit is corrected
// first; N and V come from the sum before the high digit is corrected, Z from
// the plain binary sum, and C from the corrected result.
inline void ADC(Core& c, std::uint8_t m) {
    if (!c.decimal()) {
        addBinary(c, m);
        return;
    }
    const unsigned a = c.a;
    c.z = static_cast<std::uint8_t>(a + m + c.c);
    unsigned low = (a & 0x0Fu) + (m & 0x0Fu) + c.c;
    if (low >= 0x0A) low = ((low + 0x06u) & 0x0Fu) + 0x10u;
    unsigned t = (a & 0xF0u) + (m & 0xF0u) + low;
    c.n = static_cast<std::uint8_t>(t);
    c.v = ((~(a ^ m) & (a ^ t)) >> 7) & 1u;
    if (t >= 0xA0u) t += 0x60u;
    c.c = t >= 0x100u;
    c.a = static_cast<std::uint8_t>(t);
}

// Decimal subtraction on the NMOS chip sets every flag exactly as binary
// subtraction does; only the accumulator gets the digit-wise borrow
// correction.
inline void SBC(Core& c, std::uint8_t m) {
    if (!c.decimal()) {
        addBinary(c, static_cast<std::uint8_t>(m ^ 0xFFu));
        return;
    }
    const std::uint8_t a = c.a;
    const int borrowIn = c.c ? 0 : 1;
    int low = (a & 0x0F) - (m & 0x0F) - borrowIn;
    if (low < 0) low = ((low - 0x06) & 0x0F) - 0x10;
    int t = (a & 0xF0) - (m & 0xF0) + low;
    if (t < 0) t -= 0x60;
    addBinary(c, static_cast<std::uint8_t>(m ^ 0xFFu));
    c.a = static_cast<std::uint8_t>(t & 0xFF);
}

inline void ANC(Core& c, std::uint8_t m) {
    c.setNZ(c.a &= m);
    c.c = c.a >> 7;
}

inline void ALR(Core& c, std::uint8_t m) {
    const std::uint8_t t = c.a & m;
    c.c = t & 1u;
    c.setNZ(c.a = static_cast<std::uint8_t>(t >> 1));
}

// With D set the operand is consumed and nothing else happens.
inline void ARR(Core& c, std::uint8_t m) {
    if (c.decimal()) return;
    const std::uint8_t t = c.a & m;
    c.setNZ(c.a = static_cast<std::uint8_t>((t >> 1) | (c.c << 7)));
    c.v = ((c.a >> 6) ^ (c.a >> 5)) & 1u;
    c.c = c.a & 1u;
}

inline void ANE(Core& c, std::uint8_t m) { c.setNZ(c.a = c.x & m); }

inline void LXA(Core& c, std::uint8_t m) {
    c.setNZ(c.a = c.x = static_cast<std::uint8_t>((c.a | 0xEEu) & m));
}

// C marks a borrow here.
inline void SBX(Core& c, std::uint8_t m) {
    const std::uint8_t ax = c.a & c.x;
    c.c = ax < m;
    c.setNZ(c.x = static_cast<std::uint8_t>(ax - m));
}

// --- values to store ---------------------------------------------------------

inline std::uint8_t STA(Core& c) { return c.a; }
inline std::uint8_t STX(Core& c) { return c.x; }
inline std::uint8_t STY(Core& c) { return c.y; }
inline std::uint8_t SAX(Core& c) { return c.a & c.x; }

// --- read-modify-write -------------------------------------------------------

inline std::uint8_t ASL(Core& c, std::uint8_t m) {
    c.c = m >> 7;
    const auto r = static_cast<std::uint8_t>(m << 1);
    c.setNZ(r);
    return r;
}
inline std::uint8_t LSR(Core& c, std::uint8_t m) {
    c.c = m & 1u;
    const auto r = static_cast<std::uint8_t>(m >> 1);
    c.setNZ(r);
    return r;
}
inline std::uint8_t ROL(Core& c, std::uint8_t m) {
    const auto r = static_cast<std::uint8_t>((m << 1) | c.c);
    c.c = m >> 7;
    c.setNZ(r);
    return r;
}
inline std::uint8_t ROR(Core& c, std::uint8_t m) {
    const auto r = static_cast<std::uint8_t>((m >> 1) | (c.c << 7));
    c.c = m & 1u;
    c.setNZ(r);
    return r;
}
inline std::uint8_t INC(Core& c, std::uint8_t m) {
    const auto r = static_cast<std::uint8_t>(m + 1u);
    c.setNZ(r);
    return r;
}
inline std::uint8_t DEC(Core& c, std::uint8_t m) {
    const auto r = static_cast<std::uint8_t>(m - 1u);
    c.setNZ(r);
    return r;
}
inline std::uint8_t SLO(Core& c, std::uint8_t m) {
    const std::uint8_t r = ASL(c, m);
    ORA(c, r);
    return r;
}
inline std::uint8_t RLA(Core& c, std::uint8_t m) {
    const std::uint8_t r = ROL(c, m);
    AND(c, r);
    return r;
}
inline std::uint8_t SRE(Core& c, std::uint8_t m) {
    const std::uint8_t r = LSR(c, m);
    EOR(c, r);
    return r;
}
inline std::uint8_t RRA(Core& c, std::uint8_t m) {
    const std::uint8_t r = ROR(c, m);
    ADC(c, r);
    return r;
}
inline std::uint8_t DCP(Core& c, std::uint8_t m) {
    const std::uint8_t r = DEC(c, m);
    CMP(c, r);
    return r;
}
inline std::uint8_t ISB(Core& c, std::uint8_t m) {
    const std::uint8_t r = INC(c, m);
    SBC(c, r);
    return r;
}

// --- operations that fetch their own operands --------------------------------
// Each returns false when the run must end (the stack rule).

inline bool TAX(Core& c) { c.setNZ(c.x = c.a); return true; }
inline bool TAY(Core& c) { c.setNZ(c.y = c.a); return true; }
inline bool TXA(Core& c) { c.setNZ(c.a = c.x); return true; }
inline bool TYA(Core& c) { c.setNZ(c.a = c.y); return true; }
inline bool TSX(Core& c) { c.setNZ(c.x = static_cast<std::uint8_t>(c.sp)); return true; }
inline bool TXS(Core& c) {
    c.sp = static_cast<std::uint16_t>(0x0100u + c.x);
    return c.checkStack();
}
inline bool INX(Core& c) { c.setNZ(++c.x); return true; }
inline bool INY(Core& c) { c.setNZ(++c.y); return true; }
inline bool DEX(Core& c) { c.setNZ(--c.x); return true; }
inline bool DEY(Core& c) { c.setNZ(--c.y); return true; }

inline bool CLC(Core& c) { c.c = 0; return true; }
inline bool SEC(Core& c) { c.c = 1; return true; }
inline bool CLV(Core& c) { c.v = 0; return true; }
inline bool CLI(Core& c) { c.p &= static_cast<std::uint8_t>(~0x04u); return true; }
inline bool SEI(Core& c) { c.p |= 0x04u; return true; }
inline bool CLD(Core& c) { c.p &= static_cast<std::uint8_t>(~0x08u); return true; }
inline bool SED(Core& c) { c.p |= 0x08u; return true; }

inline bool PHA(Core& c) { c.push(c.a); return true; }
inline bool PHP(Core& c) { c.push(c.status()); return true; }
inline bool PLA(Core& c) { c.setNZ(c.a = c.pull()); return true; }
inline bool PLP(Core& c) { c.setStatus(c.pull()); return true; }

inline bool NOP(Core&) { return true; }

inline bool branch(Core& c, bool taken) {
    const auto offset = static_cast<std::int8_t>(c.fetch());
    if (taken) c.pc = (c.pc + static_cast<std::uint32_t>(static_cast<std::int32_t>(offset))) & 0xFFFFu;
    return true;
}
inline bool BPL(Core& c) { return branch(c, (c.n & 0x80u) == 0); }
inline bool BMI(Core& c) { return branch(c, (c.n & 0x80u) != 0); }
inline bool BVC(Core& c) { return branch(c, c.v == 0); }
inline bool BVS(Core& c) { return branch(c, c.v != 0); }
inline bool BCC(Core& c) { return branch(c, c.c == 0); }
inline bool BCS(Core& c) { return branch(c, c.c != 0); }
inline bool BNE(Core& c) { return branch(c, c.z != 0); }
inline bool BEQ(Core& c) { return branch(c, c.z == 0); }

inline bool RTS(Core& c) {
    const std::uint8_t lo = c.pull();
    const std::uint8_t hi = c.pull();
    c.pc = ((hi << 8 | lo) + 1u) & 0xFFFFu;
    return c.checkStack();
}
// No interrupts are taken, so a return from interrupt is a plain return.
inline bool RTI(Core& c) { return RTS(c); }
inline bool BRK(Core& c) {
    c.p |= 0x14u;
    return RTS(c);
}

// No ROM code runs: a JSR into visible ROM returns at once, and a JMP there
// returns from the current subroutine (a play routine that ends by jumping
// to the KERNAL's interrupt exit).
inline bool JSR(Core& c) {
    const std::uint16_t target = c.fetchWord();
    const auto last = static_cast<std::uint16_t>(c.pc - 1u);
    c.push(static_cast<std::uint8_t>(last >> 8));
    c.push(static_cast<std::uint8_t>(last));
    if (c.romTarget(c.machine, target))
        c.sp = static_cast<std::uint16_t>(c.sp + 2u);
    else
        c.pc = target;
    return c.checkStack();
}

inline bool jumpTo(Core& c, std::uint16_t target) {
    if (c.romTarget(c.machine, target)) return RTS(c);
    c.pc = target;
    return true;
}
inline bool JMP(Core& c) { return jumpTo(c, c.fetchWord()); }
// The pointer's high byte comes from the same page as its low byte.
inline bool JMPIndirect(Core& c) {
    const std::uint16_t pointer = c.fetchWord();
    const std::uint8_t lo = c.read(pointer);
    const std::uint8_t hi = c.read(static_cast<std::uint16_t>((pointer & 0xFF00u) | ((pointer + 1u) & 0xFFu)));
    return jumpTo(c, static_cast<std::uint16_t>(lo | (hi << 8)));
}

// The unstable stores: the value is ANDed with the low operand byte + 2
// (SHA (zp),Y: with the pointer's high byte + 1).
inline std::uint16_t indexedOperand(Core& c, std::uint8_t index, std::uint8_t& lo) {
    lo = c.fetch();
    const std::uint8_t hi = c.fetch();
    return static_cast<std::uint16_t>((lo | (hi << 8)) + index);
}
inline std::uint8_t plusTwo(std::uint8_t lo) { return static_cast<std::uint8_t>(lo + 2u); }

inline bool SHAIndirectY(Core& c) {
    const std::uint8_t zp = c.fetch();
    const unsigned base = c.machine.ram[zp] | (c.machine.ram[static_cast<std::uint8_t>(zp + 1)] << 8);
    const auto address = static_cast<std::uint16_t>(base + c.y);
    const std::uint8_t h = c.read(static_cast<std::uint16_t>(zp + 1u));
    c.write(address, static_cast<std::uint8_t>(c.a & c.x & (h + 1u)));
    return true;
}
inline bool SHAAbsoluteY(Core& c) {
    std::uint8_t lo;
    const std::uint16_t address = indexedOperand(c, c.y, lo);
    c.write(address, c.a & c.x & plusTwo(lo));
    return true;
}
inline bool SHX(Core& c) {
    std::uint8_t lo;
    const std::uint16_t address = indexedOperand(c, c.y, lo);
    c.write(address, c.x & plusTwo(lo));
    return true;
}
inline bool SHY(Core& c) {
    std::uint8_t lo;
    const std::uint16_t address = indexedOperand(c, c.x, lo);
    c.write(address, c.y & plusTwo(lo));
    return true;
}
inline bool TAS(Core& c) {
    std::uint8_t lo;
    const std::uint16_t address = indexedOperand(c, c.y, lo);
    const std::uint8_t ax = c.a & c.x;
    c.sp = static_cast<std::uint16_t>(0x0100u + ax);
    c.write(address, ax & plusTwo(lo));
    return c.checkStack();
}
// Reads no memory: the low operand byte plus Y stands in for the operand.
inline bool LAS(Core& c) {
    const std::uint8_t lo = c.fetch();
    c.fetch();
    c.x = static_cast<std::uint8_t>(lo + c.y) & static_cast<std::uint8_t>(c.sp);
    c.sp = static_cast<std::uint16_t>(0x0100u + c.x);
    c.setNZ(c.a = c.x);
    return c.checkStack();
}

} // namespace notecast::emu::cpu::ops
