// A device that accepts the open but not the data (a full disk) must not let
// a conversion pass for a finished file.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace notecast {
namespace {

TEST(ConverterWriteFailure, FullDeviceIsReportedForBothWriters) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    test::PsidBuilder psid;
    psid.code = {0x60, 0x60, 0x60, 0x60};  // init and play: RTS
    const auto bytes = psid.build();
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode == 1 ? "text dump" : "MIDI file");
        SidTune tune(bytes.data(), bytes.size());
        ASSERT_TRUE(tune.status());
        ConverterSettings settings;
        settings.outputMode = mode;
        settings.playSeconds = 2;
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, 1);
        try {
            converter.run("/dev/full", true, nullptr);
            FAIL() << "the conversion passed for written";
        } catch (const BackEnd::Error& e) {
            EXPECT_EQ(e.code, 3);
            EXPECT_EQ(e.message, "Could not create file: /dev/full");
        }
    }
}

} // namespace
} // namespace notecast
