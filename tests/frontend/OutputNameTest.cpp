#include "frontend/OutputName.h"

#include <gtest/gtest.h>

namespace notecast {
namespace {

TEST(OutputName, BackslashPaths) {
    EXPECT_EQ(defaultOutputName("C:\\music\\tune.sid", 2, false, 0), "C:\\music\\tune_subtune2.mid");
    EXPECT_EQ(defaultOutputName("C:\\music\\tune.sid", 2, true, 0), "tune_subtune2.mid");
    EXPECT_EQ(defaultOutputName("C:\\music\\tune.sid", 2, false, 1), "C:\\music\\tune_subtune2.txt");
}

TEST(OutputName, SlashPathsAndNamesWithoutExtension) {
    EXPECT_EQ(defaultOutputName("/home/me/tunes/tune.sid", 1, false, 0),
              "/home/me/tunes/tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("/home/me/tunes/tune.sid", 1, true, 1), "tune_subtune1.txt");
    EXPECT_EQ(defaultOutputName("tune", 1, false, 0), "tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("tune.old.sid", 99, true, 0), "tune.old_subtune99.mid");
}

TEST(OutputName, DotsInDirectoriesDoNotCutThePath) {
    EXPECT_EQ(defaultOutputName("dir.old\\tune", 1, false, 0), "dir.old\\tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("./tune", 1, false, 0), "./tune_subtune1.mid");
    EXPECT_EQ(defaultOutputName("../v1.2/tune", 3, false, 0), "../v1.2/tune_subtune3.mid");
    EXPECT_EQ(defaultOutputName("../v1.2/tune.sid", 3, true, 0), "tune_subtune3.mid");
}

} // namespace
} // namespace notecast
