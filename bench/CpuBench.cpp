// The 6510 interpreter: emulated instructions per second on player-like code
// and on real tunes' play routines.
#include "emu/CpuTestMachine.h"
#include "SharedTune.h"
#include "tune/SidTune.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

namespace {

using namespace notecast;
using namespace notecast::emu;

// The machine of this benchmark process; each benchmark resets it.
C64& machine() { return *test::currentMachine(); }
using test::freshMachine;
using test::poke;

// A play routine shaped like a real one: per voice a subroutine that steps
// a pattern position, looks the note up in frequency tables, adds a
// vibrato offset, picks a waveform by comparison, and writes the voice's
// SID registers through indexed and indirect stores. The three voices are
// run ten times per call to make a frame's worth of work.
void placePlayer() {
    // 1000        LDA #10 : STA $F2                  ten frames
    // 1004 frame: LDX #2
    // 1006 voice: STX $F0 : JSR $1040 : LDX $F0 : DEX : BPL voice
    // 1010        INC $F1 : LDA $F1 : AND #$0F : ORA #$10 : STA $D418
    // 101B        DEC $F2 : BNE frame : RTS
    poke(0x1000, {
        0xA9, 0x0A, 0x85, 0xF2, 0xA2, 0x02, 0x86, 0xF0, 0x20, 0x40, 0x10, 0xA6, 0xF0, 0xCA, 0x10, 0xF6, 0xE6, 0xF1,
        0xA5, 0xF1, 0x29, 0x0F, 0x09, 0x10, 0x8D, 0x18, 0xD4, 0xC6, 0xF2, 0xD0, 0xE5, 0x60});
    // 1040        LDY $1410,X : INY : TYA : STA $1410,X   pattern position
    // 1048        LDA $1300,Y : TAY                       note
    // 104C        LDA $1400,X : TAX                       voice register offset
    // 1050        LDA $1100,Y : CLC : ADC $F1 : STA $D400,X   frequency low, vibrato
    // 1059        LDA $1200,Y : ADC #0 : STA $D401,X      frequency high
    // 1061        LDA $F1 : SEC : SBC #$40 : BCC gateoff : LDA #$41 : BNE store
    // 106C gateoff: LDA #$40
    // 106E store: STA $D404,X : LDA ($FA),Y : STA $D402,X : RTS   pulse table
    poke(0x1040, {
        0xBC, 0x10, 0x14, 0xC8, 0x98, 0x9D, 0x10, 0x14, 0xB9, 0x00, 0x13, 0xA8, 0xBD, 0x00, 0x14, 0xAA, 0xB9, 0x00,
        0x11, 0x18, 0x65, 0xF1, 0x9D, 0x00, 0xD4, 0xB9, 0x00, 0x12, 0x69, 0x00, 0x9D, 0x01, 0xD4, 0xA5, 0xF1, 0x38,
        0xE9, 0x40, 0x90, 0x04, 0xA9, 0x41, 0xD0, 0x02, 0xA9, 0x40, 0x9D, 0x04, 0xD4, 0xB1, 0xFA, 0x9D, 0x02, 0xD4,
        0x60});
    C64& m = machine();
    for (int i = 0; i < 256; ++i) {
        m.ram[0x1100 + i] = static_cast<std::uint8_t>(i * 37);
        m.ram[0x1200 + i] = static_cast<std::uint8_t>(i / 4);
        m.ram[0x1300 + i] = static_cast<std::uint8_t>((i * 7) & 0x5F);
        m.ram[0x1500 + i] = static_cast<std::uint8_t>(i ^ 0x55);
    }
    poke(0x1400, {0, 7, 14});
    m.ram[0xFA] = 0x00;
    m.ram[0xFB] = 0x15;
}

void BM_PlayerLikeCode(benchmark::State& state) {
    freshMachine();
    placePlayer();
    const std::uint64_t before = machine().instructionsExecuted;
    for (auto _ : state) {
        const RunResult r = machine().runRoutine(0x1000, 7, 0, 0, 0, kPlayBudget);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(machine().instructionsExecuted - before));
}
BENCHMARK(BM_PlayerLikeCode);

// A real tune: its init routine once, then its play routine for 90 seconds
// of 50 Hz frames per iteration.
void BM_TunePlay90Seconds(benchmark::State& state, const char* file) {
    const auto loaded = loadSharedTune(state, file);
    if (!loaded) return;
    SidTune& tune = *loaded;
    const SidTuneInfo info = tune.getInfo();
    const std::uint16_t song = tune.selectSong(info.startSong);
    freshMachine();
    C64& m = machine();
    tune.placeInC64Memory(m.ram);
    const auto index = static_cast<std::uint8_t>(song - 1);
    m.runRoutine(info.initAddress, m.bankValueFor(info.initAddress), index, index, index, kInitBudget);
    const std::uint16_t play = info.playAddress;
    const std::uint8_t bank = m.bankValueFor(play);

    const std::uint64_t before = machine().instructionsExecuted;
    std::int64_t frames = 0;
    for (auto _ : state) {
        for (int frame = 0; frame < 90 * 50; ++frame) {
            const RunResult r = m.runRoutine(play, bank, 0, 0, 0, kPlayBudget);
            benchmark::DoNotOptimize(r);
        }
        frames += 90 * 50;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(machine().instructionsExecuted - before));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_TunePlay90Seconds, Monty_on_the_Run, "Monty_on_the_Run.sid")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TunePlay90Seconds, Commando, "Commando.sid")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TunePlay90Seconds, Last_Ninja, "Last_Ninja.sid")->Unit(benchmark::kMillisecond);

} // namespace
