#include "emu/VicRaster.h"

#include <algorithm>
#include <iterator>

namespace notecast::emu {

void VicRaster::reset(bool ntsc) {
    lines_ = ntsc ? 263 : 312;
    lineCycles_ = ntsc ? 65 : 63;
    compare_ = 0x137;
    control_ = 0x1B;
    latch_ = 0;
    enable_ = 0;
    std::fill(std::begin(plain_), std::end(plain_), std::uint8_t{0});
    schedule(0);
}

// The first start of the compare line at or after `from`; none while the
// latch bit is set (setting it again changes nothing) or when the compare
// value is past the last line.
void VicRaster::schedule(std::uint64_t from) {
    if ((latch_ & 0x01u) != 0 || compare_ >= lines_) {
        next_ = kNever;
        return;
    }
    const std::uint64_t frame = frameCycles();
    const std::uint64_t offset = std::uint64_t{compare_} * lineCycles_;
    std::uint64_t at = from / frame * frame + offset;
    if (at < from) at += frame;
    next_ = at;
}

void VicRaster::advance(std::uint64_t now) {
    if (next_ > now) return;
    latch_ |= 0x01u;
    schedule(next_ + 1);
}

std::uint8_t VicRaster::read(unsigned reg, std::uint64_t now) {
    advance(now);
    reg &= 0x3Fu;
    switch (reg) {
    case 0x11:
        return static_cast<std::uint8_t>((control_ & 0x7Fu) | ((line(now) >> 1) & 0x80u));
    case 0x12:
        return static_cast<std::uint8_t>(line(now));
    case 0x19:
        return static_cast<std::uint8_t>(latch_ | 0x70u | (interruptActive() ? 0x80u : 0u));
    case 0x1A:
        return static_cast<std::uint8_t>(enable_ | 0xF0u);
    default:
        return reg >= 0x2F ? 0xFF : plain_[reg];
    }
}

void VicRaster::write(unsigned reg, std::uint8_t value, std::uint64_t now) {
    advance(now);
    reg &= 0x3Fu;
    switch (reg) {
    case 0x11:
        control_ = value & 0x7Fu;
        compare_ = (compare_ & 0xFFu) | ((value & 0x80u) << 1);
        break;
    case 0x12:
        compare_ = (compare_ & 0x100u) | value;
        break;
    case 0x19:
        latch_ &= static_cast<std::uint8_t>(~value & 0x0Fu);
        break;
    case 0x1A:
        enable_ = value & 0x0Fu;
        break;
    default:
        plain_[reg] = value;
        return;
    }
    schedule(now + 1);
}

} // namespace notecast::emu
