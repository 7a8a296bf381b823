// Runs of the built program that end before a conversion starts.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;

const char* const kMidiPage =
    "  syntax: NOTECAST [-<option>] <inputfile> [<outputfile>]\n"
    "  option summary: (T) = text output only\n"
    "\n"
    "     -ps<num>    set pitchbend sensitivity (default: 96 semitones)\n"
    "     -bpm<num>   set tempo in beats per minute (default: 100.0)\n"
    "     -ppq<num>   set timebase in pulses per quarter (default: 120)\n"
    "     -t<num>     set time in seconds to run song (default: 90)\n"
    "     -env        optimize note lengths by envelope emulation\n"
    "     -if[num]    inhibit sustaining frequency changes\n"
    "     -noise<num> noise mapping level (default: 0)\n"
    "     -sam<num>   capture sample events on channel [0..15]\n"
    "     -p2n[num]   map [max. X] pitch changes to note events (default: all)\n"
    "     -pt<num>    pitch to note threshold (default: 1 semitone)\n"
    "     -sc<num>    scale song speed (default: 1.0)\n"
    "     -m<num>     mute SID voice(s) (default: none)\n"
    "\n";

const char* const kTextPage =
    "  syntax: NOTECAST [-<option>] <inputfile> [<outputfile>]\n"
    "  option summary: (T) = text output only\n"
    "\n"
    "     -2txt     generate text file (default: midi file)\n"
    "(T)  -cake     set SMPTE time format (Cakewalk)\n"
    "(T)  -eng      use English notes\n"
    "(T)  -ifdisp   inhibit frequency display column\n"
    "(T)  -an       always show notes\n"
    "\n";

class ProgramEarlyEnd : public ::testing::Test {
protected:
    fs::path dir = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());

    void expectEarlyEnd(const std::vector<std::string>& args, const std::string& out,
                        const std::string& err) {
        const ProgramResult r = runProgram(args, dir);
        EXPECT_EQ(r.out, out);
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.exitCode, 255);
    }
};

TEST_F(ProgramEarlyEnd, UsageWithoutArgumentsOrWithoutAFile) {
    // Standard input is a file, so no key is waited for.
    expectEarlyEnd({}, bannerBlock() + usagePage(), "");
    expectEarlyEnd({"-v", "-t10"}, bannerBlock() + usagePage(), "");
}

TEST_F(ProgramEarlyEnd, HelpPagesTakePrecedenceOverEverythingElse) {
    expectEarlyEnd({"-hm", "missing.sid"}, bannerBlock() + kMidiPage, "");
    expectEarlyEnd({"missing.sid", "-ht"}, bannerBlock() + kTextPage, "");
    expectEarlyEnd({"-ht", "-hm"}, bannerBlock() + kMidiPage, "");
    expectEarlyEnd({"-hm", "-ht"}, bannerBlock() + kMidiPage, "");
}

TEST_F(ProgramEarlyEnd, VerboseEchoesTheSettingsBeforeLoading) {
    expectEarlyEnd({"-v", "-bpm", "-if", "missing.sid"},
                   bannerBlock() +
                       "Settings     : Don't convert continuous frequency changes.\n"
                       "             : Set pitchbend sensitivity to 96 halftones.\n"
                       "             : Set MIDI song tempo to 100.00 bpm.\n"
                       "             : Set MIDI song timebase to 120 ppq.\n",
                   "ERROR: Could not open file for binary input\n");
    expectEarlyEnd({"missing.sid", "-v", "-2txt", "-eng"},
                   bannerBlock() +
                       "Settings     : Generate simplified ASCII text output.\n"
                       "             : Use English note representation.\n"
                       "             : ",
                   "ERROR: Could not open file for binary input\n");
}

TEST_F(ProgramEarlyEnd, FilesThatAreNoTune) {
    writeFile(dir / "empty.sid", std::string());
    writeFile(dir / "notes.txt", std::string("This is no C64 tune.\n"));
    expectEarlyEnd({"empty.sid"}, bannerBlock(), "ERROR: File is empty\n");
    expectEarlyEnd({"notes.txt"}, bannerBlock(), "ERROR: Could not determine file format\n");
}

TEST_F(ProgramEarlyEnd, ADirectoryIsReportedNotLoaded) {
    fs::create_directory(dir / "tunes.sid");
    const ProgramResult r = runProgram({"tunes.sid"}, dir);
    EXPECT_EQ(r.out, bannerBlock());
    EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << r.err;
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(r.exitCode, 255);
}

} // namespace
} // namespace notecast::test
