// Conversions are self-contained: two converters in two threads give what
// each gives alone, and a tune that reads the raster line or a CIA timer
// converts to the same bytes on every run.
#include "convert/ConvertRun.h"
#include "emu/Code6510.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes convert(SidTune& tune, OutputMode mode, std::uint32_t seconds, const fs::path& out) {
    ConverterSettings settings = test::settingsFor(mode, seconds);
    settings.envelopeEmulation = true;
    Converter converter;
    test::convertSong(converter, tune, settings, out, tune.getInfo().startSong);
    return test::readFile(out);
}

TEST(SideBySide, TwoConvertersInTwoThreadsGiveTheirOwnResults) {
    const fs::path a = test::sharedFile("psid/Commando.sid");
    const fs::path b = test::sharedFile("psid/Last_Ninja.sid");
    NOTECAST_REQUIRE_SHARED(a);
    NOTECAST_REQUIRE_SHARED(b);
    const fs::path dir = test::scratchDir("side-by-side");
    SidTune tuneA(a.string().c_str()), tuneB(b.string().c_str());
    ASSERT_TRUE(tuneA.status() && tuneB.status());

    const Bytes aloneA = convert(tuneA, OutputMode::Midi, 20, dir / "a-alone.mid");
    const Bytes aloneB = convert(tuneB, OutputMode::Text, 20, dir / "b-alone.txt");
    Bytes sideA, sideB;
    std::thread first([&] { sideA = convert(tuneA, OutputMode::Midi, 20, dir / "a-side.mid"); });
    std::thread second([&] { sideB = convert(tuneB, OutputMode::Text, 20, dir / "b-side.txt"); });
    first.join();
    second.join();
    EXPECT_FALSE(aloneA.empty());
    EXPECT_EQ(sideA, aloneA);
    EXPECT_EQ(sideB, aloneB);
}

TEST(SideBySide, RasterAndTimerReadsGiveTheSameFileOnEveryRun) {
    // init: RTS; play: LDA $D012 / AND #$0F / ORA #$10 / STA $D401
    //                  LDA $DC04 / STA $D400 / LDA #$11 / STA $D404 / RTS
    const Bytes bytes = test::PsidBuilder{.play = 0x1001, .code = test::join({{0x60, 0xAD, 0x12, 0xD0, 0x29, 0x0F,
        0x09, 0x10, 0x8D, 0x01, 0xD4, 0xAD, 0x04, 0xDC, 0x8D, 0x00, 0xD4}, test::stores({{0xD404, 0x11}}), {0x60}})}
                            .build();
    SidTune tune(bytes.data(), bytes.size());
    ASSERT_TRUE(tune.status());
    const fs::path dir = test::scratchDir("reproducible");
    const Bytes first = convert(tune, OutputMode::Text, 3, dir / "first.txt");
    const Bytes second = convert(tune, OutputMode::Text, 3, dir / "second.txt");
    EXPECT_EQ(first, second);

    // The reads are alive: the frequency column takes many values.
    std::istringstream text(std::string(first.begin(), first.end()));
    std::set<std::string> frequencies;
    for (std::string line; std::getline(text, line);) {
        if (line.size() > 22 && line[2] == ':') frequencies.insert(line.substr(16, 6));
    }
    EXPECT_GT(frequencies.size(), 20u);
}

} // namespace
} // namespace notecast
