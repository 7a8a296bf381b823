#include "frontend/ProgramRun.h"

#include "support/TestSupport.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace notecast::test {

namespace fs = std::filesystem;

namespace {

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
    const fs::path inPath = streams / "stdin";
    const fs::path outPath = streams / "stdout";
    const fs::path errPath = streams / "stderr";
    writeFile(inPath, input);

    std::vector<std::string> texts{program.empty() ? std::string(NOTECAST_BINARY) : program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(t.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(workingDirectory.c_str()) != 0) {
            _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProgramResult result;
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return result;
    result.out = readText(outPath);
    result.err = readText(errPath);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

std::string bannerBlock() {
    return "NOTECAST   Music Data Generator   Version 0.17.7\n"
           "(C) 2026 The NOTECAST authors.\n"
           "\n";
}

std::string usagePage() {
    return "  syntax: NOTECAST [-<option>] <inputfile> [<outputfile>]\n"
           "  option summary: (T) = text output only\n"
           "\n"
           "     -hm      display MIDI mode options\n"
           "     -ht      display extra TEXT mode options\n"
           "     -v       verbose output\n"
           "     -o<num>  set song number (default: preset)\n"
           "     -n       set C64 NTSC clock speed\n"
           "     -cwd     create output file in current working directory\n"
           "\n";
}

} // namespace notecast::test
