#include "emu/C64.h"

namespace notecast::emu {

namespace {

std::uint16_t ciaTimerWord(const C64& m) {
    return static_cast<std::uint16_t>(m.io[0xDC04] | (m.io[0xDC05] << 8));
}

// A timer so short that the play routine would run more often than the
// emulation can follow is taken as the machine's default count.
std::uint16_t usableTimer(const Timing& t, std::uint16_t timer) {
    return timer < 16 ? t.defaultCiaCount : timer;
}

void computeSamplesPerCall(Timing& t) {
    // Integer steps: 12 bits of fraction before the division,
    // 4 more after it, giving 16.16 fixed point.
    const std::uint64_t scaled = static_cast<std::uint64_t>(t.frequency) << 12;
    t.samplesPerCall = static_cast<std::uint32_t>((scaled / t.callsPerSecond) << 4);
}

void applyCiaTimer(Timing& t, std::uint16_t timer) {
    t.cyclesPerCall = timer;
    // Rounded division: (2 * clock / timer + 1) / 2. A timer of at least 16
    // keeps the result within 16 bits and above 0.
    t.callsPerSecond = static_cast<std::uint16_t>((2u * t.cpuClock / timer + 1u) / 2u);
    computeSamplesPerCall(t);
}

} // namespace

void C64::setupTiming(Clock clock, int speed, std::uint32_t frequency) {
    Timing& t = timing;
    const bool ntsc = clock == Clock::Ntsc;
    t.cpuClock = ntsc ? 1022727 : 985248;
    t.defaultCiaCount = ntsc ? 17045 : 16421;
    t.cyclesPerCall = t.defaultCiaCount;
    t.frequency = frequency;
    if (speed == 60) {
        t.speed = 60;
        applyCiaTimer(t, usableTimer(t, ciaTimerWord(*this)));
    } else {
        t.speed = 50;
        t.callsPerSecond = 50;
        t.cyclesPerCall = ntsc ? 20455 : 19705;
        computeSamplesPerCall(t);
    }
    t.sampleAccumulator = 0;
}

void C64::rereadCiaTimer() {
    Timing& t = timing;
    if (t.speed != 60) return;
    // Compared after the replacement of a too-short timer, so a timer left
    // below 16 does not count as a change on every frame (which would throw
    // away the carried sample fraction each time).
    const std::uint16_t timer = usableTimer(t, ciaTimerWord(*this));
    if (timer == t.cyclesPerCall) return;
    applyCiaTimer(t, timer);
    t.sampleAccumulator = 0;
}

std::uint32_t C64::frameSamples() {
    Timing& t = timing;
    t.sampleAccumulator = (t.sampleAccumulator & 0xFFFFu) + t.samplesPerCall;
    return t.sampleAccumulator >> 16;
}

} // namespace notecast::emu
