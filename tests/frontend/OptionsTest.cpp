#include "frontend/CommandLine.h"
#include "frontend/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace notecast {
namespace {

// An argument vector shaped like the one a process receives.
class Arguments {
public:
    Arguments(std::initializer_list<std::string> args) : texts_(args) {
        texts_.insert(texts_.begin(), "notecast");
        for (std::string& t : texts_) pointers_.push_back(t.data());
        pointers_.push_back(nullptr);
    }
    CommandLine commandLine() { return CommandLine(static_cast<int>(texts_.size()), pointers_.data()); }
    ConverterSettings settings() { return readOptions(commandLine()).settings; }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

TEST(CommandLine, ExactAndPrefixTestsAndPositionalArguments) {
    Arguments a{"-V", "-cwd2", "-cake2", "in.sid", "", "third"};
    const CommandLine cl = a.commandLine();
    EXPECT_FALSE(cl.hasOption("-v"));
    EXPECT_FALSE(cl.hasOption("-cwd"));
    EXPECT_TRUE(cl.hasPrefix("-cake"));
    EXPECT_FALSE(cl.hasPrefix("notecast"));  // argument 0 is never examined

    std::string first, second, fourth = "unchanged";
    cl.getArgument(1, first);
    cl.getArgument(2, second);
    cl.getArgument(4, fourth);
    EXPECT_EQ(first, "in.sid");
    EXPECT_EQ(second, "");  // an empty argument counts
    EXPECT_EQ(fourth, "unchanged");
    char* none[] = {nullptr};
    CommandLine(0, none).getArgument(1, fourth);
    EXPECT_EQ(fourth, "unchanged");
}

TEST(CommandLine, ValuesNeedADigitAndTheFirstCarryingArgumentWins) {
    std::int32_t bend = 96;
    Arguments{"-ps", "-ps-5", "-psx", "-ps24x", "-ps30"}.commandLine().getValue("-ps%d", bend);
    EXPECT_EQ(bend, 24);

    // A value that does not fit ends the scan and leaves the default.
    std::int32_t song = 0;
    Arguments{"-o4294967295", "-o3"}.commandLine().getValue("-o%d", song);
    EXPECT_EQ(song, 0);
    std::uint32_t seconds = 0;
    Arguments{"-t4294967296", "-t3"}.commandLine().getValue("-t%d", seconds);
    EXPECT_EQ(seconds, 0u);

    float scale = 1.0f;
    std::string word;
    Arguments b{"-t90.5", "-sc0.5x", "-m13 4"};
    b.commandLine().getValue("-t%d", seconds);
    b.commandLine().getValue("-sc%d", scale);
    b.commandLine().getValue("-m%d", word);
    EXPECT_EQ(seconds, 90u);
    EXPECT_FLOAT_EQ(scale, 0.5f);
    EXPECT_EQ(word, "13");
}

TEST(Options, PrefixFlagsAndTheValuePatternsAfterThem) {
    const RunOptions run = readOptions(Arguments{"-t0", "in", "out", "third"}.commandLine());
    EXPECT_EQ(run.inputFile, "in");
    EXPECT_EQ(run.outputFile, "out");
    ConverterSettings s = run.settings;
    EXPECT_EQ(s.playSeconds, 0u);  // -t0 counts as not given
    EXPECT_EQ(s.outputMode, OutputMode::Midi);
    EXPECT_EQ(s.timeFormat, TimeFormat::Hundredths);
    EXPECT_TRUE(s.autoTempo);
    EXPECT_EQ(s.frequencyChangeLimit, -1);
    EXPECT_EQ(s.pitchChangeNotes, 0);
    EXPECT_FALSE(s.captureSamples);

    s = Arguments{"-bpm", "-p2n", "-sam", "-sc.5", "-cake2", "-2txtx"}.settings();
    EXPECT_FALSE(s.autoTempo);
    EXPECT_FLOAT_EQ(s.tempoBpm, 100.0f);
    EXPECT_EQ(s.pitchChangeNotes, -1);
    EXPECT_TRUE(s.captureSamples);
    EXPECT_EQ(s.sampleChannel, 10);
    EXPECT_FLOAT_EQ(s.speedScale, 1.0f);
    EXPECT_EQ(s.timeFormat, TimeFormat::Frames);
    EXPECT_EQ(s.outputMode, OutputMode::Text);

    s = Arguments{"-bpm120.5", "-p2n4", "-if2", "-sam20", "-noise3"}.settings();
    EXPECT_FALSE(s.autoTempo);
    EXPECT_FLOAT_EQ(s.tempoBpm, 120.5f);
    EXPECT_EQ(s.pitchChangeNotes, 4);
    EXPECT_EQ(s.frequencyChangeLimit, 2);
    EXPECT_EQ(s.sampleChannel, 4);  // low four bits
    EXPECT_FALSE(s.ntscClock);      // -n is an exact test
    EXPECT_EQ(s.noiseLevel, 3);

    s = Arguments{"-ifdisp"}.settings();  // also counts as -if
    EXPECT_TRUE(s.hideFrequency);
    EXPECT_EQ(s.frequencyChangeLimit, 0);
    EXPECT_EQ(Arguments({"-ifdisp", "-if3"}).settings().frequencyChangeLimit, 3);
}

TEST(Options, SongNumberAndMuteWords) {
    EXPECT_EQ(readOptions(Arguments({"-o2", "-o3"}).commandLine()).songNumber, 2);
    EXPECT_EQ(readOptions(Arguments({"-o-1"}).commandLine()).songNumber, 0);

    using Voices = std::array<bool, 9>;
    EXPECT_EQ(Arguments({"-m13"}).settings().muteVoice, (Voices{true, false, true}));
    EXPECT_EQ(Arguments({"-m4x2"}).settings().muteVoice, (Voices{false, true, false, true}));
    EXPECT_EQ(Arguments({"-m059"}).settings().muteVoice,
              (Voices{false, false, false, false, true, false, false, false, true}));
    EXPECT_EQ(Arguments({"-m", "-mx1"}).settings().muteVoice, Voices{});
}

} // namespace
} // namespace notecast
