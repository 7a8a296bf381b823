// Tunes on the whole machine: the interrupt-driven versions of traced tunes
// against their play-routine originals (the same music), and a tune that
// plays 8 kHz samples from NMIs, against real time.
#include "convert/Converter.h"
#include "SharedTune.h"
#include "emu/Code6510.h"
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
    using test::stores;
    std::vector<std::uint8_t> f = {'R', 'S', 'I', 'D', 0, 2, 0, 0x7C};  // version 2, data offset
    f.resize(0x7C);
    f[0x0F] = f[0x11] = 1;  // one song, the first
    f[0x77] = 0x04;         // PAL
    // Loads at $1000; the NMI handler at $1040, the IRQ handler at $1060.
    test::Code code = test::join({{0x00, 0x10, 0x78},
                                  stores({{0x0318, 0x40}, {0x0319, 0x10}, {0x0314, 0x60}, {0x0315, 0x10},
                                          {0xDC0D, 0x7F}, {0xDD04, 0x7B}, {0xDD05, 0x00}, {0xDD0D, 0x81}}),
                                  {0x8D, 0x0E, 0xDD},  // start, continuous
                                  stores({{0xD01A, 0x01}, {0xD404, 0x21}, {0xD405, 0x0F}}), {0x58, 0x60}});
    code.resize(2 + 0x40, 0xEA);
    // nmi: PHA, TXA, PHA, LDX $FB, LDA $1100,X, STA $D418, INC $FB, LDA $DD0D, PLA, TAX, PLA, RTI
    code = test::join({code, {0x48, 0x8A, 0x48, 0xA6, 0xFB, 0xBD, 0x00, 0x11, 0x8D, 0x18, 0xD4, 0xE6, 0xFB,
                              0xAD, 0x0D, 0xDD, 0x68, 0xAA, 0x68, 0x40}});
    code.resize(2 + 0x60, 0xEA);
    // irq: INC $D401, acknowledge the raster, JMP $EA81
    code = test::join({code, {0xEE, 0x01, 0xD4}, stores({{0xD019, 0x01}}), {0x4C, 0x81, 0xEA}});
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
