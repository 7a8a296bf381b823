#include "frontend/CommandLine.h"
#include "frontend/Options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace notecast {
namespace {

// An argument vector shaped like the one a process receives.
class Arguments {
public:
    Arguments(std::initializer_list<std::string> args) : Arguments(std::vector<std::string>(args)) {}
    explicit Arguments(std::vector<std::string> args) : texts_(std::move(args)) {
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

// The settings the options change, on one line.
std::string describe(const ConverterSettings& s) {
    std::ostringstream out;
    out << (s.outputMode == OutputMode::Text ? "text" : "midi") << (s.timeFormat == TimeFormat::Frames ? " frames" : "")
        << " t" << s.playSeconds << (s.autoTempo ? " auto" : " bpm") << s.tempoBpm << " p2n" << s.pitchChangeNotes
        << " if" << s.frequencyChangeLimit << (s.hideFrequency ? " hide" : "") << (s.captureSamples ? " sam" : " ch")
        << s.sampleChannel << " sc" << s.speedScale << " noise" << s.noiseLevel << (s.ntscClock ? " ntsc" : "");
    return out.str();
}

TEST(Options, PrefixFlagsAndTheValuePatternsAfterThem) {
    const RunOptions run = readOptions(Arguments{"-t0", "in", "out", "third"}.commandLine());
    EXPECT_EQ(run.inputFile + " " + run.outputFile, "in out");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-t0"}, "midi t0 auto100 p2n0 if-1 ch10 sc1 noise0"},  // -t0 counts as not given
        {{"-bpm", "-p2n", "-sam", "-sc.5", "-cake2", "-2txtx"}, "text frames t0 bpm100 p2n-1 if-1 sam10 sc1 noise0"},
        // -sam keeps the low four bits; -n is an exact test
        {{"-bpm120.5", "-p2n4", "-if2", "-sam20", "-noise3", "-nx"}, "midi t0 bpm120.5 p2n4 if2 sam4 sc1 noise3"},
        {{"-ifdisp"}, "midi t0 auto100 p2n0 if0 hide ch10 sc1 noise0"},  // also counts as -if
        {{"-ifdisp", "-if3"}, "midi t0 auto100 p2n0 if3 hide ch10 sc1 noise0"},
    };
    for (const auto& [arguments, settings] : cases) EXPECT_EQ(describe(Arguments(arguments).settings()), settings);
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
