#pragma once
#include <iosfwd>

namespace notecast {

class Console;

// The program from its arguments to its exit code: -1 for every early end and
// for a conversion that failed, 0 otherwise; under -batch 1 when a song
// failed (runBatch). The streams are the console;
// tests pass their own, and then no terminal service is used unless a
// Console is given.
int runDriver(int argc, char** argv);
int runDriver(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);
int runDriver(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
              Console& console);

} // namespace notecast
