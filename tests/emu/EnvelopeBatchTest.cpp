// advanceEnvelope against the phase operations called sample by sample: the
// conversion reads level, state and phase after every frame, and a later
// phase change (a new sustain level, a release) starts from the counter, so
// all of them must come out exactly the same.
#include "emu/Envelope.h"
#include "emu/SidVoice.h"

#include <gtest/gtest.h>

#include <random>

namespace notecast::emu {
namespace {

void setPhase(SidVoice& v, std::uint8_t code) {
    v.envPhase = phaseForState(code);
    v.envState = code & 0xDE;
}

void expectSame(const SidVoice& stepped, const SidVoice& batched, const std::string& where) {
    EXPECT_EQ(stepped.envLevel, batched.envLevel) << where;
    EXPECT_EQ(stepped.envState, batched.envState) << where;
    EXPECT_EQ(stepped.envCounter, batched.envCounter) << where;
    EXPECT_EQ(stepped.envStep, batched.envStep) << where;
    EXPECT_EQ(stepped.envPhase, batched.envPhase) << where;
    EXPECT_EQ(stepped.holdCount, batched.holdCount) << where;
}

// Random registers and phase changes at random moments, the way tunes drive
// the envelope: gates on and off, rates changed on the fly, sustain levels
// lowered while holding, attacks after a hold.
TEST(EnvelopeBatch, ManySamplesAtOnceMatchSampleBySample) {
    const EnvelopeTables tables;
    SidVoice stepped[3];
    SidVoice batched[3];
    resetVoices(stepped, tables);
    resetVoices(batched, tables);
    std::mt19937 random(14);
    const std::uint8_t codes[] = {kEnvStartAttack,
                                  kEnvStartRelease,
                                  kEnvAttack | kEnvNewRates,
                                  kEnvDecay | kEnvNewRates,
                                  kEnvSustain | kEnvNewRates,
                                  kEnvRelease | kEnvNewRates,
                                  kEnvLoweredSustainDecay | kEnvNewRates,
                                  kEnvAttackAfterHold};
    for (int round = 0; round < 4000; ++round) {
        SidVoice& a = stepped[0];
        SidVoice& b = batched[0];
        if (random() % 3 == 0) {
            const auto ad = static_cast<std::uint8_t>(random());
            const auto sr = static_cast<std::uint8_t>(random());
            const std::uint8_t code = codes[random() % std::size(codes)];
            for (SidVoice* v : {&a, &b}) {
                v->attackDecay = ad;
                v->sustainRelease = sr;
                // Decays stop at the sustain level; sometimes it drops to 0
                // as the conversion does for a lowered sustain.
                v->sustainLevel = round % 7 == 0 ? 0 : static_cast<std::uint8_t>(17 * (sr >> 4));
                setPhase(*v, code);
            }
        }
        // Mostly frame-sized runs, sometimes one sample or a long stretch.
        const std::uint32_t pick = random() % 10;
        const std::uint32_t samples = pick == 0 ? 1 : pick == 1 ? random() % 200000 : random() % 1800;
        for (std::uint32_t i = 0; i < samples; ++i) a.envPhase(a);
        advanceEnvelope(b, samples);
        expectSame(a, b, "round " + std::to_string(round) + ", " + std::to_string(samples) + " samples");
        if (::testing::Test::HasFailure()) return;
    }
}

} // namespace
} // namespace notecast::emu
