#pragma once
#include <cstdint>
#include <memory>

namespace notecast::emu {

// What the engine keeps of its audio output path. No conversion renders
// audio: the tables are built so that a configuration reads back as it was
// given and the path stays ready for a player; the envelope tables the
// conversion does use live in the machine.
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

// Filter tables, built for the output sample rate.
struct FilterTables {
    float cutoff[2048];
    float bandwidth[2048];
    float resonance[16];
};

// Sample amplitude tables over a 256 x 256 grid: index volume * 256 +
// unsigned sample, sample 128 being silence.
struct AmplitudeTables {
    std::unique_ptr<std::int8_t[]> voice8;   // one voice, 8 bit, lowered when filtered
    std::unique_ptr<std::int8_t[]> mix8;     // mixed voices, 8 bit
    std::unique_ptr<std::int16_t[]> mix16;   // mixed voices, 16 bit
    double divisor = 4.0;                    // mixing divisor the tables were built with
};

constexpr std::uint32_t kAmplitudeEntries = 256 * 256;

struct AudioPath {
    SynthSetup setup;
    int panningMode = 4096;  // 4096 none, 80 centred auto-panning, 0 refused
    VoiceLevels voices[4];   // voice 4 is the sample channel
    FilterTables filters{};
    AmplitudeTables amplitude;

    // False when memory is short; nothing stays allocated then.
    bool allocateAmplitudeTables();
    // Fills the allocated tables (does nothing when they are not allocated).
    void buildAmplitudeTables(bool filterEnabled, double divisor);
    void buildFilterTables(float base, float divisor, float offset, std::uint32_t frequency);
    void setVoiceLevels(int voice, const VoiceLevels& levels);  // voice 1..4
};

// The divisor that keeps the mixed voices in range.
double mixDivisor(int volumeMode, int channels, bool scanFoundNoActivity);

} // namespace notecast::emu
