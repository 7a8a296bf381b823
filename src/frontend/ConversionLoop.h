#pragma once
#include <iosfwd>

namespace notecast {

class SidTune;
struct RunOptions;

// The second half of a run, once the tune is loaded and its information
// printed: sets up the conversion, names the output file, converts (asking
// before an existing file is overwritten), prints the writer's warnings and
// returns the exit code: -1 when the set-up or the conversion failed, 0
// otherwise (also when the user declined to overwrite).
int convertTune(SidTune& tune, RunOptions& run, std::istream& in, std::ostream& out,
                std::ostream& err);

// The report of an exception that nobody expects: the machine state is
// unknown, so the user is asked to check it before trying again.
void reportUnexpected(std::ostream& err);

} // namespace notecast
