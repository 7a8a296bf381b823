#include "frontend/PlayingTime.h"

#include <gtest/gtest.h>

namespace notecast {
namespace {

using Paths = std::vector<std::string>;

TEST(SongLengthCandidates, BesideTheProgramThenTheWorkingDirectory) {
    EXPECT_EQ(songLengthCandidates("/opt/NoteCast/bin/NOTECAST"),
              (Paths{"/opt/NoteCast/bin/Songlengths.txt", "/opt/NoteCast/bin/Songlengths.md5",
                     "Songlengths.txt", "Songlengths.md5"}));
    EXPECT_EQ(songLengthCandidates("C:\\tools\\notecast\\NoteCast.exe"),
              (Paths{"C:\\tools\\notecast\\Songlengths.txt", "C:\\tools\\notecast\\Songlengths.md5",
                     "Songlengths.txt", "Songlengths.md5"}));
}

TEST(SongLengthCandidates, WorkingDirectoryOnlyOnce) {
    const Paths workingDirectory{"Songlengths.txt", "Songlengths.md5"};
    EXPECT_EQ(songLengthCandidates("convert.exe"), workingDirectory);
    EXPECT_EQ(songLengthCandidates("notecast"), workingDirectory);
    EXPECT_EQ(songLengthCandidates(nullptr), workingDirectory);
}

} // namespace
} // namespace notecast
