// Every real tune of the shared collection converts to the text dump within
// its playing time: no hang, no crash, one well-formed line per frame. (The
// MIDI files of the same tunes are read back by the MIDI file check.)
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <fstream>

namespace notecast {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kSeconds = 30;
constexpr std::size_t kHeaderLines = 17;
constexpr std::size_t kLineLength = 107;

std::uint32_t centiseconds(const std::string& time) {
    return static_cast<std::uint32_t>(std::stoul(time.substr(0, 2)) * 6000 +
                                      std::stoul(time.substr(3, 2)) * 100 + std::stoul(time.substr(6, 2)));
}

TEST(AllTunes, ConvertToText) {
    const fs::path dir = test::sharedFile("psid");
    NOTECAST_REQUIRE_SHARED(dir);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".sid") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    const fs::path out = test::scratchDir("all-tunes");

    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        SidTune tune(file.string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        // With envelopes and samples: every path of the replay.
        ConverterSettings settings;
        settings.outputMode = OutputMode::Text;
        settings.playSeconds = kSeconds;
        settings.envelopeEmulation = true;
        settings.captureSamples = true;
        const fs::path text = out / (file.stem().string() + ".txt");
        {
            Converter converter;
            converter.configure(settings);
            converter.initSong(tune, tune.getInfo().startSong);
            converter.run(text.string(), true, nullptr);
        }
        std::ifstream in(text);
        std::string line;
        std::size_t count = 0;
        std::uint32_t last = 0;
        while (std::getline(in, line)) {
            if (++count <= kHeaderLines) continue;
            ASSERT_EQ(line.size(), kLineLength) << "line " << count << ": " << line;
            const std::uint32_t time = centiseconds(line);
            ASSERT_GE(time, last) << "line " << count;
            last = time;
        }
        // At least 50 frames a second, at most a few hundred; the last frame
        // starts before the end of the playing time.
        EXPECT_GE(count, kHeaderLines + kSeconds * 25);
        EXPECT_LE(last, kSeconds * 100);
    }
}

} // namespace
} // namespace notecast
