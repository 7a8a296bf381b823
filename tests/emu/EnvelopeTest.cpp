// The envelope phases: a release from a level the attack reached, and
// advanceEnvelope against the phase operations called sample by sample (the
// conversion reads level, state and phase after every frame, and a later
// phase change starts from the counter, so all of them must come out the same).
#include "emu/Envelope.h"
#include "emu/SidVoice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

namespace notecast::emu {
namespace {

// What the conversion run does once per frame: pick the phase by code and
// keep the code without its change bit.
void setPhase(SidVoice& v, std::uint8_t code) {
    v.envPhase = phaseForState(code);
    v.envState = code & 0xDE;
}

void run(SidVoice& v, int samples) {
    for (int i = 0; i < samples; ++i) v.envPhase(v);
}

TEST(EnvelopeTest, GateOffDuringAttackReleasesFromTheLevelReached) {
    const EnvelopeTables tables;
    SidVoice voices[3];
    resetVoices(voices, tables);
    SidVoice& v = voices[1];
    v.attackDecay = 0x90;  // slow attack
    v.sustainRelease = 0x85;  // release rate 5
    v.sustainLevel = 17 * 8;
    setPhase(v, kEnvStartAttack);
    run(v, 4000);
    const std::uint8_t reached = v.envLevel;
    ASSERT_GT(reached, 60);
    ASSERT_LT(reached, 200);
    ASSERT_EQ(v.envState, kEnvAttack);

    setPhase(v, kEnvStartRelease);
    v.envPhase(v);
    EXPECT_EQ(v.envLevel, tables.curve[tables.inverse[reached]]);
    EXPECT_TRUE(v.envLevel <= reached && v.envLevel >= reached - 4);  // not from 255, not a jump down
    EXPECT_EQ(v.envStep, tables.decayStep[5]);

    // Gate on again during the release: the attack continues upwards from
    // the level the release had reached.
    run(v, 500);
    const std::uint8_t low = v.envLevel;
    setPhase(v, kEnvStartAttack);
    v.envPhase(v);
    EXPECT_EQ(v.envLevel, low);
    EXPECT_EQ(v.envState, kEnvAttack);
}

void expectSame(const SidVoice& stepped, const SidVoice& batched, const std::string& where) {
    const auto state = [](const SidVoice& v) {
        return std::tuple{v.envLevel, v.envState, v.envCounter, v.envStep, v.envPhase, v.holdCount};
    };
    EXPECT_TRUE(state(stepped) == state(batched)) << where;
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
    const std::uint8_t codes[] = {kEnvStartAttack, kEnvStartRelease, kEnvAttack | kEnvNewRates,
                                  kEnvDecay | kEnvNewRates, kEnvSustain | kEnvNewRates, kEnvRelease | kEnvNewRates,
                                  kEnvLoweredSustainDecay | kEnvNewRates, kEnvAttackAfterHold};
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
        run(a, static_cast<int>(samples));
        advanceEnvelope(b, samples);
        expectSame(a, b, "round " + std::to_string(round) + ", " + std::to_string(samples) + " samples");
        if (::testing::Test::HasFailure()) return;
    }
}

} // namespace
} // namespace notecast::emu
