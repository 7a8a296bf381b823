#pragma once
#include "emu/Envelope.h"
#include "emu/SampleChannel.h"
#include "emu/SidVoice.h"

#include <cstdint>

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
    // I/O defaults, KERNAL vectors and the bank register; the pseudo-random
    // raster and timer reads start from `seed`.
    void resetIo(Clock clock, std::uint32_t seed);
    void updateBankFlags();                   // from RAM $0001
    std::uint8_t bankValueFor(std::uint16_t address) const;
    // A data read or write of the CPU, as the memory mode maps it.
    std::uint8_t read(std::uint16_t address) { return readData(*this, address); }
    void write(std::uint16_t address, std::uint8_t value) { writeData(*this, address, value); }

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
    // Links the voices into their ring and resets them onto the envelope
    // tables of this machine.
    void resetVoices() { emu::resetVoices(voices, envelope); }

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
    std::uint8_t lastSidWrite = 0;
    std::uint8_t osc3 = 0, env3 = 0;
    std::uint32_t random = 0;
    bool gateSet[32] = {};
    bool gateCleared[32] = {};
    std::uint8_t playBank = 7;
    Timing timing;
    CpuRegisters cpu;
    // Instructions executed since the machine was reset; counted once per
    // run, so it costs the instruction loop nothing.
    std::uint64_t instructionsExecuted = 0;
    EnvelopeTables envelope;
    SidVoice voices[3];
    std::uint16_t sampleEvent = 0;  // period of the sample being played, 0 = none
    bool sampleEventReported = false;
    SampleChannel sampleChannels[2];
    std::uint32_t sampleStepFactor = 0;  // 16.16: half the CPU cycles per output sample
};

} // namespace notecast::emu
