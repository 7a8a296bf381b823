// A tune packed with PowerPacker must convert exactly like its original.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace notecast {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> convert(const fs::path& input, const fs::path& output, OutputMode mode) {
    SidTune tune(input.string().c_str());
    EXPECT_TRUE(tune.status()) << tune.getInfo().statusText;
    ConverterSettings settings;
    settings.outputMode = mode;
    settings.playSeconds = 10;
    settings.envelopeEmulation = true;
    Converter converter;
    converter.configure(settings);
    converter.initSong(tune, tune.getInfo().startSong);
    converter.run(output.string(), true, nullptr);
    return test::readFile(output);
}

TEST(PackedTunes, ConvertExactlyLikeTheirOriginals) {
    const fs::path packedDir = test::sharedFile("pp20");
    if (packedDir.empty() || test::sharedFile("psid").empty()) GTEST_SKIP() << "shared test data absent";
    const fs::path dir = test::scratchDir("packed-tunes");
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(packedDir)) {
        const fs::path packed = entry.path();
        if (packed.extension() != ".pp" || packed.stem().extension() != ".sid") continue;
        SCOPED_TRACE(packed.filename().string());
        const fs::path original = test::sharedFile("psid/" + packed.stem().string());
        for (OutputMode mode : {OutputMode::Midi, OutputMode::Text}) {
            const auto fromPacked = convert(packed, dir / "packed.out", mode);
            EXPECT_FALSE(fromPacked.empty());
            EXPECT_EQ(fromPacked, convert(original, dir / "original.out", mode));
        }
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

} // namespace
} // namespace notecast
