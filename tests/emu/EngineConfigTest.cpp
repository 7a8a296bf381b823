#include "emu/AmplitudeTables.h"
#include "emu/EmuEngine.h"
#include "emu/Envelope.h"
#include "emu/SidSynth.h"

#include <gtest/gtest.h>

#include <string>

namespace notecast {
namespace {

class EngineConfigTest : public ::testing::Test {
protected:
    // Sets one field on the current configuration and applies it.
    template <typename F>
    bool apply(F change) {
        EngineConfig c = engine.getConfig();
        change(c);
        return engine.setConfig(c);
    }

    EmuEngine engine;
};

TEST_F(EngineConfigTest, ConstructionSetsTheDefaults) {
    EXPECT_TRUE(engine.ready());
    const EngineConfig c = engine.getConfig();
    EXPECT_EQ(c.frequency, 44100u);
    EXPECT_EQ(c.memoryMode, 32);
    EXPECT_EQ(c.clockSpeed, 1);
    EXPECT_EQ(c.sampleScanCalls, 500);
    EXPECT_EQ(emu::envelopeTables().sampleRate, 44100u);
    // The defaults pass their own validation.
    EXPECT_TRUE(engine.setConfig(c));
}

TEST_F(EngineConfigTest, EveryFieldIsCheckedAgainstItsLimits) {
    struct Case {
        const char* what;
        void (*change)(EngineConfig&);
        bool valid;
    };
    const Case cases[] = {
        {"frequency 3999", [](EngineConfig& c) { c.frequency = 3999; }, false},
        {"frequency 4000", [](EngineConfig& c) { c.frequency = 4000; }, true},
        {"frequency 48000", [](EngineConfig& c) { c.frequency = 48000; }, true},
        {"frequency 48001", [](EngineConfig& c) { c.frequency = 48001; }, false},
        {"memoryMode 31", [](EngineConfig& c) { c.memoryMode = 31; }, false},
        {"memoryMode 33", [](EngineConfig& c) { c.memoryMode = 33; }, true},
        {"memoryMode 34", [](EngineConfig& c) { c.memoryMode = 34; }, true},
        {"memoryMode 35", [](EngineConfig& c) { c.memoryMode = 35; }, false},
        {"clockSpeed 0", [](EngineConfig& c) { c.clockSpeed = 0; }, false},
        {"clockSpeed 2", [](EngineConfig& c) { c.clockSpeed = 2; }, true},
        {"clockSpeed 3", [](EngineConfig& c) { c.clockSpeed = 3; }, false},
        {"sampleEncoding 126", [](EngineConfig& c) { c.sampleEncoding = 126; }, false},
        {"sampleEncoding 128", [](EngineConfig& c) { c.sampleEncoding = 128; }, true},
        {"sampleEncoding 129", [](EngineConfig& c) { c.sampleEncoding = 129; }, false},
        {"channels 0", [](EngineConfig& c) { c.channels = 0; }, false},
        {"channels 2", [](EngineConfig& c) { c.channels = 2; }, true},
        {"channels 3", [](EngineConfig& c) { c.channels = 3; }, false},
        {"bitsPerSample 8", [](EngineConfig& c) { c.bitsPerSample = 8; }, true},
        {"bitsPerSample 12", [](EngineConfig& c) { c.bitsPerSample = 12; }, false},
        {"volumeMode 63", [](EngineConfig& c) { c.volumeMode = 63; }, false},
        {"volumeMode 64", [](EngineConfig& c) { c.volumeMode = 64; }, true},
        {"volumeMode 66", [](EngineConfig& c) { c.volumeMode = 66; }, true},
        {"volumeMode 68", [](EngineConfig& c) { c.volumeMode = 68; }, false},
        {"volumeMode 4095", [](EngineConfig& c) { c.volumeMode = 4095; }, false},
        {"panningMode 0", [](EngineConfig& c) { c.panningMode = 0; }, false},
        {"panningMode 81", [](EngineConfig& c) { c.panningMode = 81; }, false},
        {"filterBase 0.5", [](EngineConfig& c) { c.filterBase = 0.5f; }, false},
        {"filterBase 1.0", [](EngineConfig& c) { c.filterBase = 1.0f; }, true},
        {"filterDivisor 0", [](EngineConfig& c) { c.filterDivisor = 0.0f; }, false},
        {"filterDivisor -3", [](EngineConfig& c) { c.filterDivisor = -3.0f; }, true},
        {"filterOffset -9", [](EngineConfig& c) { c.filterOffset = -9.0f; }, true},
        {"sampleScanCalls 0", [](EngineConfig& c) { c.sampleScanCalls = 0; }, true},
        {"mono volumeMode 67", [](EngineConfig& c) { c.volumeMode = 67; }, false},
        {"stereo volumeMode 67",
         [](EngineConfig& c) { c.channels = 2; c.volumeMode = 67; }, true},
        {"stereo panning 80 with 65",
         [](EngineConfig& c) { c.channels = 2; c.volumeMode = 65; c.panningMode = 80; }, true},
        {"mono panning 80 with 65",
         [](EngineConfig& c) { c.volumeMode = 65; c.panningMode = 80; }, false},
    };
    for (const Case& k : cases) {
        EmuEngine fresh;
        EngineConfig c = fresh.getConfig();
        k.change(c);
        EXPECT_EQ(fresh.setConfig(c), k.valid) << k.what;
        if (k.valid) {
            // An accepted value reads back as given.
            const EngineConfig back = fresh.getConfig();
            EXPECT_EQ(back.frequency, c.frequency) << k.what;
            EXPECT_EQ(back.memoryMode, c.memoryMode) << k.what;
            EXPECT_EQ(back.volumeMode, c.volumeMode) << k.what;
            EXPECT_EQ(back.panningMode, c.panningMode) << k.what;
            EXPECT_EQ(back.filterBase, c.filterBase) << k.what;
        }
    }
}

TEST_F(EngineConfigTest, AnInvalidFieldDoesNotStopTheOthers) {
    EngineConfig c = engine.getConfig();
    c.frequency = 48001;
    c.clockSpeed = 2;
    c.forceClock = true;
    c.channels = 2;
    c.volumeMode = 66;
    c.memoryMode = 99;
    c.sampleScanCalls = 7;
    c.altEnvelopeCurve = false;
    EXPECT_FALSE(engine.setConfig(c));
    const EngineConfig back = engine.getConfig();
    EXPECT_EQ(back.frequency, 44100u);
    EXPECT_EQ(back.memoryMode, 32);
    EXPECT_EQ(back.clockSpeed, 2);
    EXPECT_TRUE(back.forceClock);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.volumeMode, 66);
    EXPECT_EQ(back.sampleScanCalls, 7);
    EXPECT_FALSE(back.altEnvelopeCurve);
    // The envelope tables were rebuilt with the new curve at the old rate.
    EXPECT_EQ(emu::envelopeTables().sampleRate, 44100u);
    EXPECT_EQ(emu::envelopeTables().amplitude[15][1], 256);
    EXPECT_EQ(emu::amplitudeTables().divisor, 1.0);

