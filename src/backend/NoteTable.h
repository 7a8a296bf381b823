#pragma once
#include <cstdint>

namespace notecast {

// Equal-tempered notes C0.. as SID frequency-register values (PAL scale).
class NoteTable {
public:
    struct Match {
        bool found = false;
        std::int32_t note = -1;
        std::int32_t tableValue = -1;
    };

    NoteTable();
    Match findNote(std::uint32_t frequencyRegister) const;
    // 14-bit bend from reference to current, or -1 when beyond the range.
    std::int32_t pitchBend(std::uint32_t current, std::uint32_t reference,
                           std::int32_t rangeSemitones) const;
    std::uint32_t entry(int i) const { return entries_[i]; }

    static constexpr int kEntries = 96;

private:
    std::uint32_t entries_[kEntries];
    float ratio_;
};

} // namespace notecast
