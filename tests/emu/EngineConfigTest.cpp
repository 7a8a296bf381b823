#include "emu/EmuEngine.h"
#include "emu/Envelope.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace notecast {
namespace {

class EngineConfigTest : public ::testing::Test {
protected:
    // Changes the current configuration and applies it.
    template <typename F>
    bool apply(F change) {
        EngineConfig c = engine.getConfig();
        change(c);
        return engine.setConfig(c);
    }

    EmuEngine engine;
};

// One field of the configuration, set and read as a number.
struct Field {
    const char* name;
    std::function<void(EngineConfig&, double)> set;
    std::function<double(const EngineConfig&)> get;
};
template <typename T>
Field field(const char* name, T EngineConfig::*member) {
    if constexpr (std::is_enum_v<T>) {
        return {name, [member](EngineConfig& c, double v) { c.*member = static_cast<T>(static_cast<int>(v)); },
                [member](const EngineConfig& c) { return static_cast<double>(static_cast<int>(c.*member)); }};
    } else {
        return {name, [member](EngineConfig& c, double v) { c.*member = static_cast<T>(v); },
                [member](const EngineConfig& c) { return static_cast<double>(c.*member); }};
    }
}

TEST_F(EngineConfigTest, EveryFieldIsCheckedAgainstItsLimits) {
    EXPECT_TRUE(engine.ready());
    EXPECT_TRUE(engine.setConfig(engine.getConfig()));  // the defaults pass their own checks

    using C = EngineConfig;
    const struct {
        Field field;
        std::vector<std::pair<double, bool>> values;  // value, accepted
    } cases[] = {
        {field("frequency", &C::frequency), {{3999, false}, {4000, true}, {48000, true}, {48001, false}}},
        {field("memoryMode", &C::memoryMode), {{31, false}, {33, true}, {34, true}, {35, false}}},
        {field("clockSpeed", &C::clockSpeed), {{0, false}, {2, true}, {3, false}}},
        {field("sampleEncoding", &C::sampleEncoding), {{126, false}, {128, true}, {129, false}}},
        {field("channels", &C::channels), {{0, false}, {2, true}, {3, false}}},
        {field("bitsPerSample", &C::bitsPerSample), {{8, true}, {12, false}}},
        {field("volumeMode", &C::volumeMode),
         {{63, false}, {64, true}, {66, true}, {67, false}, {68, false}, {4095, false}}},  // 67 needs stereo
        {field("panningMode", &C::panningMode), {{0, false}, {81, false}}},
        {field("filterBase", &C::filterBase), {{0.5, false}, {1.0, true}}},
        {field("filterDivisor", &C::filterDivisor), {{0, false}, {-3, true}}},
        {field("filterOffset", &C::filterOffset), {{-9, true}}},
        {field("sampleScanCalls", &C::sampleScanCalls), {{0, true}}},
    };
    for (const auto& c : cases) {
        for (const auto& [value, accepted] : c.values) {
            SCOPED_TRACE(std::string(c.field.name) + " " + std::to_string(value));
            EmuEngine fresh;
            EngineConfig config = fresh.getConfig();
            c.field.set(config, value);
            EXPECT_EQ(fresh.setConfig(config), accepted);
            if (accepted) {
                EXPECT_EQ(c.field.get(fresh.getConfig()), value);
            }
        }
    }

    const struct {
        const char* what;
        void (*change)(EngineConfig&);
        bool valid;
    } pairs[] = {
        {"stereo volumeMode 67", [](EngineConfig& c) { c.channels = 2; c.volumeMode = 67; }, true},
        {"stereo panning 80 with 65",
         [](EngineConfig& c) { c.channels = 2; c.volumeMode = 65; c.panningMode = 80; }, true},
        {"mono panning 80 with 65", [](EngineConfig& c) { c.volumeMode = 65; c.panningMode = 80; }, false},
    };
    for (const auto& k : pairs) {
        EmuEngine fresh;
        EngineConfig c = fresh.getConfig();
        k.change(c);
        EXPECT_EQ(fresh.setConfig(c), k.valid) << k.what;
    }
}

TEST_F(EngineConfigTest, AnInvalidFieldDoesNotStopTheOthers) {
    EngineConfig c = engine.getConfig();
    c.frequency = 48001;
    c.clockSpeed = emu::Clock::Ntsc;
    c.forceClock = true;
    c.channels = 2;
    c.volumeMode = 66;
    c.memoryMode = static_cast<emu::MemoryMode>(99);
    c.sampleScanCalls = 7;
    c.altEnvelopeCurve = false;
    EXPECT_FALSE(engine.setConfig(c));
    const EngineConfig back = engine.getConfig();
    EXPECT_EQ(back.frequency, 44100u);
    EXPECT_EQ(back.memoryMode, emu::MemoryMode::BankSwitching);
    EXPECT_EQ(back.clockSpeed, emu::Clock::Ntsc);
    EXPECT_TRUE(back.forceClock);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.volumeMode, 66);
    EXPECT_EQ(back.sampleScanCalls, 7);
    EXPECT_FALSE(back.altEnvelopeCurve);
    EXPECT_EQ(engine.machine().envelope.sampleRate, 44100u);

