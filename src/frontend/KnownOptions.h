#pragma once
#include "frontend/CommandLine.h"

#include <span>
#include <string>
#include <vector>

namespace notecast {

// Every option the program reads, each in the form its test takes. This is
// the list the program knows its options by; a test checks that it names
// exactly the options the parser asks for.
std::span<const OptionRule> knownOptions();

// The arguments that begin with "-" and that no known option accepts, in
// order (argument 0 is not looked at).
std::vector<std::string> unknownOptions(int argc, char** argv);

} // namespace notecast
