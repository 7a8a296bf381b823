#pragma once
#include "convert/ConverterSettings.h"

#include <cstdint>
#include <string>

namespace notecast {

class CommandLine;

// Everything the command line decides for one run: the settings handed to the
// conversion plus the values the driver keeps for itself.
struct RunOptions {
    ConverterSettings settings;
    bool verbose = false;
    std::int32_t songNumber = 0;      // 0: the tune's own start song
    bool outputInWorkingDirectory = false;
    std::string inputFile;
    std::string outputFile;           // empty: named after the input file
};

// Evaluates the option table in its fixed order and reads the two positional
// arguments. The help options are the driver's and are not looked at here.
// Unknown options and values that fail their check are ignored silently.
RunOptions readOptions(const CommandLine& commandLine);

} // namespace notecast
