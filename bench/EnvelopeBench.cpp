// Envelope stepping: three voices run sample by sample through repeated
// attack, decay, sustain and release cycles, as the replay pass does.
#include "emu/Envelope.h"

#include <benchmark/benchmark.h>

namespace {

using namespace notecast::emu;

void setPhase(SidVoice& v, std::uint8_t code) {
    v.envPhase = phaseForState(code);
    v.envState = code & 0xDE;
}

void BM_EnvelopeAdsrCycles(benchmark::State& state) {
    const EnvelopeTables tables;
    SidVoice voices[3];
    resetVoices(voices, tables);
    const std::uint8_t ad[3] = {0x09, 0x24, 0x00};
    const std::uint8_t sr[3] = {0x84, 0xA8, 0x02};
    for (int i = 0; i < 3; ++i) {
        voices[i].attackDecay = ad[i];
        voices[i].sustainRelease = sr[i];
        voices[i].sustainLevel = static_cast<std::uint8_t>(17 * (sr[i] >> 4));
    }
    constexpr int kFrameSamples = 882;
    constexpr int kGateFrames = 12;   // held for 12 frames, released for 6
    constexpr int kCycleFrames = 18;
    std::uint64_t frame = 0;
    std::uint32_t sink = 0;
    for (auto _ : state) {
        const int inCycle = static_cast<int>(frame % kCycleFrames);
        for (SidVoice& v : voices) {
            if (inCycle == 0) setPhase(v, kEnvStartAttack);
            else if (inCycle == kGateFrames) setPhase(v, kEnvStartRelease);
        }
        for (int s = 0; s < kFrameSamples; ++s) {
            sink += voices[0].envPhase(voices[0]);
            sink += voices[1].envPhase(voices[1]);
            sink += voices[2].envPhase(voices[2]);
        }
        ++frame;
        benchmark::DoNotOptimize(sink);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFrameSamples * 3);
}
BENCHMARK(BM_EnvelopeAdsrCycles);

} // namespace