    c = engine.getConfig();
    c.frequency = 22050;
    EXPECT_TRUE(engine.setConfig(c));
    EXPECT_EQ(emu::envelopeTables().sampleRate, 22050u);
    // floor(22050 * 2.2528605 ms) = 49 samples for the fastest attack.
    EXPECT_EQ(emu::envelopeTables().attackStep[0], 16711680u / 49u);
}

TEST_F(EngineConfigTest, AutoPanningNeedsAPerVoiceVolumeMode) {
    EXPECT_FALSE(apply([](EngineConfig& c) {
        c.channels = 2;
        c.volumeMode = 64;
        c.panningMode = 80;
    }));
    EXPECT_EQ(engine.getConfig().panningMode, 0);
    EXPECT_EQ(emu::synthState().panningMode, 0);

    EXPECT_TRUE(apply([](EngineConfig& c) {
        c.volumeMode = 67;
        c.panningMode = 80;
    }));
    EXPECT_EQ(engine.getConfig().panningMode, 80);
    EXPECT_EQ(emu::synthState().panningMode, 80);
}

TEST_F(EngineConfigTest, InvalidFilterParametersKeepAllThree) {
    EXPECT_TRUE(apply([](EngineConfig& c) {
        c.filterBase = 2.0f;
        c.filterDivisor = 3.0f;
        c.filterOffset = 0.5f;
    }));
    const float cutoffBefore = emu::filterTables().cutoff[1000];
    for (auto bad : {+[](EngineConfig& c) { c.filterBase = 0.5f; c.filterOffset = 0.1f; },
                     +[](EngineConfig& c) { c.filterDivisor = 0.0f; c.filterBase = 9.0f; }}) {
        EXPECT_FALSE(apply(bad));
        const EngineConfig back = engine.getConfig();
        EXPECT_EQ(back.filterBase, 2.0f);
        EXPECT_EQ(back.filterDivisor, 3.0f);
        EXPECT_EQ(back.filterOffset, 0.5f);
        EXPECT_EQ(emu::filterTables().cutoff[1000], cutoffBefore);
    }
}

TEST_F(EngineConfigTest, VoiceVolumes) {
    // Levels of voices 1-4 as "left/right" texts.
    auto levels = [] {
        std::string text;
        for (const emu::VoiceLevels& v : emu::synthState().voices)
            text += std::to_string(v.left) + "/" + std::to_string(v.right) + " ";
        return text;
    };
    // Without per-voice volume control nothing is accepted.
    EXPECT_FALSE(engine.setVoiceVolume(1, 100, 100, 256));

    ASSERT_TRUE(apply([](EngineConfig& c) { c.volumeMode = 64; }));
    EXPECT_EQ(levels(), "255/0 255/0 255/0 255/0 ");
    EXPECT_TRUE(engine.setVoiceVolume(4, 10, 20, 256));
    EXPECT_EQ(levels(), "255/0 255/0 255/0 10/0 ");  // mono: no right side
    EXPECT_FALSE(engine.setVoiceVolume(0, 1, 1, 1));
    EXPECT_FALSE(engine.setVoiceVolume(5, 1, 1, 1));
    EXPECT_FALSE(engine.setVoiceVolume(1, 1, 1, 257));
    EXPECT_FALSE(engine.setVoiceVolume(1, 256, 1, 1));

    ASSERT_TRUE(apply([](EngineConfig& c) { c.channels = 2; }));
    EXPECT_EQ(levels(), "255/0 0/255 255/0 0/255 ");
    EXPECT_TRUE(engine.setVoiceVolume(2, 10, 20, 100));
    EXPECT_EQ(levels(), "255/0 10/20 255/0 0/255 ");

    ASSERT_TRUE(apply([](EngineConfig& c) { c.volumeMode = 67; }));
    EXPECT_EQ(levels(), "255/255 255/255 255/255 255/255 ");
}

} // namespace
} // namespace notecast
