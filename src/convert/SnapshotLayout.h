#pragma once
#include "emu/SidVoice.h"

#include <cstddef>
#include <cstdint>

namespace notecast {

// Where the registers of a FrameSnapshot live in the C64's I/O area.
constexpr std::uint16_t kSidBase = 0xD400;  // the first chip's $00-$18: $D400-$D418
// Registers $00-$18 of one chip; chip c's lie at sidRegisters[25c ...].
constexpr std::size_t kChipRegisters = 25;
// sampleRegisters[0..11]: the sample channels' registers in the SID window.
constexpr std::uint16_t kSampleRegisterAddresses[12] = {
    0xD41D, 0xD41E, 0xD41F, 0xD43D, 0xD43E, 0xD43F, 0xD45D, 0xD45E, 0xD45F, 0xD47D, 0xD47E, 0xD47F};
// The voices' control registers, as SID register numbers.
constexpr int kControlRegister[3] = {4, 11, 18};

// Register r of a chip, and register r (0-6) of voice v (0-8), in
// FrameSnapshot::sidRegisters.
constexpr std::size_t chipRegister(int chip, int r) {
    return kChipRegisters * static_cast<std::size_t>(chip) + static_cast<std::size_t>(r);
}
constexpr std::size_t voiceRegister(int v, int r) {
    return chipRegister(v / emu::kVoicesPerChip, 7 * (v % emu::kVoicesPerChip) + r);
}

} // namespace notecast
