#pragma once
#include "frontend/HelpTexts.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace notecast::test {

// What a run of the built program left behind.
struct ProgramResult {
    std::string out;
    std::string err;
    int exitCode = -1;  // as the shell sees it (0..255); -1 when it did not exit normally
};

// Runs the program binary with the given arguments in workingDirectory, with
// standard input read from a file holding input (so it is never a terminal).
// program, when given, is the path the binary is started by (argument 0).
ProgramResult runProgram(const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory,
                         const std::string& input = "", const std::string& program = "");

// A PAL tune at $1000 of `songs` songs whose init and play routines return at once.
inline PsidBuilder quietTune(std::uint16_t songs = 1) {
    return PsidBuilder{.songs = songs, .code = {0x60, 0xEA, 0xEA, 0x60}};  // $1000 RTS, $1003 RTS
}

// The program's fixed texts, from their source, for building expected outputs.
std::string bannerBlock();
std::string helpPage(HelpPage page);

} // namespace notecast::test
