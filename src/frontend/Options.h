#pragma once
#include "convert/ConverterSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

class CommandLine;

// The options for converting many songs and files in one run.
struct CollectionOptions {
    bool allSongs = false;           // -all: songs 1 to N, each into its own file
    bool batch = false;              // -batch: every positional argument is an input
    std::string outputDirectory;     // -dir=PATH: outputs mirror the inputs below it
    std::string reportFile;          // -csv=PATH: one row per song
    std::int32_t jobs = 0;           // -j<N>: parallel conversions; 0 = one per processor
    bool replaceOutputs = false;     // -y: existing outputs are replaced, never asked about
    std::vector<std::string> inputs; // every positional argument, in order
};

// Everything the command line decides for one run: the settings handed to the
// conversion plus the values the driver keeps for itself.
struct RunOptions {
    ConverterSettings settings;
    bool verbose = false;
    std::int32_t songNumber = 0;      // 0: the tune's own start song
    bool outputInWorkingDirectory = false;
    std::string inputFile;
    std::string outputFile;           // empty: named after the input file
    CollectionOptions collection;
};

// The pages that end a run before any conversion, in their precedence.
enum class PageRequest { None, MidiHelp, TextHelp, Help, Version };
PageRequest requestedPage(const CommandLine& commandLine);

// Evaluates the option table in its fixed order and reads the two positional
// arguments. The pages (requestedPage) are not looked at here.
// Unknown options and values that fail their check are ignored silently.
RunOptions readOptions(const CommandLine& commandLine);

} // namespace notecast
