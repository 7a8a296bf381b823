// The real MUS songs of the shared collection: the player against the note
// decoder (every note that the streams say opens the gate does so in the
// player's frames at the same jiffy, on the same voice, at the note table
// frequency of its semitone), and whole conversions to a MIDI file that
// parses and a text dump named after the song's first text line.
#include "convert/Converter.h"
#include "convert/MusNoteDecoder.h"
#include "convert/MusPlayerRun.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

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

// Walks the single track of a written MIDI file event by event (the writer
// uses neither running status nor system exclusive events); returns the
// number of Note Ons with a velocity, or -1 when the structure is broken.
int midiNoteOns(const std::vector<std::uint8_t>& m) {
    auto be32 = [&](std::size_t p) {
        return (std::uint32_t{m[p]} << 24) | (std::uint32_t{m[p + 1]} << 16) |
               (std::uint32_t{m[p + 2]} << 8) | m[p + 3];
    };
    if (m.size() < 22 || std::string(m.begin(), m.begin() + 4) != "MThd" || be32(4) != 6 ||
        std::string(m.begin() + 14, m.begin() + 18) != "MTrk" || be32(18) != m.size() - 22)
        return -1;
    std::size_t p = 22;
    auto varLength = [&](std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4 && p < m.size(); ++i) {
            value = (value << 7) | (m[p] & 0x7F);
            if (!(m[p++] & 0x80)) return true;
        }
        return false;
    };
    int noteOns = 0;
    while (p < m.size()) {
        std::uint32_t delta, length;
        if (!varLength(delta) || p >= m.size() || !(m[p] & 0x80)) return -1;
        const std::uint8_t status = m[p++];
        if (status == 0xFF) {
            if (p >= m.size()) return -1;
            const std::uint8_t type = m[p++];
            if (!varLength(length) || p + length > m.size()) return -1;
            p += length;
            if (type == 0x2F) return p == m.size() ? noteOns : -1;
        } else {
            const std::size_t data = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (status >= 0xF0 || p + data > m.size() || (m[p] & 0x80) || (data == 2 && (m[p + 1] & 0x80)))
                return -1;
            if ((status & 0xF0) == 0x90 && m[p + 1] != 0) ++noteOns;
            p += data;
        }
    }
    return -1;  // no end of track
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
    EXPECT_GT(midiNoteOns(readFile(dir / "song.mid")), 20);
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
