#include "backend/NoteTable.h"

#include <cmath>
#include <cstdlib>

namespace notecast {

namespace {

// C in octave 0, and SID register units per Hz at the PAL clock. Both are
// rounded to single precision before use, as is the semitone ratio; the table
// values depend on that.
constexpr float kBaseHz = 16.351599f;
constexpr float kRegisterPerHz = 17.028412f;

// The top entry lies above the 16-bit register range and is never matched.
constexpr int kSearchEntries = 95;

} // namespace

NoteTable::NoteTable() : ratio_(static_cast<float>(std::pow(2.0, 1.0 / 12.0))) {
    double f = kBaseHz;
    for (int i = 0; i < kEntries; ++i) {
        entries_[i] = static_cast<std::uint32_t>(f * kRegisterPerHz);
        f *= ratio_;
    }
}

NoteTable::Match NoteTable::findNote(std::uint32_t frequencyRegister) const {
    Match m;
    if (frequencyRegister == 0) return m;
    std::int64_t best = 100000;
    for (int i = 0; i < kSearchEntries; ++i) {
        std::int64_t diff = std::llabs(static_cast<std::int64_t>(entries_[i]) -
                                       static_cast<std::int64_t>(frequencyRegister));
        if (diff > best) break;
        // "<=" so that a register exactly between two notes goes to the higher.
        best = diff;
        m.found = true;
        m.note = i;
        m.tableValue = static_cast<std::int32_t>(entries_[i]);
    }
    return m;
}

std::int32_t NoteTable::pitchBend(std::uint32_t current, std::uint32_t reference,
                                  std::int32_t rangeSemitones) const {
    // A silent voice has no pitch to bend to or from.
    if (current == 0 || reference == 0) return -1;
    const double cur = static_cast<float>(current);
    const double ref = static_cast<float>(reference);
    const double semitones = std::log(cur / ref) / std::log(static_cast<double>(ratio_));
    if (std::fabs(semitones) > rangeSemitones) return -1;
    if (rangeSemitones == 0) return 8192;  // only "no bend" is in a zero range
    if (semitones >= 0) {
        double v = semitones * 8191.0 / rangeSemitones + 8192.0;
        return static_cast<std::int32_t>(v) & 0x3FFF;
    }
    double v = semitones * 8192.0 / rangeSemitones + 8192.0;
    std::int32_t r = static_cast<std::int32_t>(v);
    return r < 0 ? 0 : r;
}

} // namespace notecast
