#pragma once
#include <cstdint>

namespace notecast::emu {

// What the emulator's audio output path keeps of its configuration. The
// conversion renders no audio; it uses the envelope tables that initSynth
// builds and the voice records. The rest is held so that a configuration
// reads back as it was given.
struct SynthSetup {
    std::uint32_t frequency = 44100;
    bool altEnvelopeCurve = true;
    bool secondWaveformSet = false;
    bool filterEnabled = true;
    int clock = 1;  // 1 PAL, 2 NTSC
};

struct VoiceLevels {
    std::uint8_t left = 0;
    std::uint8_t right = 0;
    std::uint16_t total = 0;
};

struct SynthState {
    SynthSetup setup;
    int panningMode = 4096;
    VoiceLevels voices[4];  // voice 4 is the sample channel
};

// Filter tables of the audio path, built for the output sample rate.
struct FilterTables {
    float cutoff[2048];
    float bandwidth[2048];
    float resonance[16];
};

// Builds the envelope tables for the setup's rate and curve; true on success.
bool initSynth(const SynthSetup& setup);
// The panning mode (4096 none, 80 centred auto-panning, 0 refused).
void setSynthPanning(int panningMode);
void setSynthClock(int clock);
void setSynthVoiceLevels(int voice, const VoiceLevels& levels);  // voice 1..4
const SynthState& synthState();

void buildFilterTables(float base, float divisor, float offset, std::uint32_t frequency);
const FilterTables& filterTables();

} // namespace notecast::emu
