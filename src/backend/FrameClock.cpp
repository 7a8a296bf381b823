#include "backend/FrameClock.h"

namespace notecast {

namespace {

std::uint32_t totalOf(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t micro) {
    // Wraps modulo 2^32 like the field it fills (a little over 71 minutes).
    return (minutes * 60u + seconds) * 1000000u + micro;
}

} // namespace

void FrameClock::setTime(std::uint32_t totalSecs, std::uint32_t micro) {
    minutes = totalSecs / 60;
    seconds = totalSecs % 60;
    microseconds = micro;
    totalMicroseconds = totalOf(minutes, seconds, microseconds);
}

void FrameClock::advance(std::uint32_t cyclesPerFrame, std::uint32_t clockHz) {
    if (clockHz == 0) return;  // no clock, no time
    cycles += cyclesPerFrame;
    if (cycles >= clockHz) {
        cycles -= clockHz;
        if (++seconds >= 60) {
            seconds = 0;
            ++minutes;
        }
    }
    microseconds = static_cast<std::uint32_t>(1000000.0 / clockHz * cycles + 0.5);
    totalMicroseconds = totalOf(minutes, seconds, microseconds);
}

} // namespace notecast
