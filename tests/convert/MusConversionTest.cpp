// Whole conversions of MUS songs: a MIDI file that parses and a text dump
// named after the song's first text line.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/MusSong.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>
#include <vector>

namespace notecast::test {
namespace {

std::string firstLine(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

// Walks a format 0 Standard MIDI File event by event; returns the number of
// note-on events with a velocity, or -1 when the structure is broken.
int midiNoteOns(const std::vector<std::uint8_t>& m) {
    auto be32 = [&](std::size_t p) {
        return (std::uint32_t{m[p]} << 24) | (std::uint32_t{m[p + 1]} << 16) |
               (std::uint32_t{m[p + 2]} << 8) | m[p + 3];
    };
    if (m.size() < 22 || std::string(m.begin(), m.begin() + 4) != "MThd" || be32(4) != 6 ||
        std::string(m.begin() + 14, m.begin() + 18) != "MTrk" || be32(18) != m.size() - 22) {
        return -1;
    }
    std::size_t p = 22;
    int noteOns = 0;
    auto varLength = [&](std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4 && p < m.size(); ++i) {
            const std::uint8_t b = m[p++];
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    };
    std::uint8_t status = 0;
    while (p < m.size()) {
        std::uint32_t delta, length;
        if (!varLength(delta) || p >= m.size()) return -1;
        if (m[p] & 0x80) status = m[p++];
        if (status == 0) return -1;
        if (status == 0xFF) {
            if (p >= m.size()) return -1;
            const std::uint8_t type = m[p++];
            if (!varLength(length) || p + length > m.size()) return -1;
            p += length;
            if (type == 0x2F) return p == m.size() ? noteOns : -1;
        } else if (status == 0xF0 || status == 0xF7) {
            if (!varLength(length) || p + length > m.size()) return -1;
            p += length;
        } else {
            const std::size_t data = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (p + data > m.size() || (m[p] & 0x80)) return -1;
            if ((status & 0xF0) == 0x90 && m[p + 1] != 0) ++noteOns;
            p += data;
        }
    }
    return -1;  // no end of track
}

class MusConversion : public ::testing::TestWithParam<std::string> {};

TEST_P(MusConversion, ConvertsToMidiAndTextDump) {
    const auto path = sharedFile("mus/" + GetParam());
    NOTECAST_REQUIRE_SHARED(path);
    SidTune tune(path.string().c_str());
    ASSERT_TRUE(tune.status());
    const std::string title = tune.getInfo().infoLines[0];
    ASSERT_FALSE(title.empty());
    const auto dir = scratchDir("mus-conversion");

    ConverterSettings settings;
    settings.playSeconds = 30;
    Converter midi;
    midi.configure(settings);
    midi.initSong(tune, 1);
    midi.run((dir / "song.mid").string(), true, nullptr);
    EXPECT_GT(midiNoteOns(readFile(dir / "song.mid")), 20);

    settings.outputMode = 1;
    Converter text;
    text.configure(settings);
    text.initSong(tune, 1);
    text.run((dir / "song.txt").string(), true, nullptr);
    EXPECT_EQ(firstLine(dir / "song.txt"), title + " - NOTECAST Text/SID Dump");
}

INSTANTIATE_TEST_SUITE_P(SharedSongs, MusConversion,
                         ::testing::Values("BACHBRAND3.2.MUS", "HORA.RMX.MUS", "HUMAN_LEAGUE.MUS",
                                           "JOHN_B_GOODE.MUS", "MIS.IMPOS.MUS",
                                           "SHEEP.GRAZE.MUS", "TIME_TUNNEL.MUS", "_MARS.MUS"),
                         [](const auto& info) {
                             std::string name;
                             for (char c : info.param) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             }
                             return name;
                         });

TEST(MusConversionTitle, SongWithoutTextHasAnEmptyTitle) {
    mus::Song s;
    s.voices[0] = mus::note(mus::kQuarter, mus::pitch('C', 4));
    const std::vector<std::uint8_t> file = s.build();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    const auto dir = scratchDir("mus-untitled");
    ConverterSettings settings;
    settings.playSeconds = 1;
    settings.outputMode = 1;
    Converter text;
    text.configure(settings);
    text.initSong(tune, 1);
    text.run((dir / "song.txt").string(), true, nullptr);
    EXPECT_EQ(firstLine(dir / "song.txt"), " - NOTECAST Text/SID Dump");
}

} // namespace
} // namespace notecast::test
