#include "emu/C64.h"
#include "emu/EmuEngine.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace notecast {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Init at the load address stores A, X, Y and the bank byte; play at +$0F
// counts its calls and stores the bank byte it ran with.
//   +00 STA $0400 / STX $0401 / STY $0402 / LDA $01 / STA $0404 / RTS
//   +0F INC $0403 / LDA $01 / STA $0405 / RTS
const Bytes kRecorder = {0x8D, 0x00, 0x04, 0x8E, 0x01, 0x04, 0x8C, 0x02, 0x04, 0xA5,
                         0x01, 0x8D, 0x04, 0x04, 0x60, 0xEE, 0x03, 0x04, 0xA5, 0x01,
                         0x8D, 0x05, 0x04, 0x60};

test::PsidBuilder recorderAt(std::uint16_t address) {
    test::PsidBuilder b;
    b.load = address;
    b.init = address;
    b.play = static_cast<std::uint16_t>(address + 0x0F);
    b.code = kRecorder;
    return b;
}

std::unique_ptr<SidTune> makeTune(const test::PsidBuilder& b) {
    const Bytes bytes = b.build();
    auto tune = std::make_unique<SidTune>(bytes.data(), bytes.size());
    EXPECT_TRUE(tune->status()) << tune->getInfo().statusText;
    return tune;
}

class EngineInitTest : public ::testing::Test {
protected:
    void configure(void (*change)(EngineConfig&)) {
        EngineConfig c = engine.getConfig();
        change(c);
        ASSERT_TRUE(engine.setConfig(c));
    }
    std::uint8_t ram(std::uint16_t address) { return engine.machine().ram[address]; }
    emu::C64& machine() { return engine.machine(); }

    EmuEngine engine;
};

TEST_F(EngineInitTest, SongIndexGoesToTheInitRoutine) {
    test::PsidBuilder b = recorderAt(0x1000);
    b.songs = 5;
    b.startSong = 4;
    auto tune = makeTune(b);
    const struct {
        std::uint16_t asked;
        std::uint8_t index;
    } cases[] = {{2, 1}, {5, 4}, {0, 3}, {9, 3}};
    for (const auto& k : cases) {
        ASSERT_TRUE(engine.initSong(*tune, k.asked)) << k.asked;
        EXPECT_EQ(ram(0x0400), k.index) << k.asked;
        EXPECT_EQ(ram(0x0401), k.index) << k.asked;
        EXPECT_EQ(ram(0x0402), k.index) << k.asked;
        EXPECT_EQ(tune->getInfo().currentSong, k.index + 1) << k.asked;
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
        std::uint8_t clock;
        std::uint8_t songSpeed;
        const char* text;
    };
    const Case cases[] = {
        {"PAL VBI", 0x04, 0, emu::Clock::Pal, false, 1, 50, "50 Hz VBI (PAL)"},
        {"PAL CIA", 0x04, 1, emu::Clock::Pal, false, 1, 60, "CIA 1 Timer A (PAL)"},
        {"NTSC VBI", 0x08, 0, emu::Clock::Pal, false, 2, 60, "60 Hz VBI (NTSC)"},
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
        c.clockSpeed = k.clockSpeed;
        c.forceClock = k.force;
        ASSERT_TRUE(fresh.setConfig(c));
        test::PsidBuilder b = recorderAt(0x1000);
        b.flags = k.flags;
        b.speed = k.speed;
        auto tune = makeTune(b);
        ASSERT_TRUE(fresh.initSong(*tune, 1));

        const SidTuneInfo info = tune->getInfo();
        EXPECT_EQ(info.songClock, k.clock);
        EXPECT_EQ(info.songSpeed, k.songSpeed);
        EXPECT_STREQ(info.speedText, k.text);

        const bool ntsc = k.clock == 2;
        EXPECT_EQ(fresh.machine().timing.cpuClock, ntsc ? 1022727u : 985248u);
        EXPECT_EQ(fresh.machine().ram[0x02A6], ntsc ? 0 : 1);
        // Vertical blank: 50 Hz PAL, and NTSC through the 60 Hz timer count.
        // CIA-timed: the timer's own rate, here the default count.
        EXPECT_EQ(fresh.machine().timing.callsPerSecond, k.songSpeed == 50 ? 50 : 60);
    }
}

