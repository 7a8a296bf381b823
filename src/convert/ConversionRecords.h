#pragma once
#include "backend/InstrumentRecords.h"

#include <array>
#include <cstdint>

namespace notecast {

// What one play call left in the SID.
struct FrameSnapshot {
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0;
    std::array<std::int32_t, 3> instrument{-1, -1, -1};  // id of a note starting here
    std::uint32_t samples = 0;
    std::array<std::uint8_t, 3> gateSet{};
    std::array<std::uint8_t, 3> gateCleared{};
    std::array<std::uint8_t, 25> sidRegisters{};     // $D400-$D418
    std::array<std::uint8_t, 12> sampleRegisters{};  // $D41D-F, $D43D-F, $D45D-F, $D47D-F
    // Samples played through the volume register up to the next snapshot:
    // cycles between two of them, 0 for none (interrupt-driven tunes only).
    std::uint16_t volumeSamplePeriod = 0;
};

} // namespace notecast
