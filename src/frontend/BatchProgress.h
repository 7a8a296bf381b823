#pragma once
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace notecast {

// Where a batch stands.
struct BatchCounts {
    std::size_t filesDone = 0, files = 0;
    std::size_t songsDone = 0, songs = 0;
    std::size_t failed = 0;
    // Playing time converted and to convert: the work left is in proportion.
    std::uint64_t secondsDone = 0, seconds = 0;
};

// The batch's progress on standard error. On a terminal one line is
// rewritten in place (at most a few times a second); otherwise a plain line
// is written each time another tenth of the songs is done, so that a log
// stays short.
class BatchProgress {
public:
    BatchProgress(std::ostream& err, bool terminal);
    // While the inputs are looked at: files looked at so far, on a terminal
    // only (the conversions' display replaces it).
    void searching(std::size_t filesDone, std::size_t files, double elapsed);
    // Clears that line.
    void searched();
    // elapsed: seconds since the conversions began.
    void show(const BatchCounts& counts, double elapsed);
    // The last state, on a line of its own.
    void finish(const BatchCounts& counts, double elapsed);

    // "12/27 files, 150/290 songs, 1 failed, 0:42 left" (no estimate before
    // any playing time is done).
    static std::string describe(const BatchCounts& counts, double elapsed);

private:
    std::ostream& err_;
    bool terminal_;
    double lastSearch_ = -1.0;
    double lastShown_ = -1.0;
    int tenthsShown_ = 0;
};

} // namespace notecast
