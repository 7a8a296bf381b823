#pragma once
#include "emu/Cia.h"
#include "emu/Envelope.h"
#include "emu/InterruptFrames.h"
#include "emu/SampleChannel.h"
#include "emu/SidVoice.h"
#include "emu/SystemRom.h"
#include "emu/VicRaster.h"

#include <cstdint>
#include <span>

namespace notecast::emu {

// Memory models. The values are those of the engine configuration.
enum class MemoryMode : int {
    BankSwitching = 32,
    TransparentRom = 33,
    // No ROM and no I/O chips: RAM everywhere, the KERNAL area answering
    // every call with a return; only the SID window still captures writes.
    Romless = 34,
};

// The video standard the machine runs at.
enum class Clock : int { Pal = 1, Ntsc = 2 };

struct C64;
using ReadHandler = std::uint8_t (*)(C64& m, std::uint16_t address);
using WriteHandler = void (*)(C64& m, std::uint16_t address, std::uint8_t value);
// True when a JSR or JMP target lies in ROM that the memory mode shows; such a
// jump is taken as a call of a ROM routine that returns at once.
using RomTargetTest = bool (*)(const C64& m, std::uint16_t target);

// Timing of the play calls.
struct Timing {
    std::uint32_t cpuClock = 985248;
    std::uint16_t defaultCiaCount = 16421;
    std::uint16_t cyclesPerCall = 19705;
    std::uint16_t callsPerSecond = 50;
    std::uint32_t samplesPerCall = 882u << 16;  // 16.16 fixed point
    std::uint32_t sampleAccumulator = 0;        // 16.16 fixed point
    std::uint32_t frequency = 44100;            // output sample rate
    std::uint16_t speed = 50;                   // 50 vertical blank, 60 CIA timer
};

// Registers of the 6510.
struct CpuRegisters {
    std::uint8_t a = 0, x = 0, y = 0;
    std::uint16_t sp = 0x01FF;  // full stack address
    std::uint8_t sr = 0x20;
    std::uint16_t pc = 0;
    bool stackInRange = true;
};

enum class RunResult { Returned, Stopped };

// Why the whole machine stopped running (C64::runMachine).
enum class MachineStop {
    Time,    // the cycle counter reached the end asked for
    Frame,   // a music interrupt handler returned: time for a snapshot
    Halted,  // the tune executed BRK or reset the machine; it stays stopped
};
enum class MachineHalt : std::uint8_t { None, Brk, Reset };

constexpr std::uint32_t kInitBudget = 30'000'000;  // instructions
constexpr std::uint32_t kPlayBudget = 200'000;
constexpr std::uint32_t kMinPlayBudget = 100;
// The budget of one play call: as many instructions as the CPU has cycles
// until the next call (a real routine needs at least two cycles for each),
// within kMinPlayBudget..kPlayBudget. A play routine that never returns then
// costs about one emulated second of work per second of playing time, even
// when the tune sets its timer to the fastest rate.
inline std::uint32_t playBudget(std::uint32_t cyclesPerCall) {
    return cyclesPerCall < kMinPlayBudget ? kMinPlayBudget
           : cyclesPerCall > kPlayBudget  ? kPlayBudget
                                          : cyclesPerCall;
}

// One C64: memory images, bank flags, I/O, timing, sample channels, SID voice
// records and CPU registers, all in one value. Nothing of the machine lives
// outside it, so two machines run side by side without meeting, and a test
// starts from a fresh one. The machine refers to itself (the I/O image
// pointer, the voice ring), so it is neither copied nor moved.
struct C64 {
    C64();
    C64(const C64&) = delete;
    C64& operator=(const C64&) = delete;

    // Back to the state of a freshly made machine.
    void reset();

