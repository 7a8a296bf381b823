// Runs of the built program that convert a tune: the console dialogue
// around the conversion, the playing time from the song-length database and
// the exit codes.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

#include <regex>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;

const char* const kCredits = "Name         : Test Tune\nAuthor       : NOTECAST\nCopyright    : 2026 NOTECAST\n";

class ProgramConversion : public ::testing::Test {
protected:
    fs::path dir = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());

    fs::path writeTune(const std::string& name, const PsidBuilder& tune) {
        writeFile(dir / name, tune.build());
        return dir / name;
    }

    // The output after "Working      : " is the progress line, an empty line,
    // the writer's warnings and a line end.
    static void expectProgressTail(const std::string& out, std::size_t from) {
        static const std::regex tail("#{1,30} \\(100%\\)\n\n[^]*\n");
        EXPECT_TRUE(std::regex_match(out.substr(from), tail)) << out;
    }
};

TEST_F(ProgramConversion, ConvertsAReadOnlyTune) {
    const fs::path tune = writeTune("tune.sid", quietTune());
    fs::permissions(tune, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ProgramResult r = runProgram({"-t1", "tune.sid"}, dir);
    const std::string head = bannerBlock() + kCredits +
                             "Setting song : 1 out of 1 (default = 1)\n"
                             "Output file  : tune_subtune1.mid\n"
                             "Working      : ";
    ASSERT_EQ(r.out.substr(0, head.size()), head);
    expectProgressTail(r.out, head.size());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(fs::exists(dir / "tune_subtune1.mid"));
}

TEST_F(ProgramConversion, WithoutASongNumberOrBeyondTheTuneTheStartSongPlays) {
    PsidBuilder five = quietTune();
    five.songs = 5;
    five.startSong = 2;
    writeTune("five.sid", five);
    // A song number beyond the tune still names the output.
    for (const auto& [option, song] : {std::pair{"-o99", "99"}, std::pair{"-o65537", "65537"},
                                       std::pair{"-t1", "2"}}) {
        const ProgramResult r = runProgram({option, "-t1", "five.sid"}, dir);
        EXPECT_CONTAINS(r.out, "Setting song : 2 out of 5 (default = 2)\nOutput file  : five_subtune" + std::string(song) +
                                   ".mid\n");
        EXPECT_EQ(r.exitCode, 0);
    }
}

TEST_F(ProgramConversion, PlayingTimeFromTheDatabase) {
    writeTune("tune.sid", quietTune());
    const auto bytes = quietTune().build();
    SidTune loaded(bytes.data(), bytes.size());
    const std::string key = fingerprintKey(loaded);
    auto lengthLine = [](int seconds) {
        return "Song length  : " + std::to_string(seconds) + " seconds will be processed.\n";
    };

    // The database's length plus one second, unless a time is given.
    writeFile(dir / "Songlengths.txt", "[Database]\n; /tune.sid\n" + key + "=0:02\n");
    ProgramResult r = runProgram({"-v", "tune.sid", "a.mid"}, dir);
    EXPECT_CONTAINS(r.out, "MD5 checksum : " + key + "\nFile format  : ");
    EXPECT_CONTAINS(r.out, lengthLine(3));
    EXPECT_EQ(r.err, "");
    r = runProgram({"-v", "-t1", "tune.sid", "b.mid"}, dir);
    EXPECT_CONTAINS(r.out, lengthLine(1));

    // A database beside the program comes first, in either form. Relative
    // program paths, so that no directory above names the program.
    const fs::path bin = scratchDir("beside-bin");
    fs::create_symlink(fs::absolute(NOTECAST_BINARY), bin / "notecast");
    fs::create_symlink(fs::absolute(NOTECAST_BINARY), bin / "converter");
    writeFile(bin / "Songlengths.md5", "[Database]\n" + fileMd5Key(loaded) + "=0:04.500\n");
    r = runProgram({"-v", "tune.sid", "c.mid"}, dir, "", "../beside-bin/notecast");
    EXPECT_CONTAINS(r.out, lengthLine(5));

    // Started by another name, the program looks in the working directory only.
    r = runProgram({"-v", "tune.sid", "d.mid"}, dir, "", "../beside-bin/converter");
    EXPECT_CONTAINS(r.out, lengthLine(3));
}

TEST_F(ProgramConversion, OverwriteDialogue) {
    writeTune("tune.sid", quietTune());
    writeFile(dir / "tune_subtune1.mid", std::string("keep"));
    const std::string exists = "\nFile already exists: tune_subtune1.mid\n";
    const std::string prompt = "Working      : Overwrite the existing file (y/n)? ";

    for (const char* refusal : {"n\n", ""}) {
        const ProgramResult r = runProgram({"-t1", "tune.sid"}, dir, refusal);
        EXPECT_CONTAINS(r.out, "Output file  : tune_subtune1.mid\n" + prompt + "\n");
        EXPECT_EQ(r.err, exists);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(readFile(dir / "tune_subtune1.mid"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    }

    const ProgramResult r = runProgram({"-t1", "tune.sid"}, dir, "ok\nY\n");
    const std::string retried = prompt + "What ?!@#? What ?!@#? Working      : ";
    const std::size_t at = r.out.find(retried);
    ASSERT_NE(at, std::string::npos) << r.out;
    expectProgressTail(r.out, at + retried.size());
    EXPECT_EQ(r.err, exists);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_GT(fs::file_size(dir / "tune_subtune1.mid"), 4u);
}

TEST_F(ProgramConversion, AnOutputThatCannotBeCreatedFailsTheRun) {
    writeTune("tune.sid", quietTune());
    const ProgramResult r = runProgram({"-t1", "tune.sid", "no/such/dir/out.mid"}, dir);
    EXPECT_EQ(r.err, "\nCould not create file: no/such/dir/out.mid\n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST_F(ProgramConversion, RoutinesStoppedByTheBudgetAreReportedOnce) {
    PsidBuilder stuck = quietTune();
    stuck.code = {0x60, 0xEA, 0xEA, 0x4C, 0x03, 0x10};  // play: JMP $1003
    writeTune("stuck.sid", stuck);
    ProgramResult r = runProgram({"-t1", "stuck.sid"}, dir);
    EXPECT_TRUE(std::regex_match(
        r.err, std::regex("WARNING: [0-9]+ play calls did not return and were stopped; this tune "
                          "needs a real C64 environment and cannot be converted faithfully.\n")))
        << r.err;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(fs::exists(dir / "stuck_subtune1.mid"));

    PsidBuilder stuckInit = quietTune();
    stuckInit.code = {0x4C, 0x00, 0x10, 0x60};  // init: JMP $1000
    writeTune("init.sid", stuckInit);
    r = runProgram({"-t1", "init.sid"}, dir);
    EXPECT_EQ(r.err,
              "WARNING: The init routine did not return and was stopped; this tune needs a real C64 "
              "environment and cannot be converted faithfully.\n");
    EXPECT_EQ(r.exitCode, 0);
}

} // namespace
} // namespace notecast::test
