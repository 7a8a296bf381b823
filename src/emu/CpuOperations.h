#pragma once
// Internal to the CPU: one small function per operation. Operations that
// take a memory operand get it from the addressing code (see OpcodeTable.h);
// the others fetch their own operand bytes.
#include "emu/CpuCore.h"

#include <cstdint>

namespace notecast::emu::cpu {

// The operations for a core of type C (a Core<Model>).
template <class C>
struct Ops {

    // --- operations on a value read from memory ---------------------------------

    static void LDA(C& c, std::uint8_t m) { c.setNZ(c.a = m); }
    static void LDX(C& c, std::uint8_t m) { c.setNZ(c.x = m); }
    static void LDY(C& c, std::uint8_t m) { c.setNZ(c.y = m); }
    static void LAX(C& c, std::uint8_t m) { c.setNZ(c.a = c.x = m); }
    static void AND(C& c, std::uint8_t m) { c.setNZ(c.a &= m); }
    static void ORA(C& c, std::uint8_t m) { c.setNZ(c.a |= m); }
    static void EOR(C& c, std::uint8_t m) { c.setNZ(c.a ^= m); }

    static void BIT(C& c, std::uint8_t m) {
        c.z = c.a & m;
        c.n = m;
        c.v = (m >> 6) & 1u;
    }

    static void compare(C& c, std::uint8_t reg, std::uint8_t m) {
        c.c = reg >= m;
        c.setNZ(static_cast<std::uint8_t>(reg - m));
    }
    static void CMP(C& c, std::uint8_t m) { compare(c, c.a, m); }
    static void CPX(C& c, std::uint8_t m) { compare(c, c.x, m); }
    static void CPY(C& c, std::uint8_t m) { compare(c, c.y, m); }

    static void addBinary(C& c, std::uint8_t m) {
        const unsigned a = c.a;
        const unsigned sum = a + m + c.c;
        c.v = ((~(a ^ m) & (a ^ sum)) >> 7) & 1u;
        c.c = sum > 0xFFu;
        c.setNZ(c.a = static_cast<std::uint8_t>(sum));
    }

