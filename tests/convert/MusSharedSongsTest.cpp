// The real MUS songs of the shared collection: the player against the note
// decoder (every note that the streams say opens the gate does so in the
// player's frames at the same jiffy, on the same voice, at the note table
// frequency of its semitone), and whole conversions to a MIDI file that
// parses, with notes, and a text dump named after the song's first text line.
#include "convert/Converter.h"
#include "convert/MusNoteDecoder.h"
#include "convert/MusPlayerRun.h"
#include "support/MidiListing.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <vector>

namespace notecast::test {
namespace {

constexpr double kPalClock = 985248.0;

// Frames that fall within the first `seconds` of playing time, each frame
// lasting one timer period.
int framesWithin(const std::vector<MusFrame>& frames, std::uint16_t firstTimer, double seconds) {
    double cycles = 0;
    std::uint16_t timer = firstTimer;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        cycles += timer;
        if (cycles / kPalClock > seconds) return static_cast<int>(f);
        timer = frames[f].timer;
    }
    return static_cast<int>(frames.size());
}

std::string firstLine(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

class MusSharedSong : public ::testing::TestWithParam<std::string> {};

TEST_P(MusSharedSong, PlayerStartsEveryDecodedNote) {
    const auto path = sharedFile("mus/" + GetParam());
    NOTECAST_REQUIRE_SHARED(path);
    const std::vector<std::uint8_t> file = readFile(path);
    const MusRun run = runMus(file, 60 * 70);
    ASSERT_TRUE(run.loaded);
    const int frames = framesWithin(run.frames, run.initTimer, 60.0);
    ASSERT_GT(frames, 3000);
    const std::vector<MusFrame> played(run.frames.begin(), run.frames.begin() + frames);

    int checkedFrequencies = 0;
    for (int v = 0; v < 3; ++v) {
        SCOPED_TRACE("voice " + std::to_string(v + 1));
        const std::vector<DecodedNote> notes = decodeMusVoice(file, v, frames);
        std::vector<int> expected;
        for (const DecodedNote& n : notes) expected.push_back(n.jiffy);
        EXPECT_EQ(gateRises(played, v), expected);
        for (const DecodedNote& n : notes) {
            if (n.glides) continue;
            ++checkedFrequencies;
            EXPECT_EQ(played[n.jiffy].freq(v), n.frequency)
                << "jiffy " << n.jiffy << " semitone " << n.semitone;
        }
    }
    EXPECT_GT(checkedFrequencies, 100);
}

TEST_P(MusSharedSong, ConvertsToMidiAndTextDump) {
    const auto path = sharedFile("mus/" + GetParam());
    NOTECAST_REQUIRE_SHARED(path);
    SidTune tune(path.string().c_str());
    ASSERT_TRUE(tune.status());
    const std::string title = tune.getInfo().infoLines[0];
    ASSERT_FALSE(title.empty());
    const auto dir = scratchDir("mus-conversion");

    ConverterSettings settings;
    settings.playSeconds = 30;
    for (auto [mode, name] : {std::pair{OutputMode::Midi, "song.mid"}, std::pair{OutputMode::Text, "song.txt"}}) {
        settings.outputMode = mode;
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, 1);
        converter.run((dir / name).string(), true, nullptr);
    }
    const std::vector<std::string> listing = midiListing(dir / "song.mid");
    EXPECT_EQ(std::count_if(listing.begin(), listing.end(), [](const std::string& l) { return l.starts_with("BAD"); }), 0);
    EXPECT_GT(std::count_if(listing.begin(), listing.end(),
                            [](const std::string& l) { return l.find(" | 9") != std::string::npos && !l.ends_with(" 00"); }),
              20);
    EXPECT_EQ(firstLine(dir / "song.txt"), title + " - NOTECAST Text/SID Dump");
}

INSTANTIATE_TEST_SUITE_P(SharedSongs, MusSharedSong,
                         ::testing::Values("BACHBRAND3.2.MUS", "HORA.RMX.MUS", "HUMAN_LEAGUE.MUS",
                                           "JOHN_B_GOODE.MUS", "MIS.IMPOS.MUS", "SHEEP.GRAZE.MUS",
                                           "TIME_TUNNEL.MUS", "_MARS.MUS"),
                         [](const auto& info) {
                             std::string name;
                             for (char c : info.param)
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

} // namespace
} // namespace notecast::test