    // --- memory, I/O and bank switching (Memory.cpp) ---
    void installMemoryMode(MemoryMode mode);  // also the CPU's jump handlers
    void clearMemory();
    // I/O defaults, KERNAL vectors and the bank register, one SID chip; the
    // pseudo-random raster and timer reads start from `seed`.
    void resetIo(Clock clock, std::uint32_t seed);
    void updateBankFlags();                   // from RAM $0001
    std::uint8_t bankValueFor(std::uint16_t address) const;
    // A data read or write of the CPU, as the memory mode maps it.
    std::uint8_t read(std::uint16_t address) { return readData(*this, address); }
    void write(std::uint16_t address, std::uint8_t value) { writeData(*this, address, value); }
    // The SID chips: a read or write of the SID window ($D400-$D7FF) or of
    // a further chip's 32 bytes. A further chip's range belongs to it; the
    // rest of the window reaches the first chip through its mirrors.
    std::uint8_t readSid(std::uint16_t address) const;
    void writeSid(std::uint16_t address, std::uint8_t value);
    // A write to the first chip (the window outside any further chip).
    // Registers $1D-$1F of each of its 32-byte mirrors are the
    // sample-channel registers, each at its own address; the real SID
    // registers fold onto $D400-$D41C.
    void writeFirstSid(std::uint16_t address, std::uint8_t value) {
        lastSidWrite = value;
        const unsigned r = address & 0x1Fu;
        if (r >= 0x1D) {
            io[address] = value;
            return;
        }
        io[address & 0xFC1Fu] = value;
        if (value & 1u)
            gateSet[r] = true;
        else
            gateCleared[r] = true;
    }
    // Places further SID chips at these bases (0: none; a third needs a
    // second), each with its registers cleared.
    void placeExtraSids(std::uint16_t second, std::uint16_t third);
    // The further chip (0 or 1) whose range holds the address, or -1.
    int extraSidAt(std::uint16_t address) const {
        const auto base = static_cast<std::uint16_t>(address & 0xFFE0u);
        if (extraSids[0].base == 0) return -1;
        if (base == extraSids[0].base) return 0;
        return base == extraSids[1].base ? 1 : -1;
    }
    bool inExtraSid(std::uint16_t address) const { return extraSidAt(address) >= 0; }
    // Only for an address inside a further chip.
    [[gnu::noinline]] std::uint8_t readExtraSid(std::uint16_t address) const;
    [[gnu::noinline]] void writeExtraSid(std::uint16_t address, std::uint8_t value);
    // The voices the tune's chips have: 3, 6 or 9.
    int sidVoices() const { return kVoicesPerChip * sidChips; }

    // --- timing (Timing.cpp) ---
    void setupTiming(Clock clock, int speed, std::uint32_t frequency);
    void rereadCiaTimer();                    // CIA-timed songs, once per frame
    std::uint32_t frameSamples();             // output samples covered by one frame

    // --- sample channels (SampleChannels.cpp) ---
    void resetSampleChannels();
    void stepSampleChannels();                // once per frame
    void sampleOutput();                      // once per output sample
    // Sum of the two channels' current output levels (audio path only).
    std::uint8_t sampleLevel() const;

    // --- SID voice records ---
    // Links each chip's voices into their ring and resets them onto the
    // envelope tables of this machine.
    void resetVoices() {
        for (int c = 0; c < kMaxSidChips; ++c)
            emu::resetVoices(std::span<SidVoice, kVoicesPerChip>(voices + kVoicesPerChip * c, kVoicesPerChip),
                             envelope);
    }

    // --- CPU (Cpu.cpp) ---
    // Runs a routine until it returns or the instruction budget is spent.
    // Returned: the routine's final return pulled its address from above the
    // stack page (or the program counter ran off the end of memory).
    // Stopped: the budget ran out first; cpu holds the state reached.
    RunResult runRoutine(std::uint16_t start, std::uint8_t bank, std::uint8_t a,
                         std::uint8_t x, std::uint8_t y, std::uint32_t budget);
    // Continues from the registers in cpu (pc, sp and sr included) for at
    // most `budget` instructions, under the same ending rules as runRoutine;
    // the registers reached are written back. A budget of 1 executes exactly
    // one instruction.
    RunResult execute(std::uint32_t budget);

    // --- the whole machine, for tunes that need it (MachineBus.cpp,
    //     MachineRun.cpp) ---
    // Installs the machine's bus and our system code in the ROM image, and
    // puts RAM, the I/O chips and the SID (one chip) in the state a tune
    // finds after the system has started; time 0.
    void resetMachine(Clock clock);
    // Sets the CPU to enter `start` as a subroutine that returns to the
    // idle address, with A, X and Y = `song`, I and D clear.
    void enterTune(std::uint16_t start, std::uint8_t song);
    // Runs from the registers in cpu, interrupts included, until the cycle
    // counter reaches `until` or something else stops it (see MachineStop).
    // Every instruction takes at least two cycles and every interrupt
    // seven, so the work is bounded by the emulated time.
    MachineStop runMachine(std::uint64_t until);
    // Executes exactly one instruction as runMachine does, without serving
    // devices or interrupts; returns the cycles it took.
    std::uint32_t stepMachine();
    // A 16-bit vector through the banking (the KERNAL ROM or the RAM under it).
    std::uint16_t readVector(std::uint16_t address) const;
    // We have no ROM image: where a ROM is switched in, what the tune itself
    // put into the RAM beneath (loaded there, or written since) shows through
    // (code and tables of tunes made from play-routine files often sit under
    // a ROM they never switch out). Only instruction fetches from the
    // addresses of our system code see that code: a jump to $EA31 is the
    // system's handler, while a table the tune loaded there still reads as
    // the tune's. Marks [start, start + length) as the tune's.
    void markTuneData(std::uint16_t start, std::uint32_t length);
    void markTuneByte(std::uint16_t address) {
        if (underRom(address)) tuneBytes[romIndex(address) >> 3] |= static_cast<std::uint8_t>(1u << (address & 7u));
    }
    // Only for addresses under a ROM.
    bool tuneByteAt(std::uint16_t address) const {
        return (tuneBytes[romIndex(address) >> 3] >> (address & 7u) & 1u) != 0;
    }
    static bool underRom(std::uint16_t address) {
        return (address >= 0xA000 && address < 0xC000) || address >= 0xE000;
    }
    // $A000-$BFFF and $E000-$FFFF as one range.
    static unsigned romIndex(std::uint16_t address) {
        return address >= 0xE000 ? address - 0xC000u : address - 0xA000u;
    }
    // An instruction fetch of the machine: RAM where the banking shows RAM,
    // else the machine's own bus when it is installed (the data read handler
    // otherwise).
    [[gnu::always_inline]] std::uint8_t fetchCodeByte(std::uint16_t address) {
        if (codeInRam[address >> 12]) return ram[address];
        return fetchCode != nullptr ? fetchCode(*this, address) : readData(*this, address);
    }
    // An RTI pulls from sp + 1 (the interrupt records, see InterruptFrames).
    void interruptReturn(std::uint8_t sp);
    // After a device changed: the next event and the interrupt lines.
    void refreshDevices();
    bool irqLine() const { return cia1.interruptActive() || vic.interruptActive(); }

