#pragma once
#include <cstdint>

namespace notecast::emu {

constexpr std::uint64_t kNever = ~std::uint64_t{0};

// One CIA 6526 as music code sees it: timers A and B (continuous or one-shot,
// latch, force load, B counting A's underflows), the interrupt flags and mask
// with the acknowledge on read, and the interrupt output (CIA 1 drives the
// IRQ line, CIA 2 the NMI line). Ports read $FF (no key, no joystick); the
// time-of-day clock and the serial port are plain registers.
//
// Event-driven: nothing happens per cycle. A running timer is a start value
// and the cycle it was taken at; advance() processes the underflows that
// change something (a flag not yet set, a one-shot stop, a step of timer B)
// and nextEvent() names the cycle of the next one, so idle time costs
// nothing. Time is the machine's cycle counter; every call passes `now`,
// which never goes back.
class Cia {
public:
    // Both timers $FFFF and stopped, flags and mask clear, output released.
    void reset();
    // Starts timer A continuous from `latch` and lets it interrupt: the state
    // the system leaves CIA 1 in.
    void startSystemTimer(std::uint16_t latch, std::uint64_t now);

    // Register access, `reg` 0-15 (the registers repeat over the page).
    // Reading register 13 acknowledges: the flags clear and the output is
    // released.
    std::uint8_t read(unsigned reg, std::uint64_t now);
    void write(unsigned reg, std::uint8_t value, std::uint64_t now);

    // Processes the underflows up to `now`.
    void advance(std::uint64_t now);
    std::uint64_t nextEvent() const;

    bool interruptActive() const { return active_; }
    // True once after the output became active (the NMI line is an edge).
    bool takeRise() {
        const bool rose = rose_;
        rose_ = false;
        return rose;
    }

private:
    struct Timer {
        std::uint16_t latch = 0xFFFF;
        std::uint16_t value = 0xFFFF;  // the counter at `since`
        std::uint64_t since = 0;
        std::uint8_t control = 0;      // bit 0 start, bit 3 one-shot, bits 5-6 input
    };

    bool started(const Timer& t) const { return (t.control & 0x01u) != 0; }
    bool countsCycles(const Timer& t, bool isB) const;
    bool bCountsA() const { return started(b_) && (b_.control & 0x40u) != 0; }
    std::uint16_t valueAt(const Timer& t, bool isB, std::uint64_t now) const;
    std::uint64_t underflowAt(const Timer& t, bool isB, unsigned flag) const;
    void rebase(std::uint64_t now);
    void underflow(Timer& t, unsigned flag, std::uint64_t at);
    void stepB(std::uint64_t at);
    void raise(std::uint8_t flags);
    void writeControl(Timer& t, std::uint8_t value, std::uint64_t now);

    Timer a_, b_;
    std::uint8_t flags_ = 0;
    std::uint8_t mask_ = 0;
    bool active_ = false;
    bool rose_ = false;
    std::uint8_t plain_[16] = {};  // ports, time of day, serial register
};

} // namespace notecast::emu
