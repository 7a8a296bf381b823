#pragma once
#include <cstdint>

namespace notecast {

// Playing time of the frame being written.
struct FrameClock {
    std::uint32_t cycles = 0;
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0;
    std::uint32_t totalMicroseconds = 0;

    void setTime(std::uint32_t seconds, std::uint32_t microseconds);
    // Adds one frame of cyclesPerFrame CPU cycles at a clock of clockHz.
    void advance(std::uint32_t cyclesPerFrame, std::uint32_t clockHz);
    std::uint32_t totalSeconds() const { return minutes * 60 + seconds; }
};

} // namespace notecast
