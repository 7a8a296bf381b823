// The engine around the machine: its configuration, and a song's
// initialisation (song index, clock and speed, bank values, interrupt vector).
#include "emu/C64.h"
#include "emu/EmuEngine.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace notecast {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(EngineConfig, EachFieldIsCheckedAndAnInvalidOneStopsNoOther) {
    const struct { const char* what; void (*change)(EngineConfig&); bool accepted; } cases[] = {
        {"defaults", [](EngineConfig&) {}, true},
        {"frequency 4000", [](EngineConfig& c) { c.frequency = 4000; }, true},
        {"frequency 48001", [](EngineConfig& c) { c.frequency = 48001; }, false},
        {"memory mode 34", [](EngineConfig& c) { c.memoryMode = emu::MemoryMode::Romless; }, true},
        {"memory mode 35", [](EngineConfig& c) { c.memoryMode = static_cast<emu::MemoryMode>(35); }, false},
        {"clock 3", [](EngineConfig& c) { c.clockSpeed = static_cast<emu::Clock>(3); }, false},
        {"channels 3", [](EngineConfig& c) { c.channels = 3; }, false},
        {"volume mode 67 needs stereo", [](EngineConfig& c) { c.volumeMode = 67; }, false},
        {"panning 80 needs a per-voice volume mode",
         [](EngineConfig& c) { c.channels = 2; c.volumeMode = 64; c.panningMode = 80; }, false},
        {"filter base below 1", [](EngineConfig& c) { c.filterBase = 0.5f; }, false},
    };
    for (const auto& c : cases) {
        EmuEngine engine;
        EngineConfig config = engine.getConfig();
        c.change(config);
        EXPECT_EQ(engine.setConfig(config), c.accepted) << c.what;
    }

    EmuEngine engine;  // an invalid field keeps its value, the valid ones apply
    EngineConfig c = engine.getConfig();
    c.frequency = 22050;
    c.memoryMode = static_cast<emu::MemoryMode>(99);
    EXPECT_FALSE(engine.setConfig(c));
    EXPECT_EQ(engine.getConfig().memoryMode, emu::MemoryMode::BankSwitching);
    EXPECT_EQ(engine.machine().envelope.sampleRate, 22050u);  // the envelope emulation follows
}

// Init at the load address stores A, X, Y and the bank byte; play at +$0F
// counts its calls and stores the bank byte it ran with.
//   +00 STA $0400 / STX $0401 / STY $0402 / LDA $01 / STA $0404 / RTS
//   +0F INC $0403 / LDA $01 / STA $0405 / RTS
test::PsidBuilder recorderAt(std::uint16_t address) {
    return {.load = address, .init = address, .play = static_cast<std::uint16_t>(address + 0x0F),
            .code = {0x8D, 0x00, 0x04, 0x8E, 0x01, 0x04, 0x8C, 0x02, 0x04, 0xA5, 0x01, 0x8D,
                     0x04, 0x04, 0x60, 0xEE, 0x03, 0x04, 0xA5, 0x01, 0x8D, 0x05, 0x04, 0x60}};
}

std::unique_ptr<SidTune> makeTune(const test::PsidBuilder& b) {
    const Bytes bytes = b.build();
    auto tune = std::make_unique<SidTune>(bytes.data(), bytes.size());
    EXPECT_TRUE(tune->status()) << tune->getInfo().statusText;
    return tune;
}

class EngineInitTest : public ::testing::Test {
protected:
    std::uint8_t ram(std::uint16_t address) { return engine.machine().ram[address]; }

    EmuEngine engine;
};

TEST_F(EngineInitTest, SongIndexGoesToTheInitRoutine) {
    test::PsidBuilder b = recorderAt(0x1000);
    b.songs = 5;
    b.startSong = 4;
    auto tune = makeTune(b);
    // Song asked for, index in A, X and Y: 0 and beyond the tune give the start song.
    for (const auto& [asked, index] : {std::pair{2, 1}, {5, 4}, {0, 3}, {9, 3}}) {
        ASSERT_TRUE(engine.initSong(*tune, static_cast<std::uint16_t>(asked))) << asked;
        EXPECT_EQ((std::vector<int>{ram(0x0400), ram(0x0401), ram(0x0402)}), std::vector<int>(3, index)) << asked;
        EXPECT_EQ(tune->getInfo().currentSong, index + 1) << asked;
        EXPECT_FALSE(engine.initStopped());
    }
}