    // Decimal mode as the NMOS chip computes it: the low digit is corrected
    // first; N and V come from the sum before the high digit is corrected, Z from
    // the plain binary sum, and C from the corrected result.
    static void ADC(C& c, std::uint8_t m) {
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
    static void SBC(C& c, std::uint8_t m) {
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

    static void ANC(C& c, std::uint8_t m) {
        c.setNZ(c.a &= m);
        c.c = c.a >> 7;
    }

    static void ALR(C& c, std::uint8_t m) {
        const std::uint8_t t = c.a & m;
        c.c = t & 1u;
        c.setNZ(c.a = static_cast<std::uint8_t>(t >> 1));
    }

    // With D set the operand is consumed and nothing else happens.
    static void ARR(C& c, std::uint8_t m) {
        if (c.decimal()) return;
        const std::uint8_t t = c.a & m;
        c.setNZ(c.a = static_cast<std::uint8_t>((t >> 1) | (c.c << 7)));
        c.v = ((c.a >> 6) ^ (c.a >> 5)) & 1u;
        c.c = c.a & 1u;
    }

    static void ANE(C& c, std::uint8_t m) { c.setNZ(c.a = c.x & m); }

    static void LXA(C& c, std::uint8_t m) {
        c.setNZ(c.a = c.x = static_cast<std::uint8_t>((c.a | 0xEEu) & m));
    }

    // C marks a borrow here.
    static void SBX(C& c, std::uint8_t m) {
        const std::uint8_t ax = c.a & c.x;
        c.c = ax < m;
        c.setNZ(c.x = static_cast<std::uint8_t>(ax - m));
    }

    // --- values to store ---------------------------------------------------------

    static std::uint8_t STA(C& c) { return c.a; }
    static std::uint8_t STX(C& c) { return c.x; }
    static std::uint8_t STY(C& c) { return c.y; }
    static std::uint8_t SAX(C& c) { return c.a & c.x; }

    // --- read-modify-write -------------------------------------------------------

    static std::uint8_t ASL(C& c, std::uint8_t m) {
        c.c = m >> 7;
        const auto r = static_cast<std::uint8_t>(m << 1);
        c.setNZ(r);
        return r;
    }
    static std::uint8_t LSR(C& c, std::uint8_t m) {
        c.c = m & 1u;
        const auto r = static_cast<std::uint8_t>(m >> 1);
        c.setNZ(r);
        return r;
    }
    static std::uint8_t ROL(C& c, std::uint8_t m) {
        const auto r = static_cast<std::uint8_t>((m << 1) | c.c);
        c.c = m >> 7;
        c.setNZ(r);
        return r;
    }
    static std::uint8_t ROR(C& c, std::uint8_t m) {
        const auto r = static_cast<std::uint8_t>((m >> 1) | (c.c << 7));
        c.c = m & 1u;
        c.setNZ(r);
        return r;
    }
    static std::uint8_t INC(C& c, std::uint8_t m) {
        const auto r = static_cast<std::uint8_t>(m + 1u);
        c.setNZ(r);
        return r;
    }
    static std::uint8_t DEC(C& c, std::uint8_t m) {
        const auto r = static_cast<std::uint8_t>(m - 1u);
        c.setNZ(r);
        return r;
    }
    static std::uint8_t SLO(C& c, std::uint8_t m) {
        const std::uint8_t r = ASL(c, m);
        ORA(c, r);
        return r;
    }
    static std::uint8_t RLA(C& c, std::uint8_t m) {
        const std::uint8_t r = ROL(c, m);
        AND(c, r);
        return r;
    }
    static std::uint8_t SRE(C& c, std::uint8_t m) {
        const std::uint8_t r = LSR(c, m);
        EOR(c, r);
        return r;
    }
    static std::uint8_t RRA(C& c, std::uint8_t m) {
        const std::uint8_t r = ROR(c, m);
        ADC(c, r);
        return r;
    }
    static std::uint8_t DCP(C& c, std::uint8_t m) {
        const std::uint8_t r = DEC(c, m);
        CMP(c, r);
        return r;
    }
    static std::uint8_t ISB(C& c, std::uint8_t m) {
        const std::uint8_t r = INC(c, m);
        SBC(c, r);
        return r;
    }

    // --- operations that fetch their own operands --------------------------------
    // Each returns false when the run must end (the call model's stack rule).

    static bool TAX(C& c) { c.setNZ(c.x = c.a); return true; }
    static bool TAY(C& c) { c.setNZ(c.y = c.a); return true; }
    static bool TXA(C& c) { c.setNZ(c.a = c.x); return true; }
    static bool TYA(C& c) { c.setNZ(c.a = c.y); return true; }
    static bool TSX(C& c) { c.setNZ(c.x = static_cast<std::uint8_t>(c.sp)); return true; }
    static bool TXS(C& c) {
        c.sp = static_cast<std::uint16_t>(0x0100u + c.x);
        return c.checkStack();
    }
    static bool INX(C& c) { c.setNZ(++c.x); return true; }
    static bool INY(C& c) { c.setNZ(++c.y); return true; }
    static bool DEX(C& c) { c.setNZ(--c.x); return true; }
    static bool DEY(C& c) { c.setNZ(--c.y); return true; }

    static bool CLC(C& c) { c.c = 0; return true; }
    static bool SEC(C& c) { c.c = 1; return true; }
    static bool CLV(C& c) { c.v = 0; return true; }
    static bool CLI(C& c) {
        c.delayMask();
        c.p &= static_cast<std::uint8_t>(~0x04u);
        return true;
    }
    static bool SEI(C& c) {
        c.delayMask();
        c.p |= 0x04u;
        return true;
    }
    static bool CLD(C& c) { c.p &= static_cast<std::uint8_t>(~0x08u); return true; }
    static bool SED(C& c) { c.p |= 0x08u; return true; }

    static bool PHA(C& c) { c.push(c.a); return true; }
    // The call model pushes the status as it stands (B included); the chip
    // has no B flag and always pushes it set, as the machine model does.
    static bool PHP(C& c) {
        c.push(static_cast<std::uint8_t>(c.status() | (C::kMachine ? 0x10u : 0u)));
        return true;
    }
    static bool PLA(C& c) { c.setNZ(c.a = c.pull()); return true; }
    static bool PLP(C& c) {
        c.delayMask();
        c.setStatus(c.pull());
        return true;
    }

    static bool NOP(C&) { return true; }

    // A one-byte no-op, except where our system code uses it to call native
    // code (machine model, visible KERNAL ROM only).
    static bool JAM(C& c) {
        if constexpr (C::kMachine) {
            const auto at = static_cast<std::uint16_t>(c.pc - 1u);
            if (at >= 0xE000 && c.machine.kernalVisible) {
                switch (systemHook(c.machine, at)) {
                case HookResult::None:
                    break;
                case HookResult::Halt:
                    c.requestCheck();
                    break;
                case HookResult::ReturnZero:
                    c.setNZ(c.a = 0);
                    break;
                }
            }
        }
        return true;
    }

    // Machine model: a taken branch costs a cycle, one more when it lands in
    // another page than the next instruction's.
    static bool branch(C& c, bool taken) {
        const auto offset = static_cast<std::int8_t>(c.fetch());
        if (taken) {
            const std::uint32_t next = c.pc;
            c.pc = (next + static_cast<std::uint32_t>(static_cast<std::int32_t>(offset))) & 0xFFFFu;
            c.addCycles(1u + (((next ^ c.pc) >> 8) & 1u));
            if constexpr (C::kMachine) {
                if (offset == -2 && ((next ^ c.pc) >> 8) == 0) c.spinning();
            }
        }
        return true;
    }
    static bool BPL(C& c) { return branch(c, (c.n & 0x80u) == 0); }
    static bool BMI(C& c) { return branch(c, (c.n & 0x80u) != 0); }
    static bool BVC(C& c) { return branch(c, c.v == 0); }
    static bool BVS(C& c) { return branch(c, c.v != 0); }
    static bool BCC(C& c) { return branch(c, c.c == 0); }
    static bool BCS(C& c) { return branch(c, c.c != 0); }
    static bool BNE(C& c) { return branch(c, c.z != 0); }
    static bool BEQ(C& c) { return branch(c, c.z == 0); }

    // A return to the idle address leaves the tune's code: the machine takes
    // over from there.
    static bool RTS(C& c) {
        const std::uint8_t lo = c.pull();
        const std::uint8_t hi = c.pull();
        c.pc = ((hi << 8 | lo) + 1u) & 0xFFFFu;
        if constexpr (C::kMachine) {
            if (c.pc == kIdleAddress) c.requestCheck();
        }
        return c.checkStack();
    }
    // Call model: no interrupts are taken, so a return from interrupt is a
    // plain return, and BRK returns from the routine. Machine model: RTI
    // restores the status (the mask at once) and may end an interrupt record;
    // BRK goes through the interrupt vector with B set in the pushed status.
    static bool RTI(C& c) {
        if constexpr (C::kMachine) {
            // The chip reads the byte after the opcode and ignores it; only
            // I/O can tell: an RTI placed in CIA 2's serial register
            // acknowledges the NMI through this read of $DD0D.
            if ((c.pc & 0xF000u) == 0xD000u) (void)c.read(static_cast<std::uint16_t>(c.pc));
            const auto s = static_cast<std::uint8_t>(c.sp);
            c.setStatus(c.pull());
            const std::uint8_t lo = c.pull();
            const std::uint8_t hi = c.pull();
            c.pc = static_cast<std::uint16_t>(lo | (hi << 8));
            c.machine.interruptReturn(s);
            c.requestCheck();
            return true;
        } else {
            return RTS(c);
        }
    }
    static bool BRK(C& c) {
        if constexpr (C::kMachine) {
            c.fetch();  // the padding byte
            c.push(static_cast<std::uint8_t>(c.pc >> 8));
            c.push(static_cast<std::uint8_t>(c.pc));
            c.push(static_cast<std::uint8_t>(c.status() | 0x30u));
            c.p |= 0x04u;
            c.pc = c.machine.readVector(0xFFFE);
            return true;
        } else {
            c.p |= 0x14u;
            return RTS(c);
        }
    }

    // Call model: no ROM code runs: a JSR into visible ROM returns at once,
    // and a JMP there returns from the current subroutine (a play routine
    // that ends by jumping to the KERNAL's interrupt exit).
    static bool JSR(C& c) {
        const std::uint16_t target = c.fetchWord();
        const auto last = static_cast<std::uint16_t>(c.pc - 1u);
        c.push(static_cast<std::uint8_t>(last >> 8));
        c.push(static_cast<std::uint8_t>(last));
        if constexpr (C::kMachine) {
            c.pc = target;
            return true;
        } else {
            if (c.romTarget(c.machine, target))
                c.sp = static_cast<std::uint16_t>(c.sp + 2u);
            else
                c.pc = target;
            return c.checkStack();
        }
    }

    static bool jumpTo(C& c, std::uint16_t target) {
        if constexpr (C::kMachine) {
            if (target == kIdleAddress) c.requestCheck();
        } else {
            if (c.romTarget(c.machine, target)) return RTS(c);
        }
        c.pc = target;
        return true;
    }
    static bool JMP(C& c) {
        const std::uint16_t target = c.fetchWord();
        if constexpr (C::kMachine) {
            if (target == static_cast<std::uint16_t>(c.pc - 3u)) {
                c.pc = target;
                c.spinning();
                return true;
            }
        }
        return jumpTo(c, target);
    }
    // The pointer's high byte comes from the same page as its low byte.
    static bool JMPIndirect(C& c) {
        const std::uint16_t pointer = c.fetchWord();
        const std::uint8_t lo = c.read(pointer);
        const std::uint8_t hi = c.read(static_cast<std::uint16_t>((pointer & 0xFF00u) | ((pointer + 1u) & 0xFFu)));
        return jumpTo(c, static_cast<std::uint16_t>(lo | (hi << 8)));
    }

    // The unstable stores: the value is ANDed with the low operand byte + 2
    // (SHA (zp),Y: with the pointer's high byte + 1).
    static std::uint16_t indexedOperand(C& c, std::uint8_t index, std::uint8_t& lo) {
        lo = c.fetch();
        const std::uint8_t hi = c.fetch();
        return static_cast<std::uint16_t>((lo | (hi << 8)) + index);
    }
    static std::uint8_t plusTwo(std::uint8_t lo) { return static_cast<std::uint8_t>(lo + 2u); }

    static bool SHAIndirectY(C& c) {
        const std::uint8_t zp = c.fetch();
        const unsigned base = c.machine.ram[zp] | (c.machine.ram[static_cast<std::uint8_t>(zp + 1)] << 8);
        const auto address = static_cast<std::uint16_t>(base + c.y);
        const std::uint8_t h = c.read(static_cast<std::uint16_t>(zp + 1u));
        c.write(address, static_cast<std::uint8_t>(c.a & c.x & (h + 1u)));
        return true;
    }
    static bool SHAAbsoluteY(C& c) {
        std::uint8_t lo;
        const std::uint16_t address = indexedOperand(c, c.y, lo);
        c.write(address, c.a & c.x & plusTwo(lo));
        return true;
    }
    static bool SHX(C& c) {
        std::uint8_t lo;
        const std::uint16_t address = indexedOperand(c, c.y, lo);
        c.write(address, c.x & plusTwo(lo));
        return true;
    }
    static bool SHY(C& c) {
        std::uint8_t lo;
        const std::uint16_t address = indexedOperand(c, c.x, lo);
        c.write(address, c.y & plusTwo(lo));
        return true;
    }
    static bool TAS(C& c) {
        std::uint8_t lo;
        const std::uint16_t address = indexedOperand(c, c.y, lo);
        const std::uint8_t ax = c.a & c.x;
        c.sp = static_cast<std::uint16_t>(0x0100u + ax);
        c.write(address, ax & plusTwo(lo));
        return c.checkStack();
    }
    // Reads no memory: the low operand byte plus Y stands in for the operand.
    // It still takes its time, the page crossing included.
    static bool LAS(C& c) {
        const std::uint8_t lo = c.fetch();
        c.fetch();
        c.addCycles((lo + c.y) >> 8);
        c.x = static_cast<std::uint8_t>(lo + c.y) & static_cast<std::uint8_t>(c.sp);
        c.sp = static_cast<std::uint16_t>(0x0100u + c.x);
        c.setNZ(c.a = c.x);
        return c.checkStack();
    }

};

} // namespace notecast::emu::cpu
