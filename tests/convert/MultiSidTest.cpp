// Tunes for two or three SID chips, converted whole: the further chips' voices
// reach the text table and the MIDI file, in both ways a tune runs.
#include "convert/ConvertRun.h"
#include "emu/Code6510.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The play routine of a tune for a second chip at $D420: voice 4 plays a
// sawtooth through $D420-$D426, voice 1 a pulse through $D440-$D446, the
// first chip's mirror the second chip does not cover; voice 5 is synced,
// which within the second chip means by voice 4. The second chip filters
// voice 4 (low-pass, volume 15).
const Bytes kPlay = test::join({test::stores({{0xD441, 0x1D}, {0xD421, 0x0E}, {0xD428, 0x01}, {0xD443, 0x08},
                                              {0xD425, 0x09}, {0xD445, 0x09}, {0xD426, 0xA0}, {0xD446, 0xA0},
                                              {0xD424, 0x21}, {0xD42B, 0x23}, {0xD444, 0x41}, {0xD437, 0x01},
                                              {0xD438, 0x1F}}),
                                {0x60}});

// PSID v3: init $1000 (RTS), play $1003; as v4, with a third chip at $D500
// that the tune never writes.
Bytes playRoutineTune(bool third = false) {
    Bytes file = test::PsidBuilder{.version = std::uint16_t(third ? 4 : 3),
                                   .code = test::join({{0x60, 0xEA, 0xEA}, kPlay})}.build();
    file[0x7A] = 0x42;
    file[0x7B] = third ? 0x50 : 0x00;
    return file;
}

// RSID v3 loading at $0900: init points the IRQ vector at a handler that
// calls the same play routine and ends in the system's handler.
//   $0900 init     SEI ; LDA #$0D ; STA $0314 ; LDA #$09 ; STA $0315 ; CLI ; RTS
//   $090D handler  JSR $0913 ; JMP $EA31
Bytes interruptTune() {
    Bytes file = test::rsidFile(test::join({{0x78}, test::stores({{0x0314, 0x0D}, {0x0315, 0x09}}),
                                            {0x58, 0x60, 0x20, 0x13, 0x09, 0x4C, 0x31, 0xEA}, kPlay}),
                                0x0900, 3);
    file[0x7A] = 0x42;
    return file;
}

// Where voice v's group and chip c's filter column begin on a line.
std::size_t voiceColumn(int v) { return 10 + 99 * std::size_t(v / 3) + 28 * std::size_t(v % 3); }
std::size_t filterColumn(int chip) { return 94 + 99 * static_cast<std::size_t>(chip); }

class MultiSidTest : public ::testing::Test {
protected:
    fs::path dir = test::scratchDir("multisid");
    ConverterSettings settings;

    // Converts song 1 into `out`; the notes written.
    std::uint32_t convert(const Bytes& file, const fs::path& out) {
        SidTune tune(file.data(), file.size());
        EXPECT_TRUE(tune.status());
        Converter converter;
        test::convertSong(converter, tune, settings, out);
        return converter.notesWritten();
    }

    // The frame lines of a text table, after the rule under the column heads, whose width it gives.
    static std::vector<std::string> frameLines(const fs::path& out, std::size_t& ruleWidth) {
        const std::vector<std::string> all = test::fileLines(out);
        const auto rule = std::find_if(all.begin(), all.end(), [](const std::string& l) {
            return !l.empty() && l.find_first_not_of('=') == std::string::npos;
        });
        ruleWidth = rule == all.end() ? 0 : rule->size();
        return rule == all.end() ? std::vector<std::string>{} : std::vector<std::string>(rule + 1, all.end());
    }
};

