#include "emu/Envelope.h"
#include "emu/SidVoice.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace notecast::emu {
namespace {

class EnvelopeTest : public ::testing::Test {
protected:
    void SetUp() override { resetVoices(voices, tables); }

    // What the conversion run does once per frame: pick the phase by code
    // and keep the code without its change bit.
    static void setPhase(SidVoice& v, std::uint8_t code) {
        v.envPhase = phaseForState(code);
        v.envState = code & 0xDE;
    }
    static void gateOn(SidVoice& v, std::uint8_t ad, std::uint8_t sr) {
        std::tie(v.attackDecay, v.sustainRelease) = std::tuple{ad, sr};
        v.sustainLevel = static_cast<std::uint8_t>(17 * (sr >> 4));
        setPhase(v, kEnvStartAttack);
    }
    static void run(SidVoice& v, int samples) {
        for (int i = 0; i < samples; ++i) v.envPhase(v);
    }
    // Samples run until the level first equals `level` (the sample that gets
    // there included); -1 when it does not within `limit`.
    static int samplesUntil(SidVoice& v, std::uint8_t level, int limit) {
        for (int i = 1; i <= limit; ++i) {
            v.envPhase(v);
            if (v.envLevel == level) return i;
        }
        return -1;
    }

    EnvelopeTables tables;
    SidVoice voices[3];
};

TEST_F(EnvelopeTest, FullDecayAndReleaseTimesMatchTheTable) {
    // Samples from the first at the top of the curve to the first at level
    // 0, against the table time at 44100 Hz. The 16.16 step is truncated, so
    // the slow rates are off by a little more: at most 0.3 % (rate 14).
    for (int rate : {0, 1, 2, 8, 14, 15}) {
        SCOPED_TRACE(rate);
        const double tableSamples = 44100.0 * kDecayTimesMs[rate] * 0.001;
        const double tolerance = rate <= 2 ? 1.0 : tableSamples * 0.003;

        SidVoice& v = voices[0];
        resetEnvelope(v);
        gateOn(v, static_cast<std::uint8_t>(rate), static_cast<std::uint8_t>(rate));
        v.sustainLevel = 0;
        ASSERT_GT(samplesUntil(v, 255, 200), 0);  // attack complete, decay's first sample
        const int decay = 1 + samplesUntil(v, 0, 2'000'000);
        EXPECT_NEAR(decay, tableSamples, tolerance);
        EXPECT_EQ(v.envState, kEnvSustain);
        run(v, 1000);
        EXPECT_EQ(v.envLevel, 0);

        resetEnvelope(v);
        gateOn(v, 0x0F, static_cast<std::uint8_t>(0xF0 | rate));
        ASSERT_GT(samplesUntil(v, 255, 200), 0);
        setPhase(v, kEnvStartRelease);
        const int release = samplesUntil(v, 0, 2'000'000);
        EXPECT_NEAR(release, tableSamples, tolerance);
        EXPECT_EQ(v.envState, kEnvRelease);
        run(v, 1000);
        EXPECT_EQ(v.envLevel, 0);
    }
}

TEST_F(EnvelopeTest, GateOffDuringAttackReleasesFromTheLevelReached) {
    SidVoice& v = voices[1];
    gateOn(v, 0x90, 0x85);  // slow attack, release rate 5
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

} // namespace
} // namespace notecast::emu
