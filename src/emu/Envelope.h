#pragma once
#include "emu/SidVoice.h"

#include <cstdint>

namespace notecast::emu {

// Number of positions on the release curve. Decays and releases walk the
// whole curve in their table time, so every step size derives from it.
constexpr std::uint32_t kCurveLength = 1571;

// The tables of the envelope generator (see buildTables in SidVoice.h).
struct EnvelopeTables {
    // Level at each curve position, falling from 255 to 0 in runs that get
    // longer towards the bottom, like the SID's exponential release.
    std::uint8_t curve[kCurveLength];
    // First curve position at or below each level: where a release that
    // interrupts an attack or a sustain picks up the curve.
    std::uint16_t inverse[256];
    // 16.16 increments per output sample, by rate nibble.
    std::uint32_t attackStep[16];
    std::uint32_t decayStep[16];
    // Output amplitude by master volume and level (audio path only).
    std::uint16_t amplitude[16][256];
    std::uint32_t sampleRate;
};

// The tables as last built; usable before the first buildTables (they start
// out built for 44100 Hz with the non-linear output curve).
const EnvelopeTables& envelopeTables();

// Attack and decay/release times in milliseconds by rate nibble.
extern const float kAttackTimesMs[16];
extern const float kDecayTimesMs[16];

} // namespace notecast::emu