TEST_F(EngineInitTest, BankValueFollowsTheRoutineAddress) {
    const struct {
        std::uint16_t address;        // of init; play lies $0F above
        std::uint8_t bank, playBank;
    } cases[] = {{0x0900, 7, 7}, {0x9FF1, 7, 6}, {0xA000, 6, 6}, {0xC000, 6, 6},
                 {0xD000, 4, 4}, {0xDF00, 4, 4}, {0xE000, 5, 5}, {0xFF00, 5, 5}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.address);
        auto tune = makeTune(recorderAt(k.address));
        ASSERT_TRUE(engine.initSong(*tune, 1));
        EXPECT_EQ(ram(0x0404), k.bank);
        EXPECT_EQ(machine().playBank, k.playBank);
        EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
        EXPECT_EQ(ram(0x0405), k.playBank);
        EXPECT_EQ(tune->getInfo().irqAddress, 0);
    }

    // The ROM-less mode runs everything on plain RAM.
    configure([](EngineConfig& c) { c.memoryMode = emu::MemoryMode::Romless; });
    auto tune = makeTune(recorderAt(0xE000));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_EQ(machine().playBank, 4);
}

TEST_F(EngineInitTest, PlayAddressZeroUsesTheInterruptVector) {
    // Init sets a handler at $1010 through the KERNAL vector $0314; the
    // handler counts its calls and stores the bank byte.
    test::PsidBuilder kernal;
    kernal.play = 0;
    kernal.code = {0xA9, 0x10, 0x8D, 0x14, 0x03, 0xA9, 0x10, 0x8D, 0x15, 0x03, 0x60,
                   0,    0,    0,    0,    0,    0xEE, 0x03, 0x04, 0xA5, 0x01, 0x8D,
                   0x05, 0x04, 0x40};
    auto tune = makeTune(kernal);
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_EQ(tune->getInfo().irqAddress, 0x1010);
    EXPECT_EQ(ram(0x0403), 0);
    EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
    EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
    EXPECT_EQ(ram(0x0403), 2);
    EXPECT_EQ(ram(0x0405), 7);

    // With the KERNAL switched out ($01 = $35) the hardware vector counts;
    // $0314 still holds the KERNAL's own handler.
    test::PsidBuilder hardware = kernal;
    hardware.code = {0xA9, 0x35, 0x85, 0x01, 0xA9, 0x10, 0x8D, 0xFE, 0xFF, 0xA9, 0x10,
                     0x8D, 0xFF, 0xFF, 0x60, 0,    0xEE, 0x03, 0x04, 0xA5, 0x01, 0x8D,
                     0x05, 0x04, 0x40};
    tune = makeTune(hardware);
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_EQ(tune->getInfo().irqAddress, 0x1010);
    EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);
    EXPECT_EQ(ram(0x0403), 1);
    EXPECT_EQ(ram(0x0405), 0x35);
    EXPECT_EQ(machine().playBank, 0x35);
}

// Play routine that writes the sample register $D43D on its n-th call.
test::PsidBuilder sampleOnCall(std::uint8_t n) {
    test::PsidBuilder b;
    b.play = 0x1001;
    // +00 RTS / +01 INC $0403 / LDA $0403 / CMP #n / BNE +3 / STA $D43D / RTS
    b.code = {0x60, 0xEE, 0x03, 0x04, 0xAD, 0x03, 0x04, 0xC9, n,
              0xD0, 0x03, 0x8D, 0x3D, 0xD4, 0x60};
    return b;
}

TEST_F(EngineInitTest, SampleScanSpendsItsPlayCalls) {
    configure([](EngineConfig& c) { c.sampleScanCalls = 5; });

    // Samples start in the last call of the scan: found.
    auto tune = makeTune(sampleOnCall(5));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_FALSE(engine.noSampleActivity());
    EXPECT_EQ(engine.audioPath().amplitude.divisor, 4.0);
    // Initialised again after the scan: fresh memory, no play call counted.
    EXPECT_EQ(ram(0x0403), 0);
    EXPECT_EQ(machine().io[0xD43D], 0);

    // One call later than the scan goes: no activity.
    tune = makeTune(sampleOnCall(6));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_TRUE(engine.noSampleActivity());
    EXPECT_EQ(engine.audioPath().amplitude.divisor, 3.0);
    EXPECT_EQ(ram(0x0403), 0);

    // Samples on the first call.
    tune = makeTune(sampleOnCall(1));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_FALSE(engine.noSampleActivity());
    EXPECT_EQ(engine.audioPath().amplitude.divisor, 4.0);

    // Scanning off: no play call, and the divisor for tunes with samples.
    configure([](EngineConfig& c) { c.sampleScanCalls = 0; });
    tune = makeTune(sampleOnCall(6));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_EQ(engine.audioPath().amplitude.divisor, 4.0);
}