    EXPECT_TRUE(apply([](EngineConfig& k) { k.frequency = 22050; }));
    EXPECT_EQ(engine.machine().envelope.sampleRate, 22050u);
}

TEST_F(EngineConfigTest, AutoPanningNeedsAPerVoiceVolumeMode) {
    EXPECT_FALSE(apply([](EngineConfig& c) {
        c.channels = 2;
        c.volumeMode = 64;
        c.panningMode = 80;
    }));
    EXPECT_EQ(engine.getConfig().panningMode, 0);
    EXPECT_EQ(engine.audioPath().panningMode, 0);

    EXPECT_TRUE(apply([](EngineConfig& c) {
        c.volumeMode = 67;
        c.panningMode = 80;
    }));
    EXPECT_EQ(engine.getConfig().panningMode, 80);
    EXPECT_EQ(engine.audioPath().panningMode, 80);
}

TEST_F(EngineConfigTest, InvalidFilterParametersKeepAllThree) {
    EXPECT_TRUE(apply([](EngineConfig& c) {
        c.filterBase = 2.0f;
        c.filterDivisor = 3.0f;
        c.filterOffset = 0.5f;
    }));
    const float cutoffBefore = engine.audioPath().filters.cutoff[1000];
    for (auto bad : {+[](EngineConfig& c) { c.filterBase = 0.5f; c.filterOffset = 0.1f; },
                     +[](EngineConfig& c) { c.filterDivisor = 0.0f; c.filterBase = 9.0f; }}) {
        EXPECT_FALSE(apply(bad));
        const EngineConfig back = engine.getConfig();
        EXPECT_EQ(back.filterBase, 2.0f);
        EXPECT_EQ(back.filterDivisor, 3.0f);
        EXPECT_EQ(back.filterOffset, 0.5f);
        EXPECT_EQ(engine.audioPath().filters.cutoff[1000], cutoffBefore);
    }
}

TEST_F(EngineConfigTest, VoiceVolumesNeedPerVoiceControlAndValuesInRange) {
    const emu::VoiceLevels& voice2 = engine.audioPath().voices[1];
    EXPECT_FALSE(engine.setVoiceVolume(2, 100, 100, 256));
    ASSERT_TRUE(apply([](EngineConfig& c) { c.volumeMode = 64; }));
    EXPECT_TRUE(engine.setVoiceVolume(2, 10, 20, 256));
    EXPECT_EQ(voice2.left, 10);
    EXPECT_EQ(voice2.right, 0);  // mono: no right side
    for (auto [voice, left, total] : {std::array{0, 1, 1}, {5, 1, 1}, {1, 1, 257}, {1, 256, 1}}) {
        EXPECT_FALSE(engine.setVoiceVolume(voice, left, 1, total)) << voice << " " << left << " " << total;
    }
    // Stereo: the default levels alternate between the sides.
    ASSERT_TRUE(apply([](EngineConfig& c) { c.channels = 2; }));
    EXPECT_EQ(voice2.left, 0);
    EXPECT_EQ(voice2.right, 255);
    EXPECT_TRUE(engine.setVoiceVolume(2, 10, 20, 100));
    EXPECT_EQ(voice2.right, 20);
}

} // namespace
} // namespace notecast
