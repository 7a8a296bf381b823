// Whole conversions of small tunes written for the purpose, to the text dump.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/MusSong.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <sstream>

namespace notecast {
namespace {

// Voice 1 plays A-4 (register 7492) with a pulse wave from the init routine
// on; the play routine does nothing, so the gate stays set for the whole run.
//
//   $1000 init  LDA #$44 ; STA $D400 ; LDA #$1D ; STA $D401
//               LDA #$09 ; STA $D405 ; LDA #$A0 ; STA $D406
//               LDA #$41 ; STA $D404 ; RTS
//   $101A play  RTS
const std::vector<std::uint8_t> kHeldNote = {
    0xA9, 0x44, 0x8D, 0x00, 0xD4, 0xA9, 0x1D, 0x8D, 0x01, 0xD4,
    0xA9, 0x09, 0x8D, 0x05, 0xD4, 0xA9, 0xA0, 0x8D, 0x06, 0xD4,
    0xA9, 0x41, 0x8D, 0x04, 0xD4, 0x60, 0x60,
};

class RecordingProgress : public ProgressSink {
public:
    std::vector<std::string> events;
    void begin(std::uint32_t total) override { events.push_back("begin " + std::to_string(total)); }
    void update(std::uint32_t done) override { events.push_back("update " + std::to_string(done)); }
    void end() override { events.push_back("end"); }
};

std::vector<std::string> lines(const std::filesystem::path& path) {
    auto bytes = test::readFile(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

constexpr std::size_t kHeaderLines = 17;

class ConverterTest : public ::testing::Test {
protected:
    ConverterSettings settings;
    std::filesystem::path dir = test::scratchDir("converter");
    std::vector<std::uint8_t> file;
    std::unique_ptr<SidTune> tune;
    Converter converter;
    RecordingProgress progress;

    ConverterTest() {
        settings.outputMode = OutputMode::Text;
        settings.playSeconds = 1;
    }

    // Loads the tune file (the held note when none is given) and sets up song 1.
    void load(std::vector<std::uint8_t> data = {}) {
        if (data.empty()) {
            test::PsidBuilder psid;
            psid.name = "Held Note";
            psid.play = 0x101A;
            psid.code = kHeldNote;
            data = psid.build();
        }
        file = std::move(data);
        tune = std::make_unique<SidTune>(file.data(), file.size());
        ASSERT_TRUE(tune->status());
        converter.configure(settings);
        converter.initSong(*tune, 1);
    }

    std::string output(const char* name = "out.txt") { return (dir / name).string(); }

    // Runs expecting the back end's error.
    void runFails(const std::string& name, int code, const std::string& message) {
        try {
            converter.run(name, false, nullptr);
            ADD_FAILURE() << "no error";
        } catch (const BackEnd::Error& e) {
            EXPECT_EQ(e.code, code);
            EXPECT_EQ(e.message, message);
        }
    }
};

TEST_F(ConverterTest, ANoteHeldForTheWholeRunIsOneNote) {
    load();
    converter.run(output(), false, &progress);

    auto text = lines(output());
    ASSERT_EQ(text.size(), kHeaderLines + 50);
    EXPECT_EQ(text[0], "Held Note - NOTECAST Text/SID Dump");
    EXPECT_EQ(text[kHeaderLines],
              "00:00.00  >A-4<  440    0 40 09a0 --   ---     0    0 00 0000 --   ---     0    0 00 0000 --  ___ ___   0 0");
    for (std::size_t i = kHeaderLines + 1; i < text.size(); ++i)
        EXPECT_EQ(text[i].substr(8), text[kHeaderLines + 1].substr(8)) << i;
    EXPECT_EQ(text[kHeaderLines + 1].substr(0, 17), "00:00.02   +++   ");
    EXPECT_EQ(text.back().substr(0, 8), "00:00.98");

    EXPECT_EQ(progress.events, (std::vector<std::string>{"begin 2", "update 1", "end"}));
    EXPECT_EQ(converter.stoppedPlayCalls(), 0u);
    std::string warnings = "stale";
    converter.getWarnings(warnings);
    EXPECT_EQ(warnings, "");
}

TEST_F(ConverterTest, PlayingTimeZeroWritesTheHeaderOnly) {
    settings.playSeconds = 0;
    load();
    converter.run(output(), false, &progress);
    EXPECT_EQ(lines(output()).size(), kHeaderLines);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"begin 0", "end"}));
}

TEST_F(ConverterTest, AMusSongIsNamedAfterItsFirstTextLine) {
    // A MUS song has text lines but no title; without text the name is empty.
    settings.playSeconds = 0;
    for (auto [text, name] : {std::pair{"BACH BRAND 3\rJ S BACH\r", "BACH BRAND 3"}, std::pair{"", ""}}) {
        test::mus::Song song;
        song.voices[0] = test::mus::note(test::mus::kQuarter, test::mus::pitch('C', 4));
        song.text = test::mus::bytes(text);
        load(song.build());
        converter.run(output(), true, nullptr);
        EXPECT_EQ(lines(output())[0], std::string(name) + " - NOTECAST Text/SID Dump");
    }
}

TEST_F(ConverterTest, ExistingAndUncreatableFilesAreReportedBeforeAnyFrame) {
    load();
    test::writeFile(output(), std::string("keep me"));
    runFails(output(), 2, "File already exists: " + output());
    EXPECT_EQ(test::readFile(output()).size(), 7u);

    // Allowed now: the run starts from the freshly initialised song.
    converter.run(output(), true, nullptr);
    auto text = lines(output());
    ASSERT_EQ(text.size(), kHeaderLines + 50);
    EXPECT_EQ(text[kHeaderLines].substr(10, 5), ">A-4<");

    const std::string missing = (dir / "no" / "such" / "out.txt").string();
    runFails(missing, 3, "Could not create file: " + missing);
}

TEST_F(ConverterTest, RunWithoutASongIsAnErrorNotACrash) {
    converter.configure(settings);
    runFails(output(), 1, "EmuEngine: Emulator engine components not ready!");
}

} // namespace
} // namespace notecast
