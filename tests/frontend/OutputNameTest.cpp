// Where the program writes its output and looks for the song-length database.
#include "frontend/OutputName.h"
#include "frontend/PlayingTime.h"

#include <gtest/gtest.h>

namespace notecast {
namespace {

TEST(OutputName, SongNumberAndExtensionReplaceTheLastExtensionOnly) {
    EXPECT_EQ(defaultOutputName("C:\\music\\tune.sid", 2, false, OutputMode::Midi), "C:\\music\\tune_subtune2.mid");
    EXPECT_EQ(defaultOutputName("C:\\music\\tune.sid", 2, true, OutputMode::Midi), "tune_subtune2.mid");
    EXPECT_EQ(defaultOutputName("C:\\music\\tune.sid", 2, false, OutputMode::Text), "C:\\music\\tune_subtune2.txt");
    EXPECT_EQ(defaultOutputName("/home/me/tunes/tune.sid", 1, true, OutputMode::Text), "tune_subtune1.txt");
    EXPECT_EQ(defaultOutputName("tune", 1, false, OutputMode::Midi), "tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("tune.old.sid", 99, true, OutputMode::Midi), "tune.old_subtune99.mid");
    // Dots in directory names do not cut the path.
    EXPECT_EQ(defaultOutputName("dir.old\\tune", 1, false, OutputMode::Midi), "dir.old\\tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("./tune", 1, false, OutputMode::Midi), "./tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("../v1.2/tune", 3, false, OutputMode::Midi), "../v1.2/tune_subtune3.mid");
    EXPECT_EQ(defaultOutputName("../v1.2/tune.sid", 3, true, OutputMode::Midi), "tune_subtune3.mid");
}

TEST(SongLengthCandidates, BesideTheProgramThenTheWorkingDirectory) {
    using Paths = std::vector<std::string>;
    EXPECT_EQ(songLengthCandidates("/opt/NoteCast/bin/NOTECAST"),
              (Paths{"/opt/NoteCast/bin/Songlengths.txt", "/opt/NoteCast/bin/Songlengths.md5",
                     "Songlengths.txt", "Songlengths.md5"}));
    EXPECT_EQ(songLengthCandidates("C:\\tools\\notecast\\NoteCast.exe"),
              (Paths{"C:\\tools\\notecast\\Songlengths.txt", "C:\\tools\\notecast\\Songlengths.md5",
                     "Songlengths.txt", "Songlengths.md5"}));
    // The working directory alone, once, when argument 0 does not name the
    // program or has no directory part.
    const Paths workingDirectory{"Songlengths.txt", "Songlengths.md5"};
    EXPECT_EQ(songLengthCandidates("convert.exe"), workingDirectory);
    EXPECT_EQ(songLengthCandidates("notecast"), workingDirectory);
    EXPECT_EQ(songLengthCandidates(nullptr), workingDirectory);
}

} // namespace
} // namespace notecast
