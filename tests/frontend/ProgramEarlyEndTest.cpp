// Runs of the built program that end before a conversion starts.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;

const char* const kMidiOptions =
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
    "     -daw        DAW-ready file: -env and all of the options below\n"
    "     -tracks     one named track per channel (format 1)\n"
    "     -gm         General MIDI sound per channel\n"
    "     -kit        drums on General MIDI drum keys, channel 10\n"
    "     -click      a noise click takes the pitch of its tone\n"
    "     -split      bend range max. 12, pitch steps become notes\n"
    "     -beat       tempo from the notes of all channels\n"
    "     -vel        velocity from envelope and volume\n"
    "\n";

const char* const kTextOptions =
    "     -2txt     generate text file (default: midi file)\n"
    "(T)  -cake     set SMPTE time format (Cakewalk)\n"
    "(T)  -eng      use English notes\n"
    "(T)  -ifdisp   inhibit frequency display column\n"
    "(T)  -an       always show notes\n"
    "\n";

TEST(ProgramEarlyEnd, TextsAndExitCode) {
    const fs::path dir = scratchDir("early-end");
    writeFile(dir / "empty.sid", std::string());
    writeFile(dir / "notes.txt", std::string("This is no C64 tune.\n"));
    // Every page starts with the syntax lines of the usage page.
    const std::string usage = bannerBlock() + usagePage();
    const std::string pageHead = usage.substr(0, usage.find("\n\n", bannerBlock().size()) + 2);
    const std::string noFile = "ERROR: Could not open file for binary input\n";
    const struct {
        std::vector<std::string> args;
        std::string out, err;
    } cases[] = {
        // Standard input is a file, so no key is waited for.
        {{}, usage, ""},
        {{"-v", "-t10"}, usage, ""},
        // Help pages take precedence over everything else.
        {{"-hm", "missing.sid"}, pageHead + kMidiOptions, ""},
        {{"missing.sid", "-ht"}, pageHead + kTextOptions, ""},
        {{"-ht", "-hm"}, pageHead + kMidiOptions, ""},
        {{"-hm", "-ht"}, pageHead + kMidiOptions, ""},
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
        EXPECT_EQ(r.exitCode, 255);
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
