// Tunes for two or three SID chips, converted whole: the further chips' voices
// reach the text table and the MIDI file, in both ways a tune runs.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The play routine of a tune for a second chip at $D420: voice 4 plays a
// sawtooth through $D420-$D426, voice 1 a pulse through $D440-$D446, the
// first chip's mirror the second chip does not cover; voice 5 is synced,
// which within the second chip means by voice 4. The second chip filters
// voice 4 (low-pass, volume 15).
//
//   LDA #$1D ; STA $D441                 frequency high bytes: voice 1,
//   LDA #$0E ; STA $D421                   voice 4
//   LDA #$01 ; STA $D428                   and voice 5
//   LDA #$08 ; STA $D443                 pulse width of voice 1
//   LDA #$09 ; STA $D425 ; STA $D445     attack/decay
//   LDA #$A0 ; STA $D426 ; STA $D446     sustain/release
//   LDA #$21 ; STA $D424                 voice 4: sawtooth, gate
//   LDA #$23 ; STA $D42B                 voice 5: sawtooth, sync, gate
//   LDA #$41 ; STA $D444                 voice 1: pulse, gate
//   LDA #$01 ; STA $D437                 second chip: filter voice 4
//   LDA #$1F ; STA $D438                 second chip: low-pass, volume 15
//   RTS
const Bytes kPlay = {0xA9, 0x1D, 0x8D, 0x41, 0xD4, 0xA9, 0x0E, 0x8D, 0x21, 0xD4, 0xA9, 0x01, 0x8D, 0x28, 0xD4,
                     0xA9, 0x08, 0x8D, 0x43, 0xD4, 0xA9, 0x09, 0x8D, 0x25, 0xD4, 0x8D, 0x45, 0xD4,
                     0xA9, 0xA0, 0x8D, 0x26, 0xD4, 0x8D, 0x46, 0xD4, 0xA9, 0x21, 0x8D, 0x24, 0xD4,
                     0xA9, 0x23, 0x8D, 0x2B, 0xD4, 0xA9, 0x41, 0x8D, 0x44, 0xD4,
                     0xA9, 0x01, 0x8D, 0x37, 0xD4, 0xA9, 0x1F, 0x8D, 0x38, 0xD4, 0x60};

// PSID v3: init $1000 (RTS), play $1003; as v4, with a third chip at $D500
// that the tune never writes.
Bytes playRoutineTune(bool third = false) {
    test::PsidBuilder psid;
    psid.version = third ? 4 : 3;
    psid.code = {0x60, 0xEA, 0xEA};
    psid.code.insert(psid.code.end(), kPlay.begin(), kPlay.end());
    Bytes file = psid.build();
    file[0x7A] = 0x42;
    file[0x7B] = third ? 0x50 : 0x00;
    return file;
}

// RSID v3 loading at $0900: init points the IRQ vector at a handler that
// calls the same play routine and ends in the system's handler.
//
//   $0900 init     SEI ; LDA #$0D ; STA $0314 ; LDA #$09 ; STA $0315 ; CLI ; RTS
//   $090D handler  JSR $0913 ; JMP $EA31
//   $0913 play
Bytes interruptTune() {
    test::PsidBuilder rsid;
    rsid.version = 3;
    rsid.load = 0x0900;
    rsid.embedLoadAddress = true;
    rsid.init = 0;
    rsid.play = 0;
    rsid.code = {0x78, 0xA9, 0x0D, 0x8D, 0x14, 0x03, 0xA9, 0x09, 0x8D, 0x15, 0x03, 0x58, 0x60,
                 0x20, 0x13, 0x09, 0x4C, 0x31, 0xEA};
    rsid.code.insert(rsid.code.end(), kPlay.begin(), kPlay.end());
    Bytes file = rsid.build();
    file[0] = 'R';
    file[0x7A] = 0x42;
    return file;
}

