// Whole conversions of a small tune written for the purpose, to the text
// dump: the frames, the progress calls and the errors the run reports.
#include "convert/ConvertRun.h"
#include "emu/Code6510.h"

#include <gtest/gtest.h>


namespace notecast {
namespace {

class RecordingProgress : public ProgressSink {
public:
    std::vector<std::string> events;
    void begin(std::uint32_t total) override { events.push_back("begin " + std::to_string(total)); }
    void update(std::uint32_t done) override { events.push_back("update " + std::to_string(done)); }
    void end() override { events.push_back("end"); }
};

// Voice 1 plays A-4 (register 7492) with a pulse wave from the init routine
// on; the play routine does nothing, so the gate stays set for the whole run.
// Init ends RTS at $1019, play is the RTS at $101A.
std::vector<std::uint8_t> heldNote() {
    return test::PsidBuilder{.play = 0x101A, .name = "Held Note",
                             .code = test::join({test::stores({{0xD400, 0x44}, {0xD401, 0x1D}, {0xD405, 0x09},
                                                               {0xD406, 0xA0}, {0xD404, 0x41}}),
                                                 {0x60, 0x60}})}
        .build();
}

TEST(Converter, ANoteHeldForTheWholeRunIsOneNote) {
    const auto file = heldNote();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    const auto out = test::scratchDir("converter") / "out.txt";
    for (std::uint32_t seconds : {1u, 0u}) {
        Converter converter;
        RecordingProgress progress;
        converter.configure(test::settingsFor(OutputMode::Text, seconds));
        converter.initSong(tune, 1);
        converter.run(out.string(), true, &progress);
        const auto text = test::fileLines(out);
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
