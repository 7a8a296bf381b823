#pragma once
#include "emu/Cia.h"

#include <cstdint>

namespace notecast::emu {

// The part of the VIC-II that music code relies on: the raster counter
// ($D011 bit 7, $D012), the raster compare, the interrupt latch ($D019) and
// enable ($D01A) registers and the IRQ output. PAL frames have 312 lines of
// 63 cycles, NTSC frames 263 lines of 65; line 0 begins at cycle 0. Bad lines
// and sprites, which only slow the CPU down, are left out; the other
// registers are plain memory. Event-driven like the CIAs: the only event is
// the start of the compare line while the raster latch bit is clear.
class VicRaster {
public:
    // Compare line $137, $D011 = $9B, no interrupt enabled or latched.
    void reset(bool ntsc);

    // Register access, `reg` 0-63 (the registers repeat in $D000-$D3FF).
    std::uint8_t read(unsigned reg, std::uint64_t now);
    void write(unsigned reg, std::uint8_t value, std::uint64_t now);

    void advance(std::uint64_t now);
    std::uint64_t nextEvent() const { return next_; }
    // A level: latched and enabled.
    bool interruptActive() const { return (latch_ & enable_ & 0x0Fu) != 0; }

    unsigned line(std::uint64_t now) const {
        return static_cast<unsigned>((now / lineCycles_) % lines_);
    }
    std::uint32_t frameCycles() const { return lines_ * lineCycles_; }

private:
    void schedule(std::uint64_t from);

    std::uint32_t lines_ = 312;
    std::uint32_t lineCycles_ = 63;
    unsigned compare_ = 0x137;
    std::uint8_t control_ = 0x1B;  // $D011 bits 0-6
    std::uint8_t latch_ = 0;
    std::uint8_t enable_ = 0;
    std::uint64_t next_ = kNever;
    std::uint8_t plain_[64] = {};
};

} // namespace notecast::emu
