#pragma once
#include <cstdint>

namespace notecast::emu {

struct SidVoice;
// Envelope phase operation, run once per output sample; returns the
// amplitude value for the audio path (the conversion reads envLevel instead).
using EnvelopePhase = std::uint16_t (*)(SidVoice&);

// One SID voice: register copies written by the conversion run, the frame's
// gate flags and the envelope state. Three of them form a ring: voice 1 is
// synchronised by voice 3, voice 2 by voice 1, voice 3 by voice 2.
struct SidVoice {
    std::uint32_t frequencyRegister = 0;
    std::uint16_t pulseWidth = 0;
    std::uint8_t control = 0;
    std::uint8_t attackDecay = 0;
    std::uint8_t sustainRelease = 0;
    SidVoice* modulatedVoice = nullptr;
    SidVoice* sourceVoice = nullptr;
    std::uint8_t syncFlag = 0;
    std::uint8_t voiceMask = 0;
    std::uint8_t envState = 14;
    std::uint8_t gateSet = 0;
    std::uint8_t gateCleared = 0;
    EnvelopePhase envPhase = nullptr;
    std::uint32_t envCounter = 0;
    std::uint32_t envStep = 0;
    std::uint8_t envLevel = 0;
    std::uint8_t sustainLevel = 0;
    std::uint8_t holdCount = 0;
};

// Envelope phase codes (envState).
constexpr std::uint8_t kEnvStartAttack = 0;
constexpr std::uint8_t kEnvStartRelease = 2;
constexpr std::uint8_t kEnvAttack = 4;
constexpr std::uint8_t kEnvDecay = 6;
constexpr std::uint8_t kEnvSustain = 8;
constexpr std::uint8_t kEnvRelease = 10;
constexpr std::uint8_t kEnvLoweredSustainDecay = 12;
constexpr std::uint8_t kEnvSilent = 14;
constexpr std::uint8_t kEnvAttackAfterHold = 16;
constexpr std::uint8_t kEnvNewRates = 0x20;

// The tables of the envelope generator, built for one output sample rate.
void buildTables(std::uint32_t sampleRate, bool nonLinearOutput);
// Envelope silent, counter, step and level 0.
void resetEnvelope(SidVoice& voice);
// The phase operation for a phase code (envState >> 1 indexes the table).
EnvelopePhase phaseForState(std::uint8_t envState);
// Links the three voices of the machine into their ring and resets them.
void resetVoices(SidVoice (&voices)[3]);
// SID master volume (0-15, register $D418 bits 0-3) that scales the value the
// phase operations return for the audio path.
void setMasterVolume(std::uint8_t volume);

} // namespace notecast::emu
