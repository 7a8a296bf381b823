// The CIA and VIC models on their own: timers, interrupt flags and mask, the
// raster compare, each driven by the cycle counter alone.
#include "emu/Cia.h"
#include "emu/VicRaster.h"

#include <gtest/gtest.h>

#include <vector>

namespace notecast::emu {
namespace {

constexpr unsigned kTimerALow = 4, kTimerAHigh = 5, kTimerBLow = 6, kTimerBHigh = 7;
constexpr unsigned kIcr = 13, kCra = 14, kCrb = 15;

// The cycles within [from, to) at which the CIA's interrupt flags (all five)
// were found set, reading and so acknowledging the flags on every cycle.
std::vector<std::uint64_t> flagCycles(Cia& cia, std::uint64_t from, std::uint64_t to, std::uint8_t bits) {
    std::vector<std::uint64_t> found;
    for (std::uint64_t t = from; t < to; ++t)
        if (cia.read(kIcr, t) & bits) found.push_back(t);
    return found;
}

// A CIA whose timer A latch and (stopped) counter hold `latch`.
Cia ciaWithTimerA(std::uint8_t latch) {
    Cia cia;
    cia.write(kTimerALow, latch, 0);
    cia.write(kTimerAHigh, 0x00, 0);  // stopped: loads the counter
    return cia;
}

TEST(CiaTimers, ContinuousOneShotAndTimerBCountingA) {
    // Latch $0010, continuous: every 17 cycles from the start.
    Cia cia = ciaWithTimerA(0x10);
    cia.write(kCra, 0x01, 100);
    EXPECT_EQ(flagCycles(cia, 100, 160, 0x01), (std::vector<std::uint64_t>{117, 134, 151}));

    // One-shot: fires once, clears its start bit, the counter keeps the latch.
    cia = ciaWithTimerA(0x10);
    cia.write(kCra, 0x09, 0);
    EXPECT_EQ(flagCycles(cia, 0, 100, 0x01), (std::vector<std::uint64_t>{17}));
    EXPECT_EQ(cia.read(kCra, 100) & 0x01, 0);
    EXPECT_EQ(cia.read(kTimerALow, 100), 0x10);

    // Timer B counting A's underflows (latch 2): every third one of A's.
    cia = ciaWithTimerA(0x09);
    cia.write(kTimerBLow, 0x02, 0);
    cia.write(kTimerBHigh, 0x00, 0);
    cia.write(kCrb, 0x41, 0);
    cia.write(kCra, 0x01, 0);
    EXPECT_EQ(flagCycles(cia, 0, 65, 0x02), (std::vector<std::uint64_t>{30, 60}));

    // Force load: the counter takes the latch at once; the bit reads 0.
    cia = Cia{};
    cia.write(kTimerALow, 0x40, 0);
    cia.write(kCra, 0x11, 0);
    EXPECT_EQ(cia.read(kTimerAHigh, 0), 0xFF);  // latch high byte still $FF
    EXPECT_EQ(cia.read(kCra, 0), 0x01);
}

TEST(CiaTimers, HighByteLoadsTheCounterOnlyWhileStopped) {
    Cia cia;
    cia.write(kTimerALow, 0x00, 0);
    cia.write(kTimerAHigh, 0x10, 0);
    cia.write(kCra, 0x01, 0);
    cia.write(kTimerAHigh, 0x20, 0x100);  // running: only the latch changes
    EXPECT_EQ(cia.read(kTimerAHigh, 0x100), 0x0F);
    EXPECT_EQ(cia.read(kTimerALow, 0x100), 0x00);
    // The next reload takes the new latch.
    EXPECT_EQ(cia.read(kTimerAHigh, 0x1001), 0x20);
}

TEST(CiaInterrupts, ReadAcknowledgesAndMaskDecidesTheOutput) {
    Cia cia = ciaWithTimerA(0x10);
    cia.write(kCra, 0x01, 0);
    // Masked off: the flag is set, but no output and no bit 7.
    cia.advance(20);
    EXPECT_FALSE(cia.interruptActive());
    EXPECT_EQ(cia.read(kIcr, 20), 0x01);
    EXPECT_EQ(cia.read(kIcr, 20), 0x00);

    // Enabled: output active from the underflow, bit 7 with the flag.
    cia.write(kIcr, 0x81, 20);
    cia.advance(34);
    EXPECT_TRUE(cia.interruptActive());
    EXPECT_TRUE(cia.takeRise());
    EXPECT_FALSE(cia.takeRise());  // an edge is reported once
    EXPECT_EQ(cia.read(kIcr, 34), 0x81);
    EXPECT_FALSE(cia.interruptActive());

    // Enabling the mask over a flag already set activates the output at once.
    cia.write(kIcr, 0x01, 40);
    cia.advance(60);
    EXPECT_FALSE(cia.interruptActive());
    cia.write(kIcr, 0x81, 60);
    EXPECT_TRUE(cia.interruptActive());
    EXPECT_TRUE(cia.takeRise());
    // Clearing the mask leaves an active output alone.
    cia.write(kIcr, 0x01, 61);
    EXPECT_TRUE(cia.interruptActive());
}

TEST(VicRasterInterrupt, CompareLineOncePerFrameUntilAcknowledged) {
    for (const bool ntsc : {false, true}) {
        SCOPED_TRACE(ntsc ? "NTSC" : "PAL");
        const std::uint64_t frame = ntsc ? 17095 : 19656;
        const std::uint64_t lineCycles = ntsc ? 65 : 63;
        VicRaster vic;
        vic.reset(ntsc);
        vic.write(0x11, 0x1B, 0);  // compare bit 8 clear
        vic.write(0x12, 100, 0);
        vic.write(0x1A, 0x01, 0);
        std::vector<std::uint64_t> fired;
        for (std::uint64_t t = 0; t < 3 * frame; ++t) {
            vic.advance(t);
            if (!vic.interruptActive()) continue;
            fired.push_back(t);
            EXPECT_EQ(vic.read(0x19, t), 0xF1);
            EXPECT_EQ(vic.read(0x12, t), 100);
            vic.write(0x19, 0x0E, t);  // other sources' bits acknowledge only those
            EXPECT_TRUE(vic.interruptActive());
            vic.write(0x19, 0x01, t);
        }
        EXPECT_EQ(fired, (std::vector<std::uint64_t>{100 * lineCycles, 100 * lineCycles + frame,
                                                     100 * lineCycles + 2 * frame}));
    }

    // Latched but not enabled: no output; a compare past the last line never
    // matches; line bit 8 reads in $D011 bit 7.
    VicRaster vic;
    vic.reset(false);
    vic.write(0x12, 0x10, 0);
    vic.advance(20000);
    EXPECT_FALSE(vic.interruptActive());
    EXPECT_EQ(vic.read(0x19, 20000) & 0x81, 0x01);
    vic.write(0x19, 0xFF, 20000);
    vic.write(0x11, 0x9B, 20000);
    vic.write(0x12, 0x40, 20000);  // line $140 does not exist on PAL
    vic.advance(100000);
    EXPECT_EQ(vic.read(0x19, 100000) & 0x01, 0);
    EXPECT_EQ(vic.read(0x11, 0x100 * 63) & 0x80, 0x80);
    EXPECT_EQ(vic.read(0x11, 0xFF * 63) & 0x80, 0x00);
}

} // namespace
} // namespace notecast::emu
