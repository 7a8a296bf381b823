// Conversions that meet the limits of the machine: a device that accepts the
// open but not the data, and a tune that never returns at the fastest timer.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "emu/C64.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace notecast {
namespace {

TEST(ConverterRunLimits, AFullDeviceIsReportedForBothWriters) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const auto bytes = test::PsidBuilder{.code = {0x60, 0x60, 0x60, 0x60}}.build();  // init and play: RTS
    for (OutputMode mode : {OutputMode::Midi, OutputMode::Text}) {
        SidTune tune(bytes.data(), bytes.size());
        ConverterSettings settings;
        settings.outputMode = mode;
        settings.playSeconds = 2;
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, 1);
        try {
            converter.run("/dev/full", true, nullptr);
            ADD_FAILURE() << "the conversion passed for written";
        } catch (const BackEnd::Error& e) {
            EXPECT_EQ(e.code, 3);
            EXPECT_EQ(e.message, "Could not create file: /dev/full");
        }
    }
}

// Init sets CIA 1 timer A to 16 cycles (61578 play calls a second) and the
// play routine is an endless loop. Every call is stopped, but the whole run
// must cost about one emulated second of work per second of playing time,
// not the full budget of every call (12 billion instructions a second).
TEST(ConverterRunLimits, EndlessPlayAtTheFastestTimerStaysBounded) {
    test::PsidBuilder psid;
    psid.speed = 1;  // CIA timed
    psid.play = 0x100B;
    psid.code = {0xA9, 0x10, 0x8D, 0x04, 0xDC,  // LDA #$10 : STA $DC04
                 0xA9, 0x00, 0x8D, 0x05, 0xDC,  // LDA #$00 : STA $DC05
                 0x60,                          // RTS
                 0x4C, 0x0B, 0x10};             // play: JMP $100B
    const auto bytes = psid.build();
    SidTune tune(bytes.data(), bytes.size());
    ASSERT_TRUE(tune.status());
    ConverterSettings settings;
    settings.outputMode = OutputMode::Text;
    settings.playSeconds = 1;
    Converter converter;
    converter.configure(settings);
    converter.initSong(tune, 1);
    const std::uint64_t before = converter.machine().instructionsExecuted;
    converter.run((test::scratchDir("run-limits") / "endless.txt").string(), true, nullptr);
    EXPECT_GT(converter.stoppedPlayCalls(), 60000u);
    EXPECT_LT(converter.machine().instructionsExecuted - before, 10'000'000u);
}

} // namespace
} // namespace notecast
