// Single runs at the edges: outputs that are inputs, options that are none,
// truncated tunes, every song of a tune.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class SingleRunEdges : public ::testing::Test {
protected:
    fs::path dir = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());

    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
};

TEST_F(SingleRunEdges, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
    const Bytes tune = quietTune().build();
    writeFile(dir / "same.sid", tune);
    fs::create_directory(dir / "sub");
    writeFile(dir / "raw.dat", Bytes{0x00, 0x10, 0x60, 0xEA, 0xEA, 0x60});
    const std::string info = "TUNEBOX INFOFILE\nADDRESS=0000,1000,1003\nSONGS=1,1\n";
    writeFile(dir / "raw.inf", info);
    writeFile(dir / "tune.svg", tune);  // a tune named as the picture of tune.mid
    const struct {
        std::vector<std::string> args;
        std::string answers, output;
    } cases[] = {
        {{"-t1", "same.sid", "same.sid"}, "y\n", "same.sid"},
        {{"-t1", "-y", "same.sid", "sub/../same.sid"}, "", "sub/../same.sid"},
        {{"-t1", "raw.dat", "raw.inf"}, "y\n", "raw.inf"},
        {{"-t1", "-svg", "tune.svg", "tune.mid"}, "y\n", "tune.svg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProgramResult r = runProgram(c.args, dir, c.answers);
        EXPECT_EQ(r.err, "ERROR: The output file is an input file: " + c.output + "\n");
        EXPECT_EQ(r.exitCode, 255);
        EXPECT_EQ(r.out.find("Overwrite"), std::string::npos);
    }
    EXPECT_EQ(readFile(dir / "same.sid"), tune);
    EXPECT_EQ(readFile(dir / "raw.inf"), Bytes(info.begin(), info.end()));
    EXPECT_EQ(readFile(dir / "tune.svg"), tune);
    EXPECT_FALSE(fs::exists(dir / "tune.mid"));
}

TEST_F(SingleRunEdges, WarningsForUnknownOptionsAndForAddressesOutsideTheData) {
    PsidBuilder cut = quietTune();
    cut.init = 0x2000;
    writeFile(dir / "cut.sid", cut.build());
    const ProgramResult r = runProgram({"-nosie3", "-t1", "-Env", "cut.sid"}, dir);
    EXPECT_EQ(r.err,
              "WARNING: Unknown option ignored: -nosie3\n"
              "WARNING: Unknown option ignored: -Env\n"
              "WARNING: The init address $2000 lies outside the tune's data ($1000-$1003); the file is "
              "truncated or damaged and may convert to silence.\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(fs::exists(dir / "cut_subtune1.mid"));
}

TEST_F(SingleRunEdges, EverySongIntoItsOwnFile) {
    writeFile(dir / "three.sid", quietTune(3).build());
    writeFile(dir / "three_subtune2.mid", std::string("old"));
    ProgramResult r = runProgram({"-all", "-y", "-t1", "-o3", "three.sid"}, dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(count(r.out, "Working      : "), 3u);
    EXPECT_EQ(r.out.find("Overwrite"), std::string::npos);  // -y: no question
    for (int song = 1; song <= 3; ++song) {
        const std::string n = std::to_string(song);
        EXPECT_EQ(count(r.out, "Setting song : " + n + " out of 3 (default = 1)\nOutput file  : three_subtune" + n +
                                   ".mid\n"),
                  1u)
            << r.out;
        EXPECT_GT(fs::file_size(dir / ("three_subtune" + n + ".mid")), 3u);
    }
    // A given output name is numbered per song, and so are the pictures.
    r = runProgram({"-all", "-2txt", "-svg", "-t1", "three.sid", "dump.mid"}, dir);
    EXPECT_EQ(r.exitCode, 0);
    for (const char* name : {"dump_subtune1.txt", "dump_subtune3.txt", "dump_subtune1.svg", "dump_subtune3.svg"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
}

} // namespace
} // namespace notecast::test
