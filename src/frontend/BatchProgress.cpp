#include "frontend/BatchProgress.h"

#include <cmath>
#include <ostream>

namespace notecast {

namespace {

constexpr const char* kLabel = "Progress     : ";
constexpr double kTerminalInterval = 0.2;  // seconds between two redraws

std::string clock(double seconds) {
    const auto total = static_cast<std::uint64_t>(std::llround(seconds));
    const std::uint64_t minutes = total / 60, rest = total % 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

} // namespace

BatchProgress::BatchProgress(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}

std::string BatchProgress::describe(const BatchCounts& c, double elapsed) {
    std::string text = std::to_string(c.filesDone) + "/" + std::to_string(c.files) + " files, " +
                       std::to_string(c.songsDone) + "/" + std::to_string(c.songs) + " songs, " +
                       std::to_string(c.failed) + " failed";
    if (c.secondsDone > 0 && c.secondsDone < c.seconds) {
        const double left = elapsed * static_cast<double>(c.seconds - c.secondsDone) /
                            static_cast<double>(c.secondsDone);
        text += ", " + clock(left) + " left";
    }
    return text;
}

void BatchProgress::searching(std::size_t filesDone, std::size_t files, double elapsed) {
    if (!terminal_ || (lastSearch_ >= 0.0 && elapsed - lastSearch_ < kTerminalInterval)) return;
    lastSearch_ = elapsed;
    err_ << "\rSearching    : " << filesDone << "/" << files << " files\033[K" << std::flush;
}

void BatchProgress::searched() {
    if (terminal_ && lastSearch_ >= 0.0) err_ << "\r\033[K" << std::flush;
}

void BatchProgress::show(const BatchCounts& counts, double elapsed) {
    if (terminal_) {
        if (lastShown_ >= 0.0 && elapsed - lastShown_ < kTerminalInterval) return;
        lastShown_ = elapsed;
        // Back to the line start, the new text, and away with the rest of the old one.
        err_ << '\r' << kLabel << describe(counts, elapsed) << "\033[K" << std::flush;
        return;
    }
    if (counts.songs == 0) return;
    const auto tenths = static_cast<int>(counts.songsDone * 10 / counts.songs);
    // The tenth that completes the batch is finish's.
    if (tenths <= tenthsShown_ || tenths >= 10) return;
    tenthsShown_ = tenths;
    err_ << kLabel << describe(counts, elapsed) << std::endl;
}

void BatchProgress::finish(const BatchCounts& counts, double elapsed) {
    if (terminal_) err_ << '\r';
    err_ << kLabel << describe(counts, elapsed);
    if (terminal_) err_ << "\033[K";
    err_ << std::endl;
}

} // namespace notecast
