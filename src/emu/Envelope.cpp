#include "emu/Envelope.h"

#include <cmath>

namespace notecast::emu {

const float kAttackTimesMs[16] = {
    2.2528605f, 8.0099573f, 15.769604f, 23.779562f, 37.296364f, 55.068459f,
    66.833084f, 78.347397f, 98.121979f, 244.55402f, 489.10803f, 782.47272f,
    977.71545f, 2933.647f, 4889.0781f, 7822.7251f};

const float kDecayTimesMs[16] = {
    8.9177771f, 24.594051f, 48.418591f, 73.011665f, 114.51247f, 169.07835f,
    205.19943f, 240.55197f, 301.26611f, 750.85822f, 1501.7155f, 2402.4368f,
    3001.8931f, 9007.2139f, 15010.998f, 24018.211f};

namespace {

constexpr std::uint32_t kLastPosition = kCurveLength - 1;

// Sample count of a rate at the sample rate, worked out in single precision
// as the times are given; at least one sample.
std::uint32_t samplesFor(float sampleRate, float milliseconds) {
    const float n = std::floor(sampleRate * milliseconds * 0.001f);
    if (!(n >= 1.0f)) return 1;
    if (n >= 4294967040.0f) return 0xFFFFFF00u;
    return static_cast<std::uint32_t>(n);
}

void buildCurve(EnvelopeTables& tables) {
    // (levels from, down to, positions per level)
    struct Run { int from, to, length; };
    constexpr Run runs[] = {{255, 95, 2}, {94, 56, 4}, {55, 28, 8}, {27, 16, 16},
                            {15, 8, 32},  {7, 1, 60},  {0, 0, 1}};
    std::uint32_t p = 0;
    for (const Run& run : runs)
        for (int level = run.from; level >= run.to; --level)
            for (int i = 0; i < run.length; ++i)
                tables.curve[p++] = static_cast<std::uint8_t>(level);

    std::uint32_t pos = 0;
    for (int level = 255; level >= 0; --level) {
        while (tables.curve[pos] > level) ++pos;
        tables.inverse[level] = static_cast<std::uint16_t>(pos);
    }
}

void buildAmplitude(EnvelopeTables& tables, bool nonLinearOutput) {
    for (int volume = 0; volume < 16; ++volume) {
        for (int level = 0; level < 256; ++level) {
            int a = level;
            if (nonLinearOutput && level > 0) {
                const double shaped = (1.0 - std::exp(-level / 130.0)) * 293.0 + 4.0;
                a = shaped >= 255.0 ? 255 : static_cast<int>(shaped);
            }
            tables.amplitude[volume][level] =
                static_cast<std::uint16_t>(((a * 17 * volume) / 255) * 256);
        }
    }
}

// --- phase operations ---------------------------------------------------

inline std::uint16_t output(const SidVoice& v) {
    return v.tables->amplitude[v.masterVolume][v.envLevel];
}

std::uint16_t sustain(SidVoice& v) { return output(v); }

std::uint16_t silent(SidVoice&) { return 0; }

std::uint16_t decay(SidVoice& v);
std::uint16_t loweredDecay(SidVoice& v);

inline void enterSustain(SidVoice& v, std::uint8_t level) {
    v.envLevel = level;
    v.envState = kEnvSustain;
    v.envPhase = sustain;
}

// The attack has reached the top: the decay begins at the start of the curve,
// or the voice holds at once when the sustain level is the top level.
inline void completeAttack(SidVoice& v) {
    v.envState = kEnvDecay;
    v.envCounter = 0;
    v.envStep = v.tables->decayStep[v.attackDecay & 15];
    v.envPhase = decay;
    v.envLevel = v.tables->curve[0];
    if (v.envLevel <= v.sustainLevel)
        enterSustain(v, v.sustainLevel);
    else
        v.envCounter = v.envStep;
}

std::uint16_t attack(SidVoice& v) {
    const std::uint32_t position = v.envCounter >> 16;
    if (position < 256) {
        v.envLevel = static_cast<std::uint8_t>(position);
        v.envCounter += v.envStep;
    } else {
        completeAttack(v);
    }
    return output(v);
}

std::uint16_t decay(SidVoice& v) {
    const std::uint32_t position = v.envCounter >> 16;
    if (position < kCurveLength) {
        v.envLevel = v.tables->curve[position];
        if (v.envLevel <= v.sustainLevel)
            enterSustain(v, v.sustainLevel);
        else
            v.envCounter += v.envStep;
    } else {
        enterSustain(v, v.sustainLevel);
    }
    return output(v);
}

std::uint16_t release(SidVoice& v) {
    const std::uint32_t position = v.envCounter >> 16;
    if (position < kCurveLength) {
        v.envLevel = v.tables->curve[position];
        v.envCounter += v.envStep;
    } else {
        v.envLevel = v.tables->curve[kLastPosition];
    }
    return output(v);
}

// Decay from a sustain to a sustain level that was lowered while holding.
std::uint16_t loweredDecay(SidVoice& v) {
    const std::uint32_t position = v.envCounter >> 16;
    if (position < kCurveLength) {
        const std::uint8_t level = v.tables->curve[position];
        if (level > v.sustainLevel) {
            v.envLevel = level;
            v.envCounter += v.envStep;
        } else {
            enterSustain(v, v.sustainLevel);
        }
    } else {
        enterSustain(v, v.tables->curve[kLastPosition]);
    }
    return output(v);
}

std::uint16_t startAttack(SidVoice& v) {
    v.envState = kEnvAttack;
    v.envCounter = static_cast<std::uint32_t>(v.envLevel) << 16;
    v.envStep = v.tables->attackStep[v.attackDecay >> 4];
    v.envPhase = attack;
    return attack(v);
}

std::uint16_t startRelease(SidVoice& v) {
    v.envState = kEnvRelease;
    v.envCounter = static_cast<std::uint32_t>(v.tables->inverse[v.envLevel]) << 16;
    v.envStep = v.tables->decayStep[v.sustainRelease & 15];
    v.envPhase = release;
    return release(v);
}

// An attack limited to holdCount samples; then it ends as a full attack does.
std::uint16_t heldAttack(SidVoice& v) {
    if (v.holdCount == 0) {
        completeAttack(v);
        return output(v);
    }
    --v.holdCount;
    return attack(v);
}

std::uint16_t startAttackAfterHold(SidVoice& v) {
    v.envState = kEnvAttack;
    v.envCounter = static_cast<std::uint32_t>(v.envLevel) << 16;
    v.envStep = v.tables->attackStep[v.attackDecay >> 4];
    v.envPhase = heldAttack;
    v.holdCount = 254;
    return heldAttack(v);
}

// The new-rate variants take the rate from the registers once and then carry
// on as the plain phase.
std::uint16_t attackNewRate(SidVoice& v) {
    v.envStep = v.tables->attackStep[v.attackDecay >> 4];
    v.envPhase = attack;
    return attack(v);
}

std::uint16_t decayNewRate(SidVoice& v) {
    v.envStep = v.tables->decayStep[v.attackDecay & 15];
    v.envPhase = decay;
    return decay(v);
}

std::uint16_t releaseNewRate(SidVoice& v) {
    v.envStep = v.tables->decayStep[v.sustainRelease & 15];
    v.envPhase = release;
    return release(v);
}

std::uint16_t loweredDecayNewRate(SidVoice& v) {
    v.envStep = v.tables->decayStep[v.attackDecay & 15];
    v.envPhase = loweredDecay;
    return loweredDecay(v);
}

// A sustain level that changed while holding: a higher one is not climbed to,
// a lower one is decayed to at the decay rate.
std::uint16_t sustainNewLevel(SidVoice& v) {
    if (v.envLevel <= v.sustainLevel) {
        v.envState = kEnvSustain;
        v.envPhase = sustain;
        return output(v);
    }
    v.envState = kEnvLoweredSustainDecay;
    v.envStep = v.tables->decayStep[v.attackDecay & 15];
    v.envPhase = loweredDecay;
    return loweredDecay(v);
}

// --- many samples at once -------------------------------------------------
//
// Each run below does what `n` calls of its phase operation would do to the
// voice (level, counter, state and phase, all exactly), up to and including
// the sample on which the phase ends, and returns how many samples that took.
// The counter moves by a fixed step per sample, so the sample on which it
// first reaches a curve position is a division away.

// Samples before the counter, starting at c, reaches `limit` (16.16).
std::uint64_t samplesBelow(std::uint64_t c, std::uint64_t limit, std::uint32_t step) {
    return c >= limit ? 0 : (limit - c + step - 1) / step;
}

std::uint32_t runAttack(SidVoice& v, std::uint32_t n) {
    const std::uint64_t c = v.envCounter;
    const std::uint64_t k = samplesBelow(c, std::uint64_t{256} << 16, v.envStep);
    if (n <= k) {
        v.envLevel = static_cast<std::uint8_t>((c + (n - 1) * std::uint64_t{v.envStep}) >> 16);
        v.envCounter = static_cast<std::uint32_t>(c + n * std::uint64_t{v.envStep});
        return n;
    }
    v.envCounter = static_cast<std::uint32_t>(c + k * v.envStep);
    completeAttack(v);
    return static_cast<std::uint32_t>(k + 1);
}

// Decay and lowered decay: the curve falls, so the sustain level is reached
// at the first position at or below it, which the inverse table gives.
// endLevel is the level a decay that ran off the curve holds.
std::uint32_t runDecayTo(SidVoice& v, std::uint32_t n, std::uint8_t endLevel) {
    const EnvelopeTables& t = *v.tables;
    const std::uint64_t c = v.envCounter;
    if ((c >> 16) >= kCurveLength) {
        enterSustain(v, endLevel);
        return 1;
    }
    const std::uint64_t k =
        samplesBelow(c, std::uint64_t{t.inverse[v.sustainLevel]} << 16, v.envStep);
    if (n <= k) {
        v.envLevel = t.curve[(c + (n - 1) * std::uint64_t{v.envStep}) >> 16];
        v.envCounter = static_cast<std::uint32_t>(c + n * std::uint64_t{v.envStep});
        return n;
    }
    v.envCounter = static_cast<std::uint32_t>(c + k * v.envStep);
    enterSustain(v, v.sustainLevel);
    return static_cast<std::uint32_t>(k + 1);
}

std::uint32_t runRelease(SidVoice& v, std::uint32_t n) {
    const EnvelopeTables& t = *v.tables;
    const std::uint64_t c = v.envCounter;
    const std::uint64_t k = samplesBelow(c, std::uint64_t{kCurveLength} << 16, v.envStep);
    if (n <= k) {
        v.envLevel = t.curve[(c + (n - 1) * std::uint64_t{v.envStep}) >> 16];
        v.envCounter = static_cast<std::uint32_t>(c + n * std::uint64_t{v.envStep});
    } else {
        // Off the end of the curve the level stays where the curve ends.
        v.envCounter = static_cast<std::uint32_t>(c + k * v.envStep);
        v.envLevel = t.curve[kLastPosition];
    }
    return n;
}

constexpr EnvelopePhase kPhases[24] = {
    startAttack, startRelease, attack, decay, sustain, release, loweredDecay, silent,
    startAttackAfterHold, silent, silent, silent, silent, silent, silent, silent,
    startAttack, startRelease, attackNewRate, decayNewRate, sustainNewLevel,
    releaseNewRate, loweredDecayNewRate, silent};

} // namespace

EnvelopeTables::EnvelopeTables() { buildTables(*this, 44100, true); }

void buildTables(EnvelopeTables& tables, std::uint32_t sampleRate, bool nonLinearOutput) {
    buildCurve(tables);
    const float rate = static_cast<float>(sampleRate);
    for (int i = 0; i < 16; ++i) {
        tables.attackStep[i] = (255u * 65536u) / samplesFor(rate, kAttackTimesMs[i]);
        tables.decayStep[i] = (kCurveLength * 65536u) / samplesFor(rate, kDecayTimesMs[i]);
        // An absurd rate must not leave a phase that never moves.
        if (tables.attackStep[i] == 0) tables.attackStep[i] = 1;
        if (tables.decayStep[i] == 0) tables.decayStep[i] = 1;
    }
    buildAmplitude(tables, nonLinearOutput);
    tables.sampleRate = sampleRate;
}

void resetEnvelope(SidVoice& voice) {
    voice.envState = kEnvSilent;
    voice.envPhase = silent;
    voice.envCounter = 0;
    voice.envStep = 0;
    voice.envLevel = 0;
    voice.holdCount = 0;
}

EnvelopePhase phaseForState(std::uint8_t envState) {
    const unsigned index = envState >> 1;
    return index < 24 ? kPhases[index] : silent;
}

void resetVoices(std::span<SidVoice, 3> voices, const EnvelopeTables& tables) {
    for (int i = 0; i < 3; ++i) {
        SidVoice& v = voices[i];
        v = SidVoice{};
        v.tables = &tables;
        v.sourceVoice = &voices[(i + 2) % 3];
        v.modulatedVoice = &voices[(i + 1) % 3];
        v.voiceMask = static_cast<std::uint8_t>(1u << i);
        resetEnvelope(v);
    }
}

void advanceEnvelope(SidVoice& v, std::uint32_t samples) {
    while (samples != 0) {
        const EnvelopePhase phase = v.envPhase;
        // Sustaining or silent: nothing changes until the registers do.
        if (phase == nullptr || phase == sustain || phase == silent) return;
        const bool stepped =
            phase == attack || phase == decay || phase == loweredDecay || phase == release;
        std::uint32_t done = 1;
        if (stepped && v.envStep == 0) {
            // A counter that does not move: the first call settles the voice
            // for good unless it ends the phase.
            phase(v);
            if (v.envPhase == phase) return;
        } else if (phase == attack) {
            done = runAttack(v, samples);
        } else if (phase == decay) {
            done = runDecayTo(v, samples, v.sustainLevel);
        } else if (phase == loweredDecay) {
            done = runDecayTo(v, samples, v.tables->curve[kLastPosition]);
        } else if (phase == release) {
            done = runRelease(v, samples);
        } else {
            // The one-sample phases (starts, new rates, held attack).
            phase(v);
        }
        samples -= done;
    }
}

void setMasterVolume(SidVoice (&voices)[3], std::uint8_t volume) {
    for (SidVoice& v : voices) v.masterVolume = volume & 15;
}

} // namespace notecast::emu
