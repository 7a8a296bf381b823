// Conversions that meet the limits of the machine: a device that accepts the
// open but not the data, and a tune that never returns at the fastest timer.
#include "convert/ConvertRun.h"
#include "emu/C64.h"
#include "emu/Code6510.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace notecast {
namespace {

TEST(ConverterRunLimits, AFullDeviceIsReportedForBothWriters) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const auto bytes = test::PsidBuilder{.code = {0x60, 0x60, 0x60, 0x60}}.build();  // init and play: RTS
    for (OutputMode mode : {OutputMode::Midi, OutputMode::Text}) {
        SidTune tune(bytes.data(), bytes.size());
        Converter converter;
        try {
            test::convertSong(converter, tune, test::settingsFor(mode, 2), "/dev/full");
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
    const auto bytes = test::PsidBuilder{.play = 0x100B, .speed = 1,  // CIA timed
                                         .code = test::join({test::stores({{0xDC04, 0x10}, {0xDC05, 0x00}}),
                                                             {0x60, 0x4C, 0x0B, 0x10}})}  // RTS; play: JMP $100B
                           .build();
    SidTune tune(bytes.data(), bytes.size());
    ASSERT_TRUE(tune.status());
    Converter converter;
    converter.configure(test::settingsFor(OutputMode::Text, 1));
    converter.initSong(tune, 1);
    const std::uint64_t before = converter.machine().instructionsExecuted;
    converter.run((test::scratchDir("run-limits") / "endless.txt").string(), true, nullptr);
    EXPECT_GT(converter.stoppedPlayCalls(), 60000u);
    EXPECT_LT(converter.machine().instructionsExecuted - before, 10'000'000u);
}

} // namespace
} // namespace notecast
