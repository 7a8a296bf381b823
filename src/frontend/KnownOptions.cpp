#include "frontend/KnownOptions.h"

namespace notecast {

namespace {

using enum OptionForm;

// One line per test the parser makes; an option read both as a flag and as
// a value ("-bpm", "-bpm%d") has a line for each.
constexpr OptionRule kKnownOptions[] = {
    {"-hm", Exact},
    {"-ht", Exact},
    {"--help", Exact},
    {"--version", Exact},
    {"-v", Exact},
    {"-an", Exact},
    {"-eng", Exact},
    {"-ifdisp", Exact},
    {"-cake", Prefix},
    {"-2txt", Prefix},
    {"-ps%d", Value},
    {"-bpm", Prefix},
    {"-bpm%d", Value},
    {"-ppq%d", Value},
    {"-if", Prefix},
    {"-if%d", Value},
    {"-o%d", Value},
    {"-p2n", Prefix},
    {"-p2n%d", Value},
    {"-karp", Exact},
    {"-sc%d", Value},
    {"-noise%d", Value},
    {"-n", Exact},
    {"-cwd", Exact},
    {"-env", Exact},
    {"-sam", Prefix},
    {"-sam%d", Value},
    {"-pt%d", Value},
    {"-t%d", Value},
    {"-m%d", Value},
    {"-x%d", Value},
    {"-all", Exact},
    {"-batch", Exact},
    {"-dir=", Prefix},
    {"-csv=", Prefix},
    {"-j%d", Value},
    {"-y", Exact},
    {"-daw", Exact},
    {"-tracks", Exact},
    {"-gm", Exact},
    {"-kit", Exact},
    {"-click", Exact},
    {"-split", Exact},
    {"-beat", Exact},
    {"-vel", Exact},
    {"-svg", Exact},
};

} // namespace

std::span<const OptionRule> knownOptions() { return kKnownOptions; }

std::vector<std::string> unknownOptions(int argc, char** argv) {
    std::vector<std::string> unknown;
    for (int i = 1; i < argc && argv != nullptr; ++i) {
        const char* argument = argv[i];
        if (argument == nullptr || argument[0] != '-') continue;
        bool known = false;
        for (const OptionRule& rule : kKnownOptions) {
            if (CommandLine::accepts(argument, rule)) {
                known = true;
                break;
            }
        }
        if (!known) unknown.emplace_back(argument);
    }
    return unknown;
}

} // namespace notecast
