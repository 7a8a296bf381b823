#include "frontend/Progress.h"

#include <cctype>
#include <istream>
#include <ostream>

namespace notecast {

namespace {

constexpr std::int32_t kMarks = 30;

} // namespace

ConsoleProgress::ConsoleProgress(std::ostream& out) : out_(out) {}

void ConsoleProgress::begin(std::uint32_t totalSeconds) {
    step_ = static_cast<std::int64_t>(totalSeconds) * 1000 / kMarks;
    threshold_ = step_;
    marks_ = 0;
}

void ConsoleProgress::update(std::uint32_t secondsDone) {
    // At most one mark per call, however far the time has moved on.
    if (static_cast<std::int64_t>(secondsDone) * 1000 < threshold_) return;
    threshold_ += step_;
    out_ << '#' << std::flush;
    ++marks_;
}

void ConsoleProgress::end() {
    if (marks_ < kMarks) out_ << '#';
    out_ << " (100%)" << std::endl;
}

bool askOverwrite(std::istream& in, std::ostream& out) {
    out << "Overwrite the existing file (y/n)? " << std::flush;
    for (;;) {
        char answer = 0;
        // Formatted extraction skips white space, so a line is read character
        // by character; when the input ends, nothing is overwritten.
        if (!(in >> answer)) return false;
        const int c = std::tolower(static_cast<unsigned char>(answer));
        if (c == 'y') return true;
        if (c == 'n') return false;
        out << "What ?!@#? " << std::flush;
    }
}

} // namespace notecast