TEST_F(EngineInitTest, RoutinesThatNeverReturnAreStopped) {
    configure([](EngineConfig& c) { c.sampleScanCalls = 0; });
    test::PsidBuilder loop;
    loop.code = {0x4C, 0x00, 0x10, 0x4C, 0x03, 0x10};  // init and play: JMP to itself
    auto tune = makeTune(loop);
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_TRUE(engine.initStopped());
    EXPECT_EQ(engine.playCall(), emu::RunResult::Stopped);

    // The scan goes on past play calls that are stopped.
    configure([](EngineConfig& c) { c.sampleScanCalls = 3; });
    test::PsidBuilder playLoop = loop;
    playLoop.code[0] = 0x60;  // init returns at once
    tune = makeTune(playLoop);
    ASSERT_TRUE(engine.initSong(*tune, 1));
    EXPECT_FALSE(engine.initStopped());
    EXPECT_TRUE(engine.noSampleActivity());
}

// Records that the player hook ran and gives the tune the player's entry
// points, as the built-in player installation does.
class PlayerHookTune : public SidTune {
public:
    using SidTune::SidTune;
    bool installVudidazerPlayer(std::uint8_t* memory) override {
        ++installs;
        // $CC90: STA $0400 / INC $0401 / RTS.
        const std::uint8_t entry[] = {0x8D, 0x00, 0x04, 0xEE, 0x01, 0x04, 0x60};
        for (std::size_t i = 0; i < sizeof entry; ++i) memory[0xCC90 + i] = entry[i];
        info_.initAddress = 0xCC90;
        info_.playAddress = 0;
        return true;
    }
    int installs = 0;
};

TEST_F(EngineInitTest, BuiltInPlayerTunesGetThePlayerInstalled) {
    test::PsidBuilder b = recorderAt(0x0900);
    b.flags = 0x05;  // PAL, built-in player
    const Bytes bytes = b.build();
    PlayerHookTune tune(bytes.data(), bytes.size());
    ASSERT_TRUE(tune.status());
    ASSERT_TRUE(tune.getInfo().usesVudidazerPlayer);
    ASSERT_TRUE(engine.initSong(tune, 1));
    EXPECT_EQ(tune.installs, 1);  // no sample scan unless something asks for it
    EXPECT_EQ(ram(0x0401), 1);    // the player's entry ran, not the tune's init
    EXPECT_EQ(ram(0x0900), 0x8D);  // the tune's data is in place beside it
    EXPECT_EQ(tune.getInfo().irqAddress, 0xEA31);
}

TEST_F(EngineInitTest, RefusedWithoutAGoodTuneAndResetKeepsTheSong) {
    const Bytes junk = {1, 2, 3};
    SidTune bad(junk.data(), junk.size());
    EXPECT_FALSE(engine.initSong(bad, 1));
    EXPECT_EQ(engine.playCall(), emu::RunResult::Returned);  // nothing to play yet

    auto tune = makeTune(recorderAt(0x1000));
    ASSERT_TRUE(engine.initSong(*tune, 1));
    engine.playCall();
    machine().voices[0].envLevel = 200;
    machine().voices[0].envState = emu::kEnvSustain;
    EXPECT_TRUE(engine.reset());
    EXPECT_EQ(machine().voices[0].envLevel, 0);
    EXPECT_EQ(machine().voices[0].envState, emu::kEnvSilent);
    // Memory and the song are left as they were.
    EXPECT_EQ(ram(0x0403), 1);
    engine.playCall();
    EXPECT_EQ(ram(0x0403), 2);
}

TEST_F(EngineInitTest, EverySharedTuneInitialises) {
    const std::filesystem::path dir = test::sharedFile("psid");
    NOTECAST_REQUIRE_SHARED(dir);
    int tunes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".sid") continue;
        const std::string name = entry.path().filename().string();
        SidTune tune(entry.path().string().c_str());
        ASSERT_TRUE(tune.status()) << name << ": " << tune.getInfo().statusText;
        const std::uint16_t songs = tune.getInfo().songCount;
        for (std::uint16_t song : {std::uint16_t{0}, songs}) {
            EXPECT_TRUE(engine.initSong(tune, song)) << name << " song " << song;
            EXPECT_FALSE(engine.initStopped()) << name << " song " << song;
            for (int frame = 0; frame < 50; ++frame) {
                ASSERT_EQ(engine.playCall(), emu::RunResult::Returned)
                    << name << " song " << song << " frame " << frame;
            }
        }
        ++tunes;
    }
    EXPECT_GT(tunes, 20);
}

} // namespace
} // namespace notecast
