// Runs of the built program that end before a conversion starts: the pages,
// the version, the settings echo and the loading failures.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <sstream>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramEarlyEnd, TextsAndExitCode) {
    const fs::path dir = scratchDir("early-end");
    writeFile(dir / "empty.sid", std::string());
    writeFile(dir / "notes.txt", std::string("This is no C64 tune.\n"));
    const std::string usage = bannerBlock() + helpPage(HelpPage::Usage);
    const std::string midiPage = bannerBlock() + helpPage(HelpPage::Midi);
    const std::string noFile = "ERROR: Could not open file for binary input\n";
    std::ostringstream collectionHelp;
    printCollectionHelp(collectionHelp);
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int exitCode = 255;
    } cases[] = {
        {{"--version"}, "NOTECAST " NOTECAST_VERSION "\n", "", 0},
        {{"--help"}, usage + collectionHelp.str(), "", 0},
        // Standard input is a file, so no key is waited for.
        {{}, usage, ""},
        {{"-v", "-t10"}, usage, ""},
        // Help pages take precedence over everything else.
        {{"-hm", "missing.sid"}, midiPage, ""},
        {{"missing.sid", "-ht"}, bannerBlock() + helpPage(HelpPage::Text), ""},
        {{"-ht", "-hm"}, midiPage, ""},
        {{"-hm", "-ht"}, midiPage, ""},
        // Verbose runs echo the settings before loading; text mode leaves the
        // label of the next line open.
        {{"-v", "-bpm", "-if", "missing.sid"},
         bannerBlock() +
             "Settings     : Don't convert continuous frequency changes.\n"
             "             : Set pitchbend sensitivity to 96 halftones.\n"
             "             : Set MIDI song tempo to 100.00 bpm.\n"
             "             : Set MIDI song timebase to 120 ppq.\n",
         noFile},
        {{"missing.sid", "-v", "-2txt", "-cake", "-eng", "-ifdisp", "-env"},
         bannerBlock() +
             "Settings     : Generate simplified ASCII text output.\n"
             "             : Use Cakewalk time representation (min:sec.frm).\n"
             "             : Use English note representation.\n"
             "             : Don't display frequency values.\n"
             "             : Don't convert continuous frequency changes.\n"
             "             : Optimize note lengths by SID ADSR-envelope emulation.\n"
             "             : ",
         noFile},
        {{"empty.sid"}, bannerBlock(), "ERROR: File is empty\n"},
        {{"notes.txt"}, bannerBlock(), "ERROR: Could not determine file format\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProgramResult r = runProgram(c.args, dir);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.exitCode, c.exitCode);
    }

    // A directory is reported in one error line, not loaded.
    fs::create_directory(dir / "tunes.sid");
    const ProgramResult r = runProgram({"tunes.sid"}, dir);
    EXPECT_EQ(r.out, bannerBlock());
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(r.exitCode, 255);
}

} // namespace
} // namespace notecast::test
