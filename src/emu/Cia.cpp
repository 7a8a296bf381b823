#include "emu/Cia.h"

#include <algorithm>
#include <iterator>

namespace notecast::emu {

namespace {

constexpr std::uint8_t kStart = 0x01;
constexpr std::uint8_t kOneShot = 0x08;
constexpr std::uint8_t kForceLoad = 0x10;
constexpr unsigned kFlagA = 0x01;
constexpr unsigned kFlagB = 0x02;

} // namespace

void Cia::reset() {
    a_ = Timer{};
    b_ = Timer{};
    flags_ = mask_ = 0;
    active_ = rose_ = false;
    std::fill(std::begin(plain_), std::end(plain_), std::uint8_t{0});
}

void Cia::startSystemTimer(std::uint16_t latch, std::uint64_t now) {
    a_.latch = a_.value = latch;
    a_.since = now;
    a_.control = kStart;
    mask_ = kFlagA;
}

// Timer A counts cycles unless it counts the CNT pin; timer B counts cycles
// only with both input bits clear (the other settings count A's underflows,
// or the CNT pin, which never moves here).
bool Cia::countsCycles(const Timer& t, bool isB) const {
    return started(t) && (t.control & (isB ? 0x60u : 0x20u)) == 0;
}

// A counter at 0 takes the latch on its next step: a continuous timer
// underflows every latch + 1 cycles. Underflows that were not processed as
// events (nothing depended on them) are counted here.
std::uint16_t Cia::valueAt(const Timer& t, bool isB, std::uint64_t now) const {
    if (!countsCycles(t, isB)) return t.value;
    std::uint64_t elapsed = now - t.since;
    if (elapsed <= t.value) return static_cast<std::uint16_t>(t.value - elapsed);
    elapsed -= std::uint64_t{t.value} + 1u;
    return static_cast<std::uint16_t>(t.latch - elapsed % (std::uint64_t{t.latch} + 1u));
}

// An underflow is an event only when it changes something: a flag not set
// yet, a one-shot timer stopping, or a step of timer B counting A.
std::uint64_t Cia::underflowAt(const Timer& t, bool isB, unsigned flag) const {
    if (!countsCycles(t, isB)) return kNever;
    const bool matters = (t.control & kOneShot) != 0 || (flags_ & flag) == 0 || (!isB && bCountsA());
    return matters ? t.since + t.value + 1u : kNever;
}

std::uint64_t Cia::nextEvent() const {
    return std::min(underflowAt(a_, false, kFlagA), underflowAt(b_, true, kFlagB));
}

void Cia::advance(std::uint64_t now) {
    for (;;) {
        const std::uint64_t atA = underflowAt(a_, false, kFlagA);
        const std::uint64_t atB = underflowAt(b_, true, kFlagB);
        const std::uint64_t at = std::min(atA, atB);
        if (at > now) return;
        if (atA == at) underflow(a_, kFlagA, at);
        if (atB == at && underflowAt(b_, true, kFlagB) == at) underflow(b_, kFlagB, at);
    }
}

// Takes the counters' current values as their new starting points, so that
// an underflow that becomes an event is timed from here.
void Cia::rebase(std::uint64_t now) {
    for (Timer* t : {&a_, &b_}) {
        t->value = valueAt(*t, t == &b_, now);
        t->since = now;
    }
}

void Cia::underflow(Timer& t, unsigned flag, std::uint64_t at) {
    t.value = t.latch;
    t.since = at;
    if (t.control & kOneShot) t.control &= static_cast<std::uint8_t>(~kStart);
    raise(static_cast<std::uint8_t>(flag));
    if (&t == &a_ && bCountsA()) stepB(at);
}

void Cia::stepB(std::uint64_t at) {
    if (b_.value == 0)
        underflow(b_, kFlagB, at);
    else
        --b_.value;
}

// A flag whose mask bit is set activates the output; it stays active until
// the flags are read.
void Cia::raise(std::uint8_t flags) {
    flags_ |= flags;
    if ((flags_ & mask_) != 0 && !active_) {
        active_ = true;
        rose_ = true;
    }
}

std::uint8_t Cia::read(unsigned reg, std::uint64_t now) {
    advance(now);
    rebase(now);
    switch (reg & 0x0Fu) {
    case 0x0:
    case 0x1:
        return 0xFF;
    case 0x4:
        return static_cast<std::uint8_t>(a_.value);
    case 0x5:
        return static_cast<std::uint8_t>(a_.value >> 8);
    case 0x6:
        return static_cast<std::uint8_t>(b_.value);
    case 0x7:
        return static_cast<std::uint8_t>(b_.value >> 8);
    case 0xD: {
        const auto value = static_cast<std::uint8_t>(flags_ | (active_ ? 0x80u : 0u));
        flags_ = 0;
        active_ = false;
        return value;
    }
    case 0xE:
        return a_.control;
    case 0xF:
        return b_.control;
    default:
        return plain_[reg & 0x0Fu];
    }
}

void Cia::writeControl(Timer& t, std::uint8_t value, std::uint64_t now) {
    t.control = static_cast<std::uint8_t>(value & ~kForceLoad);
    if (value & kForceLoad) t.value = t.latch;
    t.since = now;
}

void Cia::write(unsigned reg, std::uint8_t value, std::uint64_t now) {
    advance(now);
    rebase(now);
    reg &= 0x0Fu;
    switch (reg) {
    case 0x4:
    case 0x6:
    case 0x5:
    case 0x7: {
        Timer& t = reg < 6 ? a_ : b_;
        if (reg & 1u)
            t.latch = static_cast<std::uint16_t>((t.latch & 0x00FFu) | (value << 8));
        else
            t.latch = static_cast<std::uint16_t>((t.latch & 0xFF00u) | value);
        // The high byte loads a stopped counter (one-shot or not: starting
        // on that write belongs to a later chip).
        if ((reg & 1u) && !started(t)) t.value = t.latch;
        break;
    }
    case 0xD:
        if (value & 0x80u)
            mask_ |= value & 0x1Fu;
        else
            mask_ &= static_cast<std::uint8_t>(~value & 0x1Fu);
        raise(0);
        break;
    case 0xE:
        writeControl(a_, value, now);
        break;
    case 0xF:
        writeControl(b_, value, now);
        break;
    default:
        plain_[reg] = value;
    }
}

} // namespace notecast::emu