std::vector<std::string> lines(const fs::path& path) {
    const Bytes bytes = test::readFile(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Where voice v's group and chip c's filter column begin on a line.
std::size_t voiceColumn(int v) {
    return 10 + 99 * static_cast<std::size_t>(v / 3) + 28 * static_cast<std::size_t>(v % 3);
}
std::size_t filterColumn(int chip) { return 94 + 99 * static_cast<std::size_t>(chip); }

class MultiSidTest : public ::testing::Test {
protected:
    fs::path dir = test::scratchDir("multisid");
    ConverterSettings settings;

    // Converts song 1 of the file; false when the tune does not load.
    bool convert(const Bytes& file, const fs::path& out) {
        SidTune tune(file.data(), file.size());
        if (!tune.status()) return false;
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, 1);
        converter.run(out.string(), true, nullptr);
        return true;
    }

    // The frame lines of a text table, after the rule under the column heads.
    std::vector<std::string> frameLines(const fs::path& out, std::size_t& ruleWidth) {
        std::vector<std::string> all = lines(out);
        const auto rule = std::find_if(all.begin(), all.end(), [](const std::string& l) {
            return !l.empty() && l.find_first_not_of('=') == std::string::npos;
        });
        if (rule == all.end()) return {};
        ruleWidth = rule->size();
        return std::vector<std::string>(rule + 1, all.end());
    }
};

TEST_F(MultiSidTest, SecondChipVoicesAndFilterGetTheirOwnColumnsInBothRunModels) {
    settings.outputMode = OutputMode::Text;
    settings.playSeconds = 1;
    struct Case {
        const char* name;
        Bytes file;
        int chips;
    };
    for (const Case& c : {Case{"play routine", playRoutineTune(), 2}, Case{"interrupts", interruptTune(), 2},
                          Case{"silent third chip", playRoutineTune(true), 3}}) {
        const Bytes& file = c.file;
        SCOPED_TRACE(c.name);
        const fs::path out = dir / "two.txt";
        ASSERT_TRUE(convert(file, out));
        const std::vector<std::string> all = lines(out);
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
        EXPECT_EQ(width, 108u + 99u * static_cast<unsigned>(c.chips - 1));
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
        for (int v = 6; v < 3 * c.chips; ++v)
            for (const std::string& l : frames)
                ASSERT_EQ(l.substr(voiceColumn(v), 28), " ---     0    0 00 0000 --  ") << l;
    }
}

TEST_F(MultiSidTest, MidiTracksAndMutingFollowTheFurtherChipsVoices) {
    settings.outputMode = OutputMode::Midi;
    settings.playSeconds = 1;
    settings.trackPerChannel = true;
    struct Case {
        int muted;  // voice 1-9, 0 for none
        bool voice1, voice4;
    };
    for (const Case& c : {Case{0, true, true}, Case{4, true, false}, Case{1, false, true}}) {
        SCOPED_TRACE("muted voice " + std::to_string(c.muted));
        settings.muteVoice = {};
        if (c.muted != 0) settings.muteVoice[static_cast<std::size_t>(c.muted - 1)] = true;
        const fs::path out = dir / "two.mid";
        ASSERT_TRUE(convert(playRoutineTune(), out));
        const Bytes bytes = test::readFile(out);
        const std::string midi(bytes.begin(), bytes.end());
        EXPECT_EQ(midi.find("Voice 1: pulse") != std::string::npos, c.voice1);
        EXPECT_EQ(midi.find("Voice 4: sawtooth") != std::string::npos, c.voice4);
    }
}

// Every real tune for several chips converts to a table with a block of
// columns per chip, notes in each further chip's columns, and to a MIDI file
// with notes.
TEST_F(MultiSidTest, SharedTunesPlayOnEveryChip) {
    const fs::path folder = test::sharedFile("multisid");
    NOTECAST_REQUIRE_SHARED(folder);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".sid") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    settings.playSeconds = 30;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        const Bytes file = test::readFile(path);
        SidTune tune(file.data(), file.size());
        ASSERT_TRUE(tune.status());
        const int chips = 1 + (tune.getInfo().sid2Address != 0) + (tune.getInfo().sid3Address != 0);
        ASSERT_GE(chips, 2);

        settings.outputMode = OutputMode::Text;
        ASSERT_TRUE(convert(file, dir / "dump.txt"));
        std::size_t width = 0;
        const std::vector<std::string> frames = frameLines(dir / "dump.txt", width);
        EXPECT_EQ(width, 108u + 99u * static_cast<unsigned>(chips - 1));
        for (int chip = 1; chip < chips; ++chip) {
            std::size_t notes = 0;
            for (const std::string& line : frames)
                for (int v = 3 * chip; v < 3 * chip + 3; ++v)
                    notes += line.size() > voiceColumn(v) && line[voiceColumn(v)] == '>';
            EXPECT_GT(notes, 0u) << "no notes on chip " << chip + 1;
        }

        settings.outputMode = OutputMode::Midi;
        SidTune again(file.data(), file.size());
        Converter converter;
        converter.configure(settings);
        converter.initSong(again, 1);
        converter.run((dir / "tune.mid").string(), true, nullptr);
        EXPECT_GT(converter.notesWritten(), 0u);
    }
}

} // namespace
} // namespace notecast
