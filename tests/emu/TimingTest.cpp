#include "emu/CpuTestMachine.h"

#include <gtest/gtest.h>

#include <vector>

namespace notecast::emu {
namespace {

using test::freshMachine;

TEST(TimingSetup, CallRateFromTheClockAndTheTimer) {
    struct Row {
        int clock, speed;
        std::uint16_t timer;  // CIA timer count before the set-up
        std::uint32_t cpuClock;
        std::uint16_t cycles, calls;
        std::uint32_t samplesPerCall;
    };
    const Row rows[] = {
        {1, 50, 0x2000, 985248, 19705, 50, 882u << 16},  // vertical blank ignores the timer
        {2, 50, 0x2000, 1022727, 20455, 50, 882u << 16},
        {2, 60, 17045, 1022727, 17045, 60, 735u << 16},   // NTSC vertical blank via the timer
        {1, 60, 16421, 985248, 16421, 60, 735u << 16},
        {1, 60, 0x2000, 985248, 0x2000, 120, 0x016F8000u},  // (44100 << 12) / 120 << 4
        {1, 60, 10, 985248, 16421, 60, 735u << 16},       // too short: default count
        {2, 60, 0, 1022727, 17045, 60, 735u << 16},
        {2, 60, 16, 1022727, 16, 63920, 0x0000B090u},
        {1, 60, 0xFFFF, 985248, 0xFFFF, 15, 0x0B7C0000u},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "clock " << r.clock << " speed " << r.speed << " timer "
                                          << r.timer);
        C64& m = freshMachine(MemoryMode::BankSwitching, static_cast<Clock>(r.clock));
        m.io[0xDC04] = static_cast<std::uint8_t>(r.timer);
        m.io[0xDC05] = static_cast<std::uint8_t>(r.timer >> 8);
        m.setupTiming(static_cast<Clock>(r.clock), r.speed, 44100);
        EXPECT_EQ((std::vector<std::uint32_t>{m.timing.cpuClock, m.timing.cyclesPerCall, m.timing.callsPerSecond,
                                              m.timing.samplesPerCall}),
                  (std::vector<std::uint32_t>{r.cpuClock, r.cycles, r.calls, r.samplesPerCall}));
    }
}

} // namespace
} // namespace notecast::emu
