#pragma once
#include <iosfwd>

namespace notecast {

struct RunOptions;

// A run under -batch: every positional argument is an input, a tune file or
// a folder searched for tunes. Loads the song-length database once, converts
// the songs on several threads, shows the progress on err (in place when it
// is a terminal), prints the refused and failed songs and a summary, and
// writes the report file when one is asked for. Asks no question.
//
// Returns the exit code: 0 when no song failed, 1 otherwise; -1 when the
// run cannot start (the report file would overwrite an input).
int runBatch(const RunOptions& run, const char* argument0, std::ostream& out, std::ostream& err,
             bool errIsTerminal);

} // namespace notecast
