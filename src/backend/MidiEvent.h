#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace notecast {

// One buffered MIDI message of the track, stamped with the playing time at
// which it arose. Channel messages have 2 or 3 bytes; the End of Track meta
// event (FF 2F 00) is kept in the same form.
//
// Times are 64-bit so that playing times beyond 71 minutes keep their order
// instead of wrapping back to zero.
struct MidiEvent {
    std::uint64_t time = 0;      // microseconds, on the speed-scaled time base
    std::uint32_t sequence = 0;  // position in creation order
    std::array<std::uint8_t, 3> bytes{};
    std::uint8_t size = 0;

    std::uint8_t status() const { return bytes[0]; }
};

// Largest value the four bytes of a MIDI variable-length quantity can carry.
constexpr std::uint32_t kMaxVariableLength = 0x0FFFFFFF;

// Appends value as a MIDI variable-length quantity: seven bits per byte, most
// significant group first, bit 7 set on all bytes but the last. Values above
// kMaxVariableLength are written as kMaxVariableLength, so the result is
// never longer than four bytes.
void appendVariableLength(std::string& out, std::uint32_t value);

} // namespace notecast
