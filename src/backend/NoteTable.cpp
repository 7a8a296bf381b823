#include "backend/NoteTable.h"

#include <algorithm>
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
    // Farther than this from the lowest note is no note at all.
    const auto f = static_cast<std::int64_t>(frequencyRegister);
    if (std::llabs(static_cast<std::int64_t>(entries_[0]) - f) > 100000) return m;
    // The nearest entry; a register exactly between two notes goes to the
    // higher. The entries rise, so the first one at or above the register
    // and the one before it are the candidates.
    const std::uint32_t* const begin = entries_;
    const std::uint32_t* const end = entries_ + kSearchEntries;
    const std::uint32_t* above = std::lower_bound(begin, end, frequencyRegister);
    if (above == end || (above != begin && f - *(above - 1) < *above - f)) --above;
    m.found = true;
    m.note = static_cast<std::int32_t>(above - begin);
    m.tableValue = static_cast<std::int32_t>(*above);
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
