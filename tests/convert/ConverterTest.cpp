// Whole conversions of a small tune written for the purpose, to the text
// dump: the frames, the progress calls and the errors the run reports.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <sstream>

namespace notecast {
namespace {

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

// Voice 1 plays A-4 (register 7492) with a pulse wave from the init routine
// on; the play routine does nothing, so the gate stays set for the whole run.
//   $1000 init  LDA #$44 : STA $D400 : LDA #$1D : STA $D401 : LDA #$09 : STA $D405
//               LDA #$A0 : STA $D406 : LDA #$41 : STA $D404 : RTS
//   $101A play  RTS
std::vector<std::uint8_t> heldNote() {
    test::PsidBuilder psid;
    psid.name = "Held Note";
    psid.play = 0x101A;
    psid.code = {0xA9, 0x44, 0x8D, 0x00, 0xD4, 0xA9, 0x1D, 0x8D, 0x01, 0xD4, 0xA9, 0x09, 0x8D, 0x05,
                 0xD4, 0xA9, 0xA0, 0x8D, 0x06, 0xD4, 0xA9, 0x41, 0x8D, 0x04, 0xD4, 0x60, 0x60};
    return psid.build();
}

TEST(Converter, ANoteHeldForTheWholeRunIsOneNote) {
    const auto file = heldNote();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    const auto out = test::scratchDir("converter") / "out.txt";
    for (std::uint32_t seconds : {1u, 0u}) {
        ConverterSettings settings;
        settings.outputMode = OutputMode::Text;
        settings.playSeconds = seconds;
        Converter converter;
        RecordingProgress progress;
        converter.configure(settings);
        converter.initSong(tune, 1);
        converter.run(out.string(), true, &progress);
        const auto text = lines(out);
        if (seconds == 0) {  // the header only
            EXPECT_EQ(text.size(), 17u);
            EXPECT_EQ(progress.events, (std::vector<std::string>{"begin 0", "end"}));
            continue;
        }
        ASSERT_EQ(text.size(), 17u + 50);
        EXPECT_EQ(text[0], "Held Note - NOTECAST Text/SID Dump");
        EXPECT_EQ(text[17],
                  "00:00.00  >A-4<  440    0 40 09a0 --   ---     0    0 00 0000 --   ---     0    0 00 0000 --  ___ ___   0 0");
        EXPECT_EQ(text.back().substr(0, 17), "00:00.98   +++   ");
        EXPECT_EQ(progress.events, (std::vector<std::string>{"begin 2", "update 1", "end"}));
        EXPECT_EQ(converter.stoppedPlayCalls(), 0u);
        std::string warnings = "stale";
        converter.getWarnings(warnings);
        EXPECT_EQ(warnings, "");
    }
}

TEST(Converter, ARunWithoutASongIsAnErrorNotACrash) {
    Converter converter;
    converter.configure(ConverterSettings{});
    try {
        converter.run((test::scratchDir("converter-unready") / "out.mid").string(), false, nullptr);
        ADD_FAILURE() << "no error";
    } catch (const BackEnd::Error& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.message, "EmuEngine: Emulator engine components not ready!");
    }
}

} // namespace
} // namespace notecast
