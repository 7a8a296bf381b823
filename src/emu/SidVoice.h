#pragma once
#include <cstdint>

namespace notecast::emu {

// A tune plays one SID chip, or up to three (a header's further chips): the
// conversion follows three voices per chip, voices 1-3 on the first chip,
// 4-6 on the second, 7-9 on the third. Per-voice state is sized for all nine.
constexpr int kVoicesPerChip = 3;
constexpr int kMaxSidChips = 3;
constexpr int kMaxVoices = kVoicesPerChip * kMaxSidChips;

struct EnvelopeTables;
struct SidVoice;
// Envelope phase operation, run once per output sample; returns the
// amplitude value for the audio path (the conversion reads envLevel instead).
using EnvelopePhase = std::uint16_t (*)(SidVoice&);

// One SID voice: register copies written by the conversion run, the frame's
// gate flags and the envelope state. The three of a chip form a ring: its
// first voice is synchronised by its third, the second by the first, the
// third by the second.
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
    // The generator's tables (the machine's) and the chip's master volume,
    // which only the audio path's output value depends on.
    const EnvelopeTables* tables = nullptr;
    std::uint8_t masterVolume = 15;
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

} // namespace notecast::emu
