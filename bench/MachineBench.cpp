// Tunes on the whole machine: the interrupt-driven versions of traced tunes
// against their play-routine originals (the same music), and a tune that
// plays 8 kHz samples from NMIs, against real time.
#include "convert/Converter.h"
#include "SharedTune.h"
#include "tune/SidTune.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace notecast;

constexpr std::uint32_t kSeconds = 90;

void convert(benchmark::State& state, SidTune& tune) {
    ConverterSettings settings;
    settings.playSeconds = kSeconds;
    settings.outputMode = OutputMode::Text;
    const std::string out = (std::filesystem::temp_directory_path() / "notecast-bench-machine.txt").string();
    for (auto _ : state) {
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, tune.getInfo().startSong);
        converter.run(out, true, nullptr);
    }
    // Emulated seconds per second of work.
    state.counters["x_real_time"] = benchmark::Counter(kSeconds, benchmark::Counter::kIsIterationInvariantRate);
    std::error_code ec;
    std::filesystem::remove(out, ec);
}

// The same music twice: "Commando.sid" from psid/, "Commando.cia.sid" from
// rsid-wrapped/.
void BM_SameMusic90Seconds(benchmark::State& state, const char* file, const char* folder) {
    const auto tune = loadSharedTune(state, file, folder);
    if (tune) convert(state, *tune);
}
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Commando_psid, "Commando.sid", "psid")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Commando_cia, "Commando.cia.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Commando_raster, "Commando.raster.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Commando_nmi, "Commando.nmi.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Commando_hwvec, "Commando.hwvec.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Commando_loop, "Commando.loop.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Last_Ninja_psid, "Last_Ninja.sid", "psid")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Last_Ninja_cia, "Last_Ninja.cia.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Monty_psid, "Monty_on_the_Run.sid", "psid")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SameMusic90Seconds, Monty_raster, "Monty_on_the_Run.raster.sid", "rsid-wrapped")->Unit(benchmark::kMillisecond);

// An RSID built here: init starts CIA 2 timer A at 123 cycles (8 kHz) with
// its NMI through $0318 and a 50 Hz raster IRQ through $0314, then returns.
// The NMI handler plays 4-bit samples from a 256-byte table into $D418; the
// IRQ handler steps a note on voice 1.
std::vector<std::uint8_t> sampleTune() {
    std::vector<std::uint8_t> f(0x7C, 0);
    const char magic[] = "RSID";
    for (int i = 0; i < 4; ++i) f[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(magic[i]);
    f[5] = 2;      // version
    f[7] = 0x7C;   // data offset
    f[0x0F] = 1;   // songs
    f[0x11] = 1;   // start song
    f[0x77] = 0x04;  // PAL
    const std::vector<std::uint8_t> code = {
        0x00, 0x10,                          // load address $1000
        0x78,                                // 1000 SEI
        0xA9, 0x40, 0x8D, 0x18, 0x03,        // 1001 LDA #<nmi, STA $0318
        0xA9, 0x10, 0x8D, 0x19, 0x03,        // 1006 LDA #>nmi, STA $0319
        0xA9, 0x60, 0x8D, 0x14, 0x03,        // 100B LDA #<irq, STA $0314
        0xA9, 0x10, 0x8D, 0x15, 0x03,        // 1010 LDA #>irq, STA $0315
        0xA9, 0x7F, 0x8D, 0x0D, 0xDC,        // 1015 LDA #$7F, STA $DC0D   CIA 1 quiet
        0xA9, 0x7B, 0x8D, 0x04, 0xDD,        // 101A LDA #123, STA $DD04
        0xA9, 0x00, 0x8D, 0x05, 0xDD,        // 101F LDA #0, STA $DD05
        0xA9, 0x81, 0x8D, 0x0D, 0xDD,        // 1024 LDA #$81, STA $DD0D
        0x8D, 0x0E, 0xDD,                    // 1029 STA $DD0E            start, continuous
        0xA9, 0x01, 0x8D, 0x1A, 0xD0,        // 102C LDA #1, STA $D01A    raster IRQ on
        0xA9, 0x21, 0x8D, 0x04, 0xD4,        // 1031 LDA #$21, STA $D404
        0xA9, 0x0F, 0x8D, 0x05, 0xD4,        // 1036 LDA #$0F, STA $D405
        0x58, 0x60,                          // 103B CLI, RTS
        0xEA, 0xEA, 0xEA,                    // 103D
        0x48, 0x8A, 0x48,                    // 1040 nmi: PHA, TXA, PHA
        0xA6, 0xFB,                          // 1043 LDX $FB
        0xBD, 0x00, 0x11,                    // 1045 LDA $1100,X
        0x8D, 0x18, 0xD4,                    // 1048 STA $D418
        0xE6, 0xFB,                          // 104B INC $FB
        0xAD, 0x0D, 0xDD,                    // 104D LDA $DD0D
        0x68, 0xAA, 0x68, 0x40,              // 1050 PLA, TAX, PLA, RTI
        0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA,
        0xEE, 0x01, 0xD4,                    // 1060 irq: INC $D401
        0xA9, 0x01, 0x8D, 0x19, 0xD0,        // 1063 LDA #1, STA $D019
        0x4C, 0x81, 0xEA,                    // 1068 JMP $EA81
    };
    f.insert(f.end(), code.begin(), code.end());
    f.resize(0x7C + 2 + 0x100, 0xEA);
    for (int i = 0; i < 256; ++i) f.push_back(static_cast<std::uint8_t>((i * 7) & 0x0F));
    return f;
}

void BM_NmiSamples8kHz90Seconds(benchmark::State& state) {
    const std::vector<std::uint8_t> file = sampleTune();
    SidTune tune(file.data(), file.size());
    if (!tune.status()) {
        state.SkipWithError("sample tune did not load");
        return;
    }
    convert(state, tune);
}
BENCHMARK(BM_NmiSamples8kHz90Seconds)->Unit(benchmark::kMillisecond);

} // namespace
