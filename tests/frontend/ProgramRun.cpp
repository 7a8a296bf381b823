#include "frontend/ProgramRun.h"

#include "support/TestSupport.h"

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

namespace notecast::test {

namespace fs = std::filesystem;

namespace {

// One word for the shell, whatever it holds.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readText(const fs::path& path) {
    const std::vector<std::uint8_t> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

ProgramResult runProgram(const std::vector<std::string>& arguments, const fs::path& workingDirectory,
                         const std::string& input, const std::string& program) {
    // The streams live beside, not inside, the working directory, so the
    // program sees only what the test put there.
    const fs::path streams = scratchDir(workingDirectory.filename().string() + "-streams");
    writeFile(streams / "stdin", input);
    // exec keeps the path the program is started by as its argument 0.
    std::string command = "cd " + quoted(workingDirectory.string()) + " && exec " +
                          quoted(program.empty() ? std::string(NOTECAST_BINARY) : program);
    for (const std::string& a : arguments) command += " " + quoted(a);
    command += " <" + quoted((streams / "stdin").string()) + " >" + quoted((streams / "stdout").string()) +
               " 2>" + quoted((streams / "stderr").string());
    const int status = std::system(command.c_str());
    ProgramResult result;
    result.out = readText(streams / "stdout");
    result.err = readText(streams / "stderr");
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

// The program's own texts: the banner block closes with an empty line.
std::string bannerBlock() {
    std::ostringstream out;
    printBanner(out);
    return out.str() + "\n";
}

std::string helpPage(HelpPage page) {
    std::ostringstream out;
    printHelpPage(out, page);
    return out.str();
}

} // namespace notecast::test
