#pragma once
#include "emu/SidVoice.h"

#include <cstdint>
#include <span>

namespace notecast::emu {

// Number of positions on the release curve. Decays and releases walk the
// whole curve in their table time, so every step size derives from it.
constexpr std::uint32_t kCurveLength = 1571;

// The tables of the envelope generator for one output sample rate. A new
// value is built for 44100 Hz with the non-linear output curve.
struct EnvelopeTables {
    EnvelopeTables();

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

// Rebuilds the tables for a sample rate and output curve.
void buildTables(EnvelopeTables& tables, std::uint32_t sampleRate, bool nonLinearOutput);
// Envelope silent, counter, step and level 0.
void resetEnvelope(SidVoice& voice);
// The phase operation for a phase code (envState >> 1 indexes the table).
EnvelopePhase phaseForState(std::uint8_t envState);
// Runs the voice's envelope for a number of output samples: the same level,
// counter, state and phase as that many calls of its phase operation, in
// time that does not grow with the number of samples. The audio output
// value is not produced.
void advanceEnvelope(SidVoice& voice, std::uint32_t samples);
// Links the three voices of a chip into their ring (voice 1 synchronised by
// voice 3, 2 by 1, 3 by 2) and resets them onto the given tables.
void resetVoices(std::span<SidVoice, 3> voices, const EnvelopeTables& tables);
// SID master volume (0-15, register $D418 bits 0-3) that scales the value the
// phase operations return for the audio path.
void setMasterVolume(SidVoice (&voices)[3], std::uint8_t volume);

// Attack and decay/release times in milliseconds by rate nibble.
extern const float kAttackTimesMs[16];
extern const float kDecayTimesMs[16];

} // namespace notecast::emu
