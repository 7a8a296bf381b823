#include "emu/SidSynth.h"

#include "emu/SidVoice.h"

#include <cmath>

namespace notecast::emu {
namespace {

SynthState state;
FilterTables filters;

} // namespace

bool initSynth(const SynthSetup& setup) {
    state.setup = setup;
    buildTables(setup.frequency, setup.altEnvelopeCurve);
    return true;
}

void setSynthPanning(int panningMode) { state.panningMode = panningMode; }

void setSynthClock(int clock) { state.setup.clock = clock; }

void setSynthVoiceLevels(int voice, const VoiceLevels& levels) {
    if (voice >= 1 && voice <= 4) state.voices[voice - 1] = levels;
}

const SynthState& synthState() { return state; }

void buildFilterTables(float base, float divisor, float offset, std::uint32_t frequency) {
    const double rateScale = 44100.0 / (frequency ? frequency : 44100);
    for (int i = 0; i < 2048; ++i) {
        const double c = (std::pow(static_cast<double>(base), i / 2048.0) / divisor + offset) *
                         rateScale;
        // A NaN from odd parameters lands on the lower bound as well.
        filters.cutoff[i] = c >= 1.0 ? 1.0f : (c >= 0.01 ? static_cast<float>(c) : 0.01f);
        filters.bandwidth[i] = static_cast<float>((0.05 + i * 0.00008300781) * rateScale);
    }
    for (int j = 0; j < 16; ++j) filters.resonance[j] = static_cast<float>(2.0 - j / 15.0);
}

const FilterTables& filterTables() { return filters; }

} // namespace notecast::emu