TEST_F(EngineInitTest, ClockAndSpeedAreChosenAndWrittenBack) {
    struct Case {
        const char* what;
        std::uint8_t flags;
        std::uint32_t speed;
        emu::Clock clockSpeed;
        bool force;
        std::uint8_t clock, songSpeed;
        const char* text;
    };
    const Case cases[] = {
        {"PAL VBI", 0x04, 0, emu::Clock::Pal, false, 1, 50, "50 Hz VBI (PAL)"},
        {"PAL CIA", 0x04, 1, emu::Clock::Pal, false, 1, 60, "CIA 1 Timer A (PAL)"},
        {"NTSC CIA", 0x08, 1, emu::Clock::Pal, false, 2, 60, "CIA 1 Timer A (NTSC)"},
        {"either, engine PAL", 0x0C, 0, emu::Clock::Pal, false, 1, 50, "50 Hz VBI (PAL)"},
        {"either, engine NTSC", 0x0C, 0, emu::Clock::Ntsc, false, 2, 60, "60 Hz VBI (NTSC)"},
        {"unknown, engine NTSC", 0x00, 1, emu::Clock::Ntsc, false, 2, 60, "CIA 1 Timer A (NTSC)"},
        {"unknown, engine PAL", 0x00, 0, emu::Clock::Pal, false, 1, 50, "50 Hz VBI (PAL)"},
        {"NTSC tune, engine PAL unforced", 0x08, 0, emu::Clock::Pal, false, 2, 60, "60 Hz VBI (NTSC)"},
        {"PAL tune forced to NTSC", 0x04, 0, emu::Clock::Ntsc, true, 2, 60, "60 Hz VBI (NTSC)"},
        {"NTSC tune forced to PAL", 0x08, 1, emu::Clock::Pal, true, 1, 60, "CIA 1 Timer A (PAL)"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        EmuEngine fresh;
        EngineConfig c = fresh.getConfig();
        std::tie(c.clockSpeed, c.forceClock) = std::tuple{k.clockSpeed, k.force};
        ASSERT_TRUE(fresh.setConfig(c));
        test::PsidBuilder b = recorderAt(0x1000);
        std::tie(b.flags, b.speed) = std::tuple{k.flags, k.speed};
        auto tune = makeTune(b);
        ASSERT_TRUE(fresh.initSong(*tune, 1));
        const SidTuneInfo info = tune->getInfo();
        EXPECT_STREQ(info.speedText, k.text);
        const bool ntsc = k.clock == 2;
        const emu::C64& m = fresh.machine();
        // Vertical blank: 50 Hz PAL, and NTSC through the 60 Hz timer count;
        // CIA-timed: the timer's own rate, here the default count.
        EXPECT_EQ((std::vector<unsigned>{info.songClock, info.songSpeed, m.timing.cpuClock, m.ram[0x02A6],
                                         m.timing.callsPerSecond}),
                  (std::vector<unsigned>{k.clock, k.songSpeed, ntsc ? 1022727u : 985248u, ntsc ? 0u : 1u,
                                         k.songSpeed == 50 ? 50u : 60u}));
    }
}

TEST_F(EngineInitTest, BankValueFollowsTheRoutineAddress) {
    const struct {
        std::uint16_t address;  // of init; play lies $0F above
        std::uint8_t bank, playBank;
    } cases[] = {{0x0900, 7, 7}, {0x9FF1, 7, 6}, {0xA000, 6, 6}, {0xC000, 6, 6},
                 {0xD000, 4, 4}, {0xDF00, 4, 4}, {0xE000, 5, 5}, {0xFF00, 5, 5}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.address);
        auto tune = makeTune(recorderAt(k.address));
        ASSERT_TRUE(engine.initSong(*tune, 1));
        EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
        EXPECT_EQ((std::vector<int>{ram(0x0404), engine.machine().playBank, ram(0x0405), tune->getInfo().irqAddress}),
                  (std::vector<int>{k.bank, k.playBank, k.playBank, 0}));
    }
    // The ROM-less mode runs everything on plain RAM.
    EngineConfig c = engine.getConfig();
    c.memoryMode = emu::MemoryMode::Romless;
    ASSERT_TRUE(engine.setConfig(c));
    auto tune = makeTune(recorderAt(0xE000));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_EQ(engine.machine().playBank, 4);
}

TEST_F(EngineInitTest, PlayAddressZeroUsesTheInterruptVector) {
    // Init sets a handler at $1010 through the KERNAL vector $0314; the
    // handler counts its calls and stores the bank byte.
    auto tune = makeTune({.play = 0, .code = {0xA9, 0x10, 0x8D, 0x14, 0x03, 0xA9, 0x10, 0x8D, 0x15, 0x03, 0x60, 0, 0,
                                              0, 0, 0, 0xEE, 0x03, 0x04, 0xA5, 0x01, 0x8D, 0x05, 0x04, 0x40}});
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_EQ(tune->getInfo().irqAddress, 0x1010);
    EXPECT_EQ(ram(0x0403), 0);
    EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
    EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
    EXPECT_EQ(ram(0x0403), 2);
    EXPECT_EQ(ram(0x0405), 7);
}

} // namespace
} // namespace notecast
