// Whole conversions of small tunes written for the purpose, to the text dump.
#include "convert/Converter.h"
#include "support/TestSupport.h"
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

// A tune record as a MUS file gives it: no title, text lines instead.
class UntitledTune : public SidTune {
public:
    using SidTune::SidTune;
    void setText(const char* firstLine) {
        info_.titleText = nullptr;
        info_.infoLineCount = firstLine ? 1 : 0;
        info_.infoLines[0] = firstLine;
    }
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
    std::unique_ptr<UntitledTune> tune;
    Converter converter;

    ConverterTest() {
        settings.outputMode = 1;
        settings.playSeconds = 1;
    }

    void load(const std::vector<std::uint8_t>& code, std::uint16_t play) {
        test::PsidBuilder psid;
        psid.name = "Held Note";
        psid.play = play;
        psid.code = code;
        file = psid.build();
        tune = std::make_unique<UntitledTune>(file.data(), file.size());
        ASSERT_TRUE(tune->status());
        converter.configure(settings);
        converter.initSong(*tune, 1);
    }

    std::string output(const char* name = "out.txt") { return (dir / name).string(); }
};

TEST_F(ConverterTest, ANoteHeldForTheWholeRunIsOneNote) {
    load(kHeldNote, 0x101A);
    RecordingProgress progress;
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
    load(kHeldNote, 0x101A);
    RecordingProgress progress;
    converter.run(output(), false, &progress);
    EXPECT_EQ(lines(output()).size(), kHeaderLines);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"begin 0", "end"}));
}

TEST_F(ConverterTest, TitleComesFromTheTuneOrItsFirstTextLine) {
    load(kHeldNote, 0x101A);
    tune->setText("Bach Brand 3");
    settings.playSeconds = 0;
    converter.configure(settings);
    converter.run(output("a.txt"), false, nullptr);
    EXPECT_EQ(lines(output("a.txt"))[0], "Bach Brand 3 - NOTECAST Text/SID Dump");

    tune->setText(nullptr);
    converter.run(output("b.txt"), false, nullptr);
    EXPECT_EQ(lines(output("b.txt"))[0], " - NOTECAST Text/SID Dump");
}

TEST_F(ConverterTest, ExistingAndUncreatableFilesAreReportedBeforeAnyFrame) {
    load(kHeldNote, 0x101A);
    test::writeFile(output(), std::string("keep me"));
    try {
        converter.run(output(), false, nullptr);
        FAIL() << "no error";
    } catch (const BackEnd::Error& e) {
        EXPECT_EQ(e.code, 2);
        EXPECT_EQ(e.message, "File already exists: " + output());
    }
    EXPECT_EQ(test::readFile(output()).size(), 7u);

    // Allowed now: the run starts from the freshly initialised song.
    converter.run(output(), true, nullptr);
    auto text = lines(output());
    ASSERT_EQ(text.size(), kHeaderLines + 50);
    EXPECT_EQ(text[kHeaderLines].substr(10, 5), ">A-4<");

    const std::string missing = (dir / "no" / "such" / "out.txt").string();
    try {
        converter.run(missing, false, nullptr);
        FAIL() << "no error";
    } catch (const BackEnd::Error& e) {
        EXPECT_EQ(e.code, 3);
        EXPECT_EQ(e.message, "Could not create file: " + missing);
    }
}

TEST(ConverterSetupTest, RunWithoutASongIsAnErrorNotACrash) {
    Converter converter;
    ConverterSettings settings;
    settings.outputMode = 1;
    settings.playSeconds = 1;
    converter.configure(settings);
    const std::string out = (test::scratchDir("converter-nosong") / "out.txt").string();
    try {
        converter.run(out, false, nullptr);
        FAIL() << "no error";
    } catch (const BackEnd::Error& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.message, "EmuEngine: Emulator engine components not ready!");
    }
}

} // namespace
} // namespace notecast
