// Where the program writes its output and looks for the song-length database.
#include "frontend/OutputName.h"
#include "frontend/PlayingTime.h"

#include <gtest/gtest.h>

namespace notecast {
namespace {

TEST(OutputName, SongNumberAndExtensionReplaceTheLastExtensionOnly) {
    const struct {
        const char* input;
        std::int32_t song;
        bool workingDirectory, text;
        const char* output;
    } cases[] = {
        {"C:\\music\\tune.sid", 2, false, false, "C:\\music\\tune_subtune2.mid"},
        {"C:\\music\\tune.sid", 2, true, true, "tune_subtune2.txt"},
        {"/home/me/tunes/tune.sid", 1, true, false, "tune_subtune1.mid"},
        {"tune.old.sid", 99, false, false, "tune.old_subtune99.mid"},
        // Dots in directory names do not cut the path.
        {"dir.old\\tune", 1, false, false, "dir.old\\tune_subtune1.mid"},
        {"./tune", 1, false, false, "./tune_subtune1.mid"},
        {"../v1.2/tune", 3, false, true, "../v1.2/tune_subtune3.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultOutputName(c.input, c.song, c.workingDirectory, c.text ? OutputMode::Text : OutputMode::Midi),
                  c.output);
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
