#pragma once
#include "backend/InstrumentRecords.h"
#include "emu/SidVoice.h"

#include <array>
#include <cstdint>

namespace notecast {

// What one play call left in the SID chips. Voices 1-3 are the first chip's,
// 4-6 and 7-9 those of the further chips a tune has (see SnapshotLayout.h);
// a tune for one chip leaves the rest zero.
struct FrameSnapshot {
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0;
    // Id of a note starting here, by voice; -1 for none.
    std::array<std::int32_t, emu::kMaxVoices> instrument{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::uint32_t samples = 0;
    std::array<std::uint8_t, emu::kMaxVoices> gateSet{};
    std::array<std::uint8_t, emu::kMaxVoices> gateCleared{};
    // Each chip's $00-$18: the first chip's $D400-$D418, then the others.
    std::array<std::uint8_t, 25 * emu::kMaxSidChips> sidRegisters{};
    std::array<std::uint8_t, 12> sampleRegisters{};  // $D41D-F, $D43D-F, $D45D-F, $D47D-F
    // Samples played through the volume register up to the next snapshot:
    // cycles between two of them, 0 for none (interrupt-driven tunes only).
    std::uint16_t volumeSamplePeriod = 0;
};

} // namespace notecast
