// MUS files: what the recogniser accepts and fills in, the text lines, and
// the installation of the built-in player.
#include "tune/MusPlayerImage.h"
#include "tune/MusSong.h"
#include "tune/TuneProbe.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace notecast::test {
namespace {

using namespace mus;

// A small song: a note on voice 1, voices 2 and 3 empty.
Song oneNote(const std::vector<std::uint8_t>& text) {
    Song s;
    s.voices[0] = note(kQuarter, pitch('C', 4));
    s.text = text;
    return s;
}

std::vector<std::string> lines(const SidTune& tune) {
    const SidTuneInfo info = tune.getInfo();
    return std::vector<std::string>(info.infoLines, info.infoLines + info.infoLineCount);
}

TEST(MusRecogniser, AcceptedSongGetsThePlayerAndFixedValues) {
    const std::vector<std::uint8_t> file = oneNote(bytes("TITLE\rAUTHOR\r\r4\r5\r6\r")).build();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    const SidTuneInfo info = tune.getInfo();
    EXPECT_EQ(std::string(info.formatText) + "/" + info.statusText, "C64 Vudidazer format (MUS)/No errors");
    EXPECT_EQ(layout(tune), "load $0900 init $CC90 play $0000 songs 1/1 offset $2");
    EXPECT_TRUE(info.usesVudidazerPlayer && !info.titleText && !info.authorText && !info.copyrightText);
    EXPECT_EQ(lines(tune), (std::vector<std::string>{"TITLE", "AUTHOR", "", "4", "5"}));  // five at most
    EXPECT_EQ(info.c64DataLength, file.size() - 2);
    EXPECT_EQ(tune.selectSong(2), 1);
    EXPECT_EQ(std::string(tune.getInfo().statusText) + "/" + tune.getInfo().speedText,
              "WARNING: Selected song number was too high/CIA 1 Timer A");
    EXPECT_EQ(tune.getInfo().songSpeed, kSpeedCia);

    const std::vector<std::uint8_t> bare = oneNote({}).build();
    SidTune untitled(bare.data(), bare.size());
    EXPECT_EQ(lines(untitled), std::vector<std::string>(5, ""));
}

TEST(MusRecogniser, RefusesBrokenStreamsAndStreamsReachingThePlayer) {
    Song reversed = oneNote(bytes("X\r"));
    reversed.appendHalt = false;
    reversed.voices[0] += pair(0x4F, 0x01);  // terminator bytes swapped
    reversed.voices[1] = reversed.voices[2] = halt();
    std::vector<std::uint8_t> beyond = oneNote({}).build();
    beyond[6] = 0x00;  // voice 3 said to run far past the end
    beyond[7] = 0x40;
    std::vector<std::uint8_t> cut = oneNote({}).build();
    cut.pop_back();  // the last halt pair is incomplete
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"terminator 4F 01", reversed.build()}, {"voice 3 beyond the file", beyond},
        {"file ends inside voice 3", cut},      {"too short for the lengths", {0x00, 0x09, 0x02, 0x00}},
        {"empty", {}}};
    for (const auto& [what, file] : cases) {
        SidTune tune(file.data(), file.size());
        EXPECT_FALSE(tune.status()) << what;
        EXPECT_STREQ(tune.getInfo().statusText, "ERROR: Could not determine file format") << what;
    }
    // n pairs on voice 1 end the streams at $0900 + 2n + 12: 23418 pairs
    // reach $BFFF, one more would run into the player at $C000.
    for (const auto& [pairs, fits] : {std::pair{23418, true}, std::pair{23419, false}}) {
        Song s;
        s.voices[0] = repeat(note(kQuarter, pitch('C', 4)), pairs);
        const auto file = s.build();
        EXPECT_EQ(SidTune(file.data(), file.size()).status(), fits) << pairs;
    }
}

TEST(MusRecogniser, TextLinesAreConvertedAndLimited) {
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {bytes(std::string(32, 'A') + "BBBBBBBB\r"), std::string(32, 'A')},  // 40 characters keep 32
        {{'A', 'B', 0x9D, 'C', 0x0D}, "AC"},                                  // cursor left overwrites
        {{'A', 'B', 0x9D, 0x0D}, "AB"},                                       // ... and erases nothing
        {{0x9D, 'A', 0x0D}, "A"},                                             // ... at the start
        {bytes("\"SIDIST\"\r"), "SIDIST"},                                    // double quotes dropped
        {{0x12, 0x9E, 'H', 0x92, 'I', 0x0D}, "HI"},                           // control codes dropped
        {{0x60, 0x62, 0x5C, 0xAF, 0xDB, 0x0D}, "-|$-+"},                      // graphics become ASCII
        {{'A', 0x00, 'B', 0x0D}, "A"},                                        // a zero byte ends the line
        {bytes("ABC"), "ABC"},                                                // running into the end
    };
    for (const auto& [text, line] : cases) {
        const std::vector<std::uint8_t> file = oneNote(text).build();
        SidTune tune(file.data(), file.size());
        ASSERT_TRUE(tune.status());
        EXPECT_EQ(lines(tune)[0], line);
    }
}

TEST(MusPlayerInstall, CopiesTheImageOnlyForALoadedTune) {
    std::vector<std::uint8_t> memory(65536, 0xEE);
    const std::vector<std::uint8_t> file = oneNote({}).build();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.installVudidazerPlayer(memory.data()));
    EXPECT_TRUE(std::equal(kMusPlayerFile + 2, kMusPlayerFile + sizeof kMusPlayerFile, memory.begin() + 0xC000));
    EXPECT_EQ(memory[0xBFFF], 0xEE);
    EXPECT_EQ(memory[0xC000 + sizeof kMusPlayerFile - 2], 0xEE);
    EXPECT_EQ(memory[0xCC90], 0x4C);  // the init entry is a jump
    EXPECT_FALSE(tune.installVudidazerPlayer(nullptr));

    const std::vector<std::uint8_t> broken = {0x00};
    SidTune failed(broken.data(), broken.size());
    std::vector<std::uint8_t> untouched(65536, 0xEE);
    EXPECT_FALSE(failed.installVudidazerPlayer(untouched.data()));
    EXPECT_EQ(untouched[0xC000], 0xEE);
}

} // namespace
} // namespace notecast::test
