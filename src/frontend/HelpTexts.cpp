#include "frontend/HelpTexts.h"

#include "Version.h"

#include <ostream>

namespace notecast {

namespace {

constexpr const char* kVersion = NOTECAST_VERSION;

// Every option line starts with a five-character marker column.
constexpr const char* kAnyMode = "     ";
constexpr const char* kTextOnly = "(T)  ";

void line(std::ostream& out, const char* text) { out << text << std::endl; }

void optionLine(std::ostream& out, const char* marker, const char* text) {
    out << marker << text << std::endl;
}

void printSyntaxBlock(std::ostream& out) {
    line(out, "  syntax: NOTECAST [-<option>] <inputfile> [<outputfile>]");
    line(out, "  option summary: (T) = text output only");
    line(out, "");
}

void printUsageLines(std::ostream& out) {
    optionLine(out, kAnyMode, "-hm      display MIDI mode options");
    optionLine(out, kAnyMode, "-ht      display extra TEXT mode options");
    optionLine(out, kAnyMode, "-v       verbose output");
    optionLine(out, kAnyMode, "-o<num>  set song number (default: preset)");
    optionLine(out, kAnyMode, "-n       set C64 NTSC clock speed");
    optionLine(out, kAnyMode, "-cwd     create output file in current working directory");
}

void printMidiLines(std::ostream& out) {
    optionLine(out, kAnyMode, "-ps<num>    set pitchbend sensitivity (default: 96 semitones)");
    optionLine(out, kAnyMode, "-bpm<num>   set tempo in beats per minute (default: 100.0)");
    optionLine(out, kAnyMode, "-ppq<num>   set timebase in pulses per quarter (default: 120)");
    optionLine(out, kAnyMode, "-t<num>     set time in seconds to run song (default: 90)");
    optionLine(out, kAnyMode, "-env        optimize note lengths by envelope emulation");
    optionLine(out, kAnyMode, "-if[num]    inhibit sustaining frequency changes");
    optionLine(out, kAnyMode, "-noise<num> noise mapping level (default: 0)");
    optionLine(out, kAnyMode, "-sam<num>   capture sample events on channel [0..15]");
    optionLine(out, kAnyMode, "-p2n[num]   map [max. X] pitch changes to note events (default: all)");
    optionLine(out, kAnyMode, "-pt<num>    pitch to note threshold (default: 1 semitone)");
    optionLine(out, kAnyMode, "-sc<num>    scale song speed (default: 1.0)");
    optionLine(out, kAnyMode, "-m<num>     mute SID voice(s) (default: none)");
    optionLine(out, kAnyMode, "-daw        DAW-ready file: -env and all of the options below");
    optionLine(out, kAnyMode, "-tracks     one named track per channel (format 1)");
    optionLine(out, kAnyMode, "-gm         General MIDI sound per channel");
    optionLine(out, kAnyMode, "-kit        drums on General MIDI drum keys, channel 10");
    optionLine(out, kAnyMode, "-click      a noise click takes the pitch of its tone");
    optionLine(out, kAnyMode, "-split      bend range max. 12, pitch steps become notes");
    optionLine(out, kAnyMode, "-beat       tempo from the notes of all channels");
    optionLine(out, kAnyMode, "-vel        velocity from envelope and volume");
}

void printTextLines(std::ostream& out) {
    optionLine(out, kAnyMode, "-2txt     generate text file (default: midi file)");
    optionLine(out, kTextOnly, "-cake     set SMPTE time format (Cakewalk)");
    optionLine(out, kTextOnly, "-eng      use English notes");
    optionLine(out, kTextOnly, "-ifdisp   inhibit frequency display column");
    optionLine(out, kTextOnly, "-an       always show notes");
}

void printCollectionLines(std::ostream& out) {
    line(out, "  converting many songs and files:");
    optionLine(out, kAnyMode, "-all       convert every song, each into its own file");
    optionLine(out, kAnyMode, "-batch     every file name is an input: a tune, or a folder to search");
    optionLine(out, kAnyMode, "-dir=PATH  with -batch: outputs below folder PATH, as the inputs lie");
    optionLine(out, kAnyMode, "-csv=PATH  with -batch: write a report of every song to file PATH");
    optionLine(out, kAnyMode, "-j<num>    with -batch: conversions at once (default: one per processor)");
    optionLine(out, kAnyMode, "-y         replace existing output files without asking");
    optionLine(out, kAnyMode, "--help     this page; --version prints the version");
}

} // namespace

void printCollectionHelp(std::ostream& out) {
    printCollectionLines(out);
    line(out, "");
}

void printVersion(std::ostream& out) { out << "NOTECAST " << kVersion << std::endl; }

void printBanner(std::ostream& out) {
    out << "NOTECAST   Music Data Generator   Version " << kVersion << std::endl;
    line(out, "(C) 2026 The NOTECAST authors.");
}

void printHelpPage(std::ostream& out, HelpPage page) {
    printSyntaxBlock(out);
    switch (page) {
    case HelpPage::Usage: printUsageLines(out); break;
    case HelpPage::Midi: printMidiLines(out); break;
    case HelpPage::Text: printTextLines(out); break;
    }
    line(out, "");
}

} // namespace notecast