TEST_F(MultiSidTest, SecondChipVoicesAndFilterGetTheirOwnColumnsInBothRunModels) {
    settings.outputMode = OutputMode::Text;
    settings.playSeconds = 1;
    for (const auto& [name, file, chips] : {std::tuple{"play routine", playRoutineTune(), 2},
                                            {"interrupts", interruptTune(), 2},
                                            {"silent third chip", playRoutineTune(true), 3}}) {
        SCOPED_TRACE(name);
        const fs::path out = dir / "two.txt";
        convert(file, out);
        const std::vector<std::string> all = test::fileLines(out);
        ASSERT_GT(all.size(), 20u);
        // The heads of the first two chips' columns (a third one's follow).
        const std::string voices = "          Voice 1                     Voice 2                     Voice 3"
                                   "                                    Voice 4                     Voice 5                     Voice 6";
        const std::string names =
            "Time      Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Filter"
            "         Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Filter";
        EXPECT_EQ(all[14].substr(0, voices.size()), voices);
        EXPECT_EQ(all[15].substr(0, names.size()), names);
        std::size_t width = 0;
        const std::vector<std::string> frames = frameLines(out, width);
        EXPECT_EQ(width, 108u + 99u * static_cast<unsigned>(chips - 1));
        const auto start = std::find_if(frames.begin(), frames.end(),
                                        [](const std::string& l) { return l.size() > 10 && l[10] == '>'; });
        ASSERT_NE(start, frames.end());
        const std::string& line = *start;
        ASSERT_EQ(line.size(), width - 1) << line;
        // The notes start in the same frame: through $D444 on voice 1, $D424
        // on voice 4, and voice 5 at voice 4's pitch.
        EXPECT_EQ(line.substr(voiceColumn(0), 28), ">A-4<  436 2048 40 09a0 --  ");
        EXPECT_EQ(line.substr(voiceColumn(3), 28), ">G#3<  210    0 20 09a0 --  ");
        EXPECT_EQ(line.substr(voiceColumn(4), 28), ">G#3<  210    0 22 0000 --  ");
        for (int v : {1, 2, 5}) EXPECT_EQ(line.substr(voiceColumn(v), 4), " ---") << "voice " << v + 1;
        EXPECT_EQ(line.substr(filterColumn(0), 15), "___ ___   0 0  ");
        EXPECT_EQ(line.substr(filterColumn(1), 13), "L__ 4__   0 0");
        // A declared chip the tune never writes has silent voices throughout.
        for (int v = 6; v < 3 * chips; ++v)
            for (const std::string& l : frames)
                ASSERT_EQ(l.substr(voiceColumn(v), 28), " ---     0    0 00 0000 --  ") << l;
    }
}

TEST_F(MultiSidTest, MidiTracksAndMutingFollowTheFurtherChipsVoices) {
    settings.playSeconds = 1;
    settings.trackPerChannel = true;
    // Muted voice 1-9 (0: none), then whether voices 1 and 4 keep their tracks.
    for (const auto& [muted, voice1, voice4] : {std::tuple{0, true, true}, {4, true, false}, {1, false, true}}) {
        SCOPED_TRACE("muted voice " + std::to_string(muted));
        settings.muteVoice = {};
        if (muted != 0) settings.muteVoice[static_cast<std::size_t>(muted - 1)] = true;
        convert(playRoutineTune(), dir / "two.mid");
        const Bytes bytes = test::readFile(dir / "two.mid");
        const std::string midi(bytes.begin(), bytes.end());
        EXPECT_EQ(midi.find("Voice 1: pulse") != std::string::npos, voice1);
        EXPECT_EQ(midi.find("Voice 4: sawtooth") != std::string::npos, voice4);
    }
}

// Every real tune for several chips converts to a table with a block of
// columns per chip, notes in each further chip's columns, and to a MIDI file
// with notes.
TEST_F(MultiSidTest, SharedTunesPlayOnEveryChip) {
    const fs::path folder = test::sharedFile("multisid");
    NOTECAST_REQUIRE_SHARED(folder);
    settings.playSeconds = 30;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".sid") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes file = test::readFile(entry.path());
        const SidTuneInfo info = SidTune(file.data(), file.size()).getInfo();
        const int chips = 1 + (info.sid2Address != 0) + (info.sid3Address != 0);
        ASSERT_GE(chips, 2);

        settings.outputMode = OutputMode::Text;
        convert(file, dir / "dump.txt");
        std::size_t width = 0;
        const std::vector<std::string> frames = frameLines(dir / "dump.txt", width);
        EXPECT_EQ(width, 108u + 99u * static_cast<unsigned>(chips - 1));
        for (int chip = 1; chip < chips; ++chip) {
            const auto notes = std::count_if(frames.begin(), frames.end(), [chip](const std::string& line) {
                for (int v = 3 * chip; v < 3 * chip + 3; ++v)
                    if (line.size() > voiceColumn(v) && line[voiceColumn(v)] == '>') return true;
                return false;
            });
            EXPECT_GT(notes, 0) << "no notes on chip " << chip + 1;
        }
        settings.outputMode = OutputMode::Midi;
        EXPECT_GT(convert(file, dir / "tune.mid"), 0u);
    }
}

} // namespace
} // namespace notecast
