#pragma once
#include <iosfwd>

namespace notecast {

// The program from its arguments to its exit code (-1 for every early end,
// 0 otherwise). The streams are the console; tests pass their own.
int runDriver(int argc, char** argv);
int runDriver(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace notecast
