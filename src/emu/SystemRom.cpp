#include "emu/SystemRom.h"

#include "emu/C64.h"

#include <cstring>
#include <initializer_list>

namespace notecast::emu {

namespace {

// JAM: calls the native part (systemHook) when the KERNAL ROM is visible.
constexpr std::uint8_t kHook = 0x02;
constexpr std::uint16_t kBrkHandler = 0xFE66;
constexpr std::uint16_t kReset = 0xFCE2;
constexpr std::uint16_t kGetin = 0xFFE4;
constexpr std::uint16_t kChrin = 0xFFCF;
constexpr std::uint16_t kUdtim = 0xFFEA;
// Just below the jump table, in as few pages as possible: the tune's own data
// may lie under the ROM (see C64::showTuneData).
constexpr std::uint16_t kJiffyStep = 0xFF5B;
} // namespace

void installSystemRom(std::uint8_t* rom, std::uint8_t* codeMap) {
    std::memset(codeMap, 0, kCodeMapBytes);
    const auto put = [rom, codeMap](std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t b : bytes) {
            rom[address] = b;
            const unsigned offset = address - 0xE000u;
            codeMap[offset >> 3] |= static_cast<std::uint8_t>(1u << (offset & 7u));
            ++address;
        }
    };
    // Calls into routines we do not have return at once.
    std::memset(rom + 0xA000, 0x60, 0x2000);
    std::memset(rom + 0xE000, 0x60, 0x2000);

    // IRQ and BRK entry: save A, X, Y; the status the CPU pushed tells BRK
    // (B set) from IRQ. Arrives at the handler with A = 0 (IRQ), X = S.
    put(0xFF48, {0x48,              // PHA
                      0x8A, 0x48,        // TXA, PHA
                      0x98, 0x48,        // TYA, PHA
                      0xBA,              // TSX
                      0xBD, 0x04, 0x01,  // LDA $0104,X   the pushed status
                      0x29, 0x10,        // AND #$10
                      0xF0, 0x03,        // BEQ irq
                      0x6C, 0x16, 0x03,  // JMP ($0316)   BRK
                      0x6C, 0x14, 0x03}); // irq: JMP ($0314)
    // The system IRQ handler: the jiffy clock, then the handler ends. The
    // real one also scans the keyboard and blinks the cursor.
    put(0xEA31, {0x20, 0xEA, 0xFF});  // JSR $FFEA
    put(0xEA34, {0x4C, 0x7E, 0xEA});  // JMP $EA7E
    put(0xEA7B, {0x4C, 0x7E, 0xEA});  // JMP $EA7E
    put(0xEA7E, {0xAD, 0x0D, 0xDC});  // LDA $DC0D     acknowledges CIA 1
    put(0xEA81, {0x68, 0xA8,          // PLA, TAY
                      0x68, 0xAA,          // PLA, TAX
                      0x68, 0x40});        // PLA, RTI
    // The jiffy clock $A0-$A2, lowest byte last.
    put(kJiffyStep, {0xE6, 0xA2,      // INC $A2
                          0xD0, 0x06,      // BNE done
                          0xE6, 0xA1,      // INC $A1
                          0xD0, 0x02,      // BNE done
                          0xE6, 0xA0,      // INC $A0
                          0x60});          // done: RTS
    // NMI entry, the system NMI handler (acknowledges CIA 2) and its end.
    put(0xFE43, {0x78,                // SEI
                      0x6C, 0x18, 0x03});  // JMP ($0318)
    put(0xFE47, {0x48, 0x8A, 0x48, 0x98, 0x48,  // PHA, TXA, PHA, TYA, PHA
                      0xAD, 0x0D, 0xDD,              // LDA $DD0D
                      0x4C, 0xBC, 0xFE});            // JMP $FEBC
    put(0xFEBC, {0x68, 0xA8, 0x68, 0xAA, 0x68, 0x40});
    put(kBrkHandler, {kHook});
    put(kReset, {kHook});

    // The KERNAL jump table: each entry notes its call, clears C and returns.
    for (int n = 0; n < kKernalEntries; ++n) {
        const auto entry = static_cast<std::uint16_t>(kFirstKernalEntry + 3 * n);
        if (entry == kUdtim)
            put(entry, {0x4C, kJiffyStep & 0xFF, kJiffyStep >> 8});  // JMP jiffy step
        else
            put(entry, {kHook, 0x18, 0x60});                        // hook, CLC, RTS
    }
    put(kIdleAddress, {0x4C, kIdleAddress & 0xFF, kIdleAddress >> 8});  // JMP to itself

    // Hardware vectors: NMI, reset, IRQ/BRK.
    put(0xFFFA, {0x43, 0xFE, kReset & 0xFF, kReset >> 8, 0x48, 0xFF});
}

HookResult systemHook(C64& m, std::uint16_t address) {
    if (address == kBrkHandler || address == kReset) {
        if (m.halt == MachineHalt::None) m.halt = address == kReset ? MachineHalt::Reset : MachineHalt::Brk;
        return HookResult::Halt;
    }
    const int offset = address - kFirstKernalEntry;
    if (offset < 0 || offset % 3 != 0 || offset / 3 >= kKernalEntries) return HookResult::None;
    m.kernalCalls |= std::uint64_t{1} << (offset / 3);
    return address == kGetin || address == kChrin ? HookResult::ReturnZero : HookResult::None;
}

} // namespace notecast::emu