    // Two bytes of slack after RAM are not used: operand fetches wrap.
    std::uint8_t ram[65536];
    std::uint8_t ioRom[65536];
    std::uint8_t* io = ioRom;  // the RAM itself in the ROM-less mode
    MemoryMode memoryMode = MemoryMode::BankSwitching;
    bool basicVisible = true, ioVisible = true, kernalVisible = true;
    // Data accesses of the CPU outside the zero page and the stack. The CPU
    // reaches addresses that every memory mode maps to plain RAM (reads below
    // $A000, writes to $0002-$CFFF) directly, so these see only the rest.
    ReadHandler readData = nullptr;
    WriteHandler writeData = nullptr;
    RomTargetTest romTarget = nullptr;
    // The first SID chip: its registers are the I/O image's $D400-$D41C
    // (plus the sample-channel registers at $1D-$1F of every mirror), the
    // data bus holds the last byte written to it, voice 3's oscillator and
    // envelope read as osc3 and env3.
    std::uint8_t lastSidWrite = 0;
    std::uint8_t osc3 = 0, env3 = 0;
    // Further chips, in header order (base 0: none).
    struct ExtraSid {
        std::uint16_t base = 0;
        std::uint8_t registers[32] = {};
        std::uint8_t lastWrite = 0;
        std::uint8_t osc3 = 0, env3 = 0;
    };
    ExtraSid extraSids[kMaxSidChips - 1];
    int sidChips = 1;
    std::uint32_t random = 0;
    // Control writes with the gate bit set / clear since the flags were
    // last cleared, by chip and register: chip c's register r at 32c + r.
    bool gateSet[32 * kMaxSidChips] = {};
    bool gateCleared[32 * kMaxSidChips] = {};
    std::uint8_t playBank = 7;
    Timing timing;
    CpuRegisters cpu;
    // Instructions executed since the machine was reset; counted once per
    // run, so it costs the instruction loop nothing.
    std::uint64_t instructionsExecuted = 0;
    EnvelopeTables envelope;
    SidVoice voices[kMaxVoices];
    std::uint16_t sampleEvent = 0;  // period of the sample being played, 0 = none
    bool sampleEventReported = false;
    SampleChannel sampleChannels[2];
    std::uint32_t sampleStepFactor = 0;  // 16.16: half the CPU cycles per output sample

    // The whole machine (interrupt-driven tunes only).
    std::uint64_t cycles = 0;        // emulated time since init was entered
    std::uint64_t checkAt = 0;       // the CPU serves the machine once cycles reach this
    std::uint64_t nextEvent = kNever;
    std::uint64_t runUntil = 0;
    Cia cia1, cia2;
    VicRaster vic;
    InterruptFrames interrupts;
    bool nmiEdge = false;            // CIA 2's output became active, not served yet
    bool idleEntered = false;
    std::uint32_t spinAt = kNoSpin;  // a jump or branch to itself, found at this address
    static constexpr std::uint32_t kNoSpin = 0x10000;
    bool frameReady = false;
    MachineHalt halt = MachineHalt::None;
    std::uint64_t haltCycle = 0;
    std::uint64_t kernalCalls = 0;   // bit n: jump-table entry n was called
    std::uint32_t sidWrites = 0;     // writes to the SID chips, for the interrupt records
    std::uint8_t musicVolume = 0;    // $D418 as written outside sample-rate handlers
    std::uint32_t volumeWrites = 0;  // writes to $D418, samples included
    // Per 4 KB: the banking shows plain RAM there (follows the flags above).
    bool codeInRam[16] = {true, true, true, true, true, true, true, true, true, true,
                          false, false, true, false, false, false};
    std::uint8_t tuneBytes[0x4000 / 8] = {};
    ReadHandler fetchCode = nullptr;
    std::uint8_t systemCode[kCodeMapBytes] = {};
};

} // namespace notecast::emu
