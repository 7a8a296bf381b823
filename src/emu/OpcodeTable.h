#pragma once
// Internal to the CPU: what each of the 256 opcodes does, as data. An entry
// names the operation and, for operations on a memory operand, the
// addressing mode; Cpu.cpp turns every entry into its handler at compile
// time.
#include "emu/CpuOperations.h"

#include <array>
#include <cstdint>

namespace notecast::emu::cpu {

enum class Kind : std::uint8_t {
    Read,     // operation on the addressed byte
    Store,    // operation producing the byte to store
    Modify,   // read-modify-write of the addressed byte (or A)
    Control,  // fetches its own operands
    Skip,     // multi-byte NOP: operand bytes skipped, no memory access
};

template <class C>
struct OpcodeEntry {
    using ReadOp = void (*)(C&, std::uint8_t);
    using StoreOp = std::uint8_t (*)(C&);
    using ModifyOp = std::uint8_t (*)(C&, std::uint8_t);
    using ControlOp = bool (*)(C&);

    Kind kind;
    Mode mode;
    ReadOp read;
    StoreOp store;
    ModifyOp modify;
    ControlOp control;
};

template <class C>
constexpr OpcodeEntry<C> read(void (*op)(C&, std::uint8_t), Mode mode) {
    return {Kind::Read, mode, op, nullptr, nullptr, nullptr};
}
template <class C>
constexpr OpcodeEntry<C> store(std::uint8_t (*op)(C&), Mode mode) {
    return {Kind::Store, mode, nullptr, op, nullptr, nullptr};
}
template <class C>
constexpr OpcodeEntry<C> modify(std::uint8_t (*op)(C&, std::uint8_t), Mode mode) {
    return {Kind::Modify, mode, nullptr, nullptr, op, nullptr};
}
template <class C>
constexpr OpcodeEntry<C> control(bool (*op)(C&)) {
    return {Kind::Control, Mode::Implied, nullptr, nullptr, nullptr, op};
}
template <class C>
constexpr OpcodeEntry<C> skip(Mode mode) {
    return {Kind::Skip, mode, nullptr, nullptr, nullptr, nullptr};
}

// Operand bytes of a mode.
constexpr unsigned operandLength(Mode m) {
    switch (m) {
    case Mode::Implied:
    case Mode::Accumulator:
        return 0;
    case Mode::Absolute:
    case Mode::AbsoluteX:
    case Mode::AbsoluteY:
    case Mode::Indirect:
        return 2;
    default:
        return 1;
    }
}

// JAM opcodes run as one-byte no-ops (see Ops::JAM); nothing halts the CPU.
template <class C>
constexpr std::array<OpcodeEntry<C>, 256> makeOpcodeTable() {
    using O = Ops<C>;
    return {{
        /* 00 BRK        */ control(O::BRK),
        /* 01 ORA (zp,X) */ read(O::ORA, Mode::IndirectX),
        /* 02 JAM        */ control(O::JAM),
        /* 03 SLO (zp,X) */ modify(O::SLO, Mode::IndirectX),
        /* 04 NOP zp     */ skip<C>(Mode::ZeroPage),
        /* 05 ORA zp     */ read(O::ORA, Mode::ZeroPage),
        /* 06 ASL zp     */ modify(O::ASL, Mode::ZeroPage),
        /* 07 SLO zp     */ modify(O::SLO, Mode::ZeroPage),
        /* 08 PHP        */ control(O::PHP),
        /* 09 ORA #      */ read(O::ORA, Mode::Immediate),
        /* 0A ASL A      */ modify(O::ASL, Mode::Accumulator),
        /* 0B ANC #      */ read(O::ANC, Mode::Immediate),
        /* 0C NOP abs    */ skip<C>(Mode::Absolute),
        /* 0D ORA abs    */ read(O::ORA, Mode::Absolute),
        /* 0E ASL abs    */ modify(O::ASL, Mode::Absolute),
        /* 0F SLO abs    */ modify(O::SLO, Mode::Absolute),
        /* 10 BPL rel    */ control(O::BPL),
        /* 11 ORA (zp),Y */ read(O::ORA, Mode::IndirectY),
        /* 12 JAM        */ control(O::JAM),
        /* 13 SLO (zp),Y */ modify(O::SLO, Mode::IndirectY),
        /* 14 NOP zp,X   */ skip<C>(Mode::ZeroPageX),
        /* 15 ORA zp,X   */ read(O::ORA, Mode::ZeroPageX),
        /* 16 ASL zp,X   */ modify(O::ASL, Mode::ZeroPageX),
        /* 17 SLO zp,X   */ modify(O::SLO, Mode::ZeroPageX),
        /* 18 CLC        */ control(O::CLC),
        /* 19 ORA abs,Y  */ read(O::ORA, Mode::AbsoluteY),
        /* 1A NOP        */ control(O::NOP),
        /* 1B SLO abs,Y  */ modify(O::SLO, Mode::AbsoluteY),
        /* 1C NOP abs,X  */ skip<C>(Mode::AbsoluteX),
        /* 1D ORA abs,X  */ read(O::ORA, Mode::AbsoluteX),
        /* 1E ASL abs,X  */ modify(O::ASL, Mode::AbsoluteX),
        /* 1F SLO abs,X  */ modify(O::SLO, Mode::AbsoluteX),
        /* 20 JSR abs    */ control(O::JSR),
        /* 21 AND (zp,X) */ read(O::AND, Mode::IndirectX),
        /* 22 JAM        */ control(O::JAM),
        /* 23 RLA (zp,X) */ modify(O::RLA, Mode::IndirectX),
        /* 24 BIT zp     */ read(O::BIT, Mode::ZeroPage),
        /* 25 AND zp     */ read(O::AND, Mode::ZeroPage),
        /* 26 ROL zp     */ modify(O::ROL, Mode::ZeroPage),
        /* 27 RLA zp     */ modify(O::RLA, Mode::ZeroPage),
        /* 28 PLP        */ control(O::PLP),
        /* 29 AND #      */ read(O::AND, Mode::Immediate),
        /* 2A ROL A      */ modify(O::ROL, Mode::Accumulator),
        /* 2B ANC #      */ read(O::ANC, Mode::Immediate),
        /* 2C BIT abs    */ read(O::BIT, Mode::Absolute),
        /* 2D AND abs    */ read(O::AND, Mode::Absolute),
        /* 2E ROL abs    */ modify(O::ROL, Mode::Absolute),
        /* 2F RLA abs    */ modify(O::RLA, Mode::Absolute),
        /* 30 BMI rel    */ control(O::BMI),
        /* 31 AND (zp),Y */ read(O::AND, Mode::IndirectY),
        /* 32 JAM        */ control(O::JAM),
        /* 33 RLA (zp),Y */ modify(O::RLA, Mode::IndirectY),
        /* 34 NOP zp,X   */ skip<C>(Mode::ZeroPageX),
        /* 35 AND zp,X   */ read(O::AND, Mode::ZeroPageX),
        /* 36 ROL zp,X   */ modify(O::ROL, Mode::ZeroPageX),
        /* 37 RLA zp,X   */ modify(O::RLA, Mode::ZeroPageX),
        /* 38 SEC        */ control(O::SEC),
        /* 39 AND abs,Y  */ read(O::AND, Mode::AbsoluteY),
        /* 3A NOP        */ control(O::NOP),
        /* 3B RLA abs,Y  */ modify(O::RLA, Mode::AbsoluteY),
        /* 3C NOP abs,X  */ skip<C>(Mode::AbsoluteX),
        /* 3D AND abs,X  */ read(O::AND, Mode::AbsoluteX),
        /* 3E ROL abs,X  */ modify(O::ROL, Mode::AbsoluteX),
        /* 3F RLA abs,X  */ modify(O::RLA, Mode::AbsoluteX),
        /* 40 RTI        */ control(O::RTI),
        /* 41 EOR (zp,X) */ read(O::EOR, Mode::IndirectX),
        /* 42 JAM        */ control(O::JAM),
        /* 43 SRE (zp,X) */ modify(O::SRE, Mode::IndirectX),
        /* 44 NOP zp     */ skip<C>(Mode::ZeroPage),
        /* 45 EOR zp     */ read(O::EOR, Mode::ZeroPage),
        /* 46 LSR zp     */ modify(O::LSR, Mode::ZeroPage),
        /* 47 SRE zp     */ modify(O::SRE, Mode::ZeroPage),
        /* 48 PHA        */ control(O::PHA),
        /* 49 EOR #      */ read(O::EOR, Mode::Immediate),
        /* 4A LSR A      */ modify(O::LSR, Mode::Accumulator),
        /* 4B ALR #      */ read(O::ALR, Mode::Immediate),
        /* 4C JMP abs    */ control(O::JMP),
        /* 4D EOR abs    */ read(O::EOR, Mode::Absolute),
        /* 4E LSR abs    */ modify(O::LSR, Mode::Absolute),
        /* 4F SRE abs    */ modify(O::SRE, Mode::Absolute),
        /* 50 BVC rel    */ control(O::BVC),
        /* 51 EOR (zp),Y */ read(O::EOR, Mode::IndirectY),
        /* 52 JAM        */ control(O::JAM),
        /* 53 SRE (zp),Y */ modify(O::SRE, Mode::IndirectY),
        /* 54 NOP zp,X   */ skip<C>(Mode::ZeroPageX),
        /* 55 EOR zp,X   */ read(O::EOR, Mode::ZeroPageX),
        /* 56 LSR zp,X   */ modify(O::LSR, Mode::ZeroPageX),
        /* 57 SRE zp,X   */ modify(O::SRE, Mode::ZeroPageX),
        /* 58 CLI        */ control(O::CLI),
        /* 59 EOR abs,Y  */ read(O::EOR, Mode::AbsoluteY),
        /* 5A NOP        */ control(O::NOP),
        /* 5B SRE abs,Y  */ modify(O::SRE, Mode::AbsoluteY),
        /* 5C NOP abs,X  */ skip<C>(Mode::AbsoluteX),
        /* 5D EOR abs,X  */ read(O::EOR, Mode::AbsoluteX),
        /* 5E LSR abs,X  */ modify(O::LSR, Mode::AbsoluteX),
        /* 5F SRE abs,X  */ modify(O::SRE, Mode::AbsoluteX),
        /* 60 RTS        */ control(O::RTS),
        /* 61 ADC (zp,X) */ read(O::ADC, Mode::IndirectX),
        /* 62 JAM        */ control(O::JAM),
        /* 63 RRA (zp,X) */ modify(O::RRA, Mode::IndirectX),
        /* 64 NOP zp     */ skip<C>(Mode::ZeroPage),
        /* 65 ADC zp     */ read(O::ADC, Mode::ZeroPage),
        /* 66 ROR zp     */ modify(O::ROR, Mode::ZeroPage),
        /* 67 RRA zp     */ modify(O::RRA, Mode::ZeroPage),
        /* 68 PLA        */ control(O::PLA),
        /* 69 ADC #      */ read(O::ADC, Mode::Immediate),
        /* 6A ROR A      */ modify(O::ROR, Mode::Accumulator),
        /* 6B ARR #      */ read(O::ARR, Mode::Immediate),
        /* 6C JMP (abs)  */ control(O::JMPIndirect),
        /* 6D ADC abs    */ read(O::ADC, Mode::Absolute),
        /* 6E ROR abs    */ modify(O::ROR, Mode::Absolute),
        /* 6F RRA abs    */ modify(O::RRA, Mode::Absolute),
        /* 70 BVS rel    */ control(O::BVS),
        /* 71 ADC (zp),Y */ read(O::ADC, Mode::IndirectY),
        /* 72 JAM        */ control(O::JAM),
        /* 73 RRA (zp),Y */ modify(O::RRA, Mode::IndirectY),
        /* 74 NOP zp,X   */ skip<C>(Mode::ZeroPageX),
        /* 75 ADC zp,X   */ read(O::ADC, Mode::ZeroPageX),
        /* 76 ROR zp,X   */ modify(O::ROR, Mode::ZeroPageX),
        /* 77 RRA zp,X   */ modify(O::RRA, Mode::ZeroPageX),
        /* 78 SEI        */ control(O::SEI),
        /* 79 ADC abs,Y  */ read(O::ADC, Mode::AbsoluteY),
        /* 7A NOP        */ control(O::NOP),
        /* 7B RRA abs,Y  */ modify(O::RRA, Mode::AbsoluteY),
        /* 7C NOP abs,X  */ skip<C>(Mode::AbsoluteX),
        /* 7D ADC abs,X  */ read(O::ADC, Mode::AbsoluteX),
        /* 7E ROR abs,X  */ modify(O::ROR, Mode::AbsoluteX),
        /* 7F RRA abs,X  */ modify(O::RRA, Mode::AbsoluteX),
        /* 80 NOP #      */ skip<C>(Mode::Immediate),
        /* 81 STA (zp,X) */ store(O::STA, Mode::IndirectX),
        /* 82 NOP #      */ skip<C>(Mode::Immediate),
        /* 83 SAX (zp,X) */ store(O::SAX, Mode::IndirectX),
        /* 84 STY zp     */ store(O::STY, Mode::ZeroPage),
        /* 85 STA zp     */ store(O::STA, Mode::ZeroPage),
        /* 86 STX zp     */ store(O::STX, Mode::ZeroPage),
        /* 87 SAX zp     */ store(O::SAX, Mode::ZeroPage),
        /* 88 DEY        */ control(O::DEY),
        /* 89 NOP #      */ skip<C>(Mode::Immediate),
        /* 8A TXA        */ control(O::TXA),
        /* 8B ANE #      */ read(O::ANE, Mode::Immediate),
        /* 8C STY abs    */ store(O::STY, Mode::Absolute),
        /* 8D STA abs    */ store(O::STA, Mode::Absolute),
        /* 8E STX abs    */ store(O::STX, Mode::Absolute),
        /* 8F SAX abs    */ store(O::SAX, Mode::Absolute),
        /* 90 BCC rel    */ control(O::BCC),
        /* 91 STA (zp),Y */ store(O::STA, Mode::IndirectY),
        /* 92 JAM        */ control(O::JAM),
        /* 93 SHA (zp),Y */ control(O::SHAIndirectY),
        /* 94 STY zp,X   */ store(O::STY, Mode::ZeroPageX),
        /* 95 STA zp,X   */ store(O::STA, Mode::ZeroPageX),
        /* 96 STX zp,Y   */ store(O::STX, Mode::ZeroPageY),
        /* 97 SAX zp,Y   */ store(O::SAX, Mode::ZeroPageY),
        /* 98 TYA        */ control(O::TYA),
        /* 99 STA abs,Y  */ store(O::STA, Mode::AbsoluteY),
        /* 9A TXS        */ control(O::TXS),
        /* 9B TAS abs,Y  */ control(O::TAS),
        /* 9C SHY abs,X  */ control(O::SHY),
        /* 9D STA abs,X  */ store(O::STA, Mode::AbsoluteX),
        /* 9E SHX abs,Y  */ control(O::SHX),
        /* 9F SHA abs,Y  */ control(O::SHAAbsoluteY),
        /* A0 LDY #      */ read(O::LDY, Mode::Immediate),
        /* A1 LDA (zp,X) */ read(O::LDA, Mode::IndirectX),
        /* A2 LDX #      */ read(O::LDX, Mode::Immediate),
        /* A3 LAX (zp,X) */ read(O::LAX, Mode::IndirectX),
        /* A4 LDY zp     */ read(O::LDY, Mode::ZeroPage),
        /* A5 LDA zp     */ read(O::LDA, Mode::ZeroPage),
        /* A6 LDX zp     */ read(O::LDX, Mode::ZeroPage),
        /* A7 LAX zp     */ read(O::LAX, Mode::ZeroPage),
        /* A8 TAY        */ control(O::TAY),
        /* A9 LDA #      */ read(O::LDA, Mode::Immediate),
        /* AA TAX        */ control(O::TAX),
        /* AB LXA #      */ read(O::LXA, Mode::Immediate),
        /* AC LDY abs    */ read(O::LDY, Mode::Absolute),
        /* AD LDA abs    */ read(O::LDA, Mode::Absolute),
        /* AE LDX abs    */ read(O::LDX, Mode::Absolute),
        /* AF LAX abs    */ read(O::LAX, Mode::Absolute),
        /* B0 BCS rel    */ control(O::BCS),
        /* B1 LDA (zp),Y */ read(O::LDA, Mode::IndirectY),
        /* B2 JAM        */ control(O::JAM),
        /* B3 LAX (zp),Y */ read(O::LAX, Mode::IndirectY),
        /* B4 LDY zp,X   */ read(O::LDY, Mode::ZeroPageX),
        /* B5 LDA zp,X   */ read(O::LDA, Mode::ZeroPageX),
        /* B6 LDX zp,Y   */ read(O::LDX, Mode::ZeroPageY),
        /* B7 LAX zp,Y   */ read(O::LAX, Mode::ZeroPageY),
        /* B8 CLV        */ control(O::CLV),
        /* B9 LDA abs,Y  */ read(O::LDA, Mode::AbsoluteY),
        /* BA TSX        */ control(O::TSX),
        /* BB LAS abs,Y  */ control(O::LAS),
        /* BC LDY abs,X  */ read(O::LDY, Mode::AbsoluteX),
        /* BD LDA abs,X  */ read(O::LDA, Mode::AbsoluteX),
        /* BE LDX abs,Y  */ read(O::LDX, Mode::AbsoluteY),
        /* BF LAX abs,Y  */ read(O::LAX, Mode::AbsoluteY),
        /* C0 CPY #      */ read(O::CPY, Mode::Immediate),
        /* C1 CMP (zp,X) */ read(O::CMP, Mode::IndirectX),
        /* C2 NOP #      */ skip<C>(Mode::Immediate),
        /* C3 DCP (zp,X) */ modify(O::DCP, Mode::IndirectX),
        /* C4 CPY zp     */ read(O::CPY, Mode::ZeroPage),
        /* C5 CMP zp     */ read(O::CMP, Mode::ZeroPage),
        /* C6 DEC zp     */ modify(O::DEC, Mode::ZeroPage),
        /* C7 DCP zp     */ modify(O::DCP, Mode::ZeroPage),
        /* C8 INY        */ control(O::INY),
        /* C9 CMP #      */ read(O::CMP, Mode::Immediate),
        /* CA DEX        */ control(O::DEX),
        /* CB SBX #      */ read(O::SBX, Mode::Immediate),
        /* CC CPY abs    */ read(O::CPY, Mode::Absolute),
        /* CD CMP abs    */ read(O::CMP, Mode::Absolute),
        /* CE DEC abs    */ modify(O::DEC, Mode::Absolute),
        /* CF DCP abs    */ modify(O::DCP, Mode::Absolute),
        /* D0 BNE rel    */ control(O::BNE),
        /* D1 CMP (zp),Y */ read(O::CMP, Mode::IndirectY),
        /* D2 JAM        */ control(O::JAM),
        /* D3 DCP (zp),Y */ modify(O::DCP, Mode::IndirectY),
        /* D4 NOP zp,X   */ skip<C>(Mode::ZeroPageX),
        /* D5 CMP zp,X   */ read(O::CMP, Mode::ZeroPageX),
        /* D6 DEC zp,X   */ modify(O::DEC, Mode::ZeroPageX),
        /* D7 DCP zp,X   */ modify(O::DCP, Mode::ZeroPageX),
        /* D8 CLD        */ control(O::CLD),
        /* D9 CMP abs,Y  */ read(O::CMP, Mode::AbsoluteY),
        /* DA NOP        */ control(O::NOP),
        /* DB DCP abs,Y  */ modify(O::DCP, Mode::AbsoluteY),
        /* DC NOP abs,X  */ skip<C>(Mode::AbsoluteX),
        /* DD CMP abs,X  */ read(O::CMP, Mode::AbsoluteX),
        /* DE DEC abs,X  */ modify(O::DEC, Mode::AbsoluteX),
        /* DF DCP abs,X  */ modify(O::DCP, Mode::AbsoluteX),
        /* E0 CPX #      */ read(O::CPX, Mode::Immediate),
        /* E1 SBC (zp,X) */ read(O::SBC, Mode::IndirectX),
        /* E2 NOP #      */ skip<C>(Mode::Immediate),
        /* E3 ISB (zp,X) */ modify(O::ISB, Mode::IndirectX),
        /* E4 CPX zp     */ read(O::CPX, Mode::ZeroPage),
        /* E5 SBC zp     */ read(O::SBC, Mode::ZeroPage),
        /* E6 INC zp     */ modify(O::INC, Mode::ZeroPage),
        /* E7 ISB zp     */ modify(O::ISB, Mode::ZeroPage),
        /* E8 INX        */ control(O::INX),
        /* E9 SBC #      */ read(O::SBC, Mode::Immediate),
        /* EA NOP        */ control(O::NOP),
        /* EB SBC #      */ read(O::SBC, Mode::Immediate),
        /* EC CPX abs    */ read(O::CPX, Mode::Absolute),
        /* ED SBC abs    */ read(O::SBC, Mode::Absolute),
        /* EE INC abs    */ modify(O::INC, Mode::Absolute),
        /* EF ISB abs    */ modify(O::ISB, Mode::Absolute),
        /* F0 BEQ rel    */ control(O::BEQ),
        /* F1 SBC (zp),Y */ read(O::SBC, Mode::IndirectY),
        /* F2 JAM        */ control(O::JAM),
        /* F3 ISB (zp),Y */ modify(O::ISB, Mode::IndirectY),
        /* F4 NOP zp,X   */ skip<C>(Mode::ZeroPageX),
        /* F5 SBC zp,X   */ read(O::SBC, Mode::ZeroPageX),
        /* F6 INC zp,X   */ modify(O::INC, Mode::ZeroPageX),
        /* F7 ISB zp,X   */ modify(O::ISB, Mode::ZeroPageX),
        /* F8 SED        */ control(O::SED),
        /* F9 SBC abs,Y  */ read(O::SBC, Mode::AbsoluteY),
        /* FA NOP        */ control(O::NOP),
        /* FB ISB abs,Y  */ modify(O::ISB, Mode::AbsoluteY),
        /* FC NOP abs,X  */ skip<C>(Mode::AbsoluteX),
        /* FD SBC abs,X  */ read(O::SBC, Mode::AbsoluteX),
        /* FE INC abs,X  */ modify(O::INC, Mode::AbsoluteX),
        /* FF ISB abs,X  */ modify(O::ISB, Mode::AbsoluteX),
    }};
}

template <class C>
inline constexpr std::array<OpcodeEntry<C>, 256> kOpcodeTable = makeOpcodeTable<C>();

} // namespace notecast::emu::cpu
