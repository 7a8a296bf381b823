#pragma once
#include "emu/SidVoice.h"

#include <cstddef>
#include <cstdint>

namespace notecast {

// Where the registers of a FrameSnapshot live in the C64's I/O area.
constexpr std::uint16_t kSidBase = 0xD400;  // sidRegisters[0..24]: $D400-$D418
constexpr std::size_t kChipRegisters = 25;  // $00-$18 of a chip
// sampleRegisters[0..11]: the sample channels' registers in the SID window.
constexpr std::uint16_t kSampleRegisterAddresses[12] = {
    0xD41D, 0xD41E, 0xD41F, 0xD43D, 0xD43E, 0xD43F, 0xD45D, 0xD45E, 0xD45F, 0xD47D, 0xD47E, 0xD47F};
// The voices' control registers, as SID register numbers.
constexpr int kControlRegister[3] = {4, 11, 18};
// Where voice v (0-8) keeps its gate flags in C64::gateSet and gateCleared:
// its chip's control register, 32 flags per chip.
inline constexpr int kGateFlag[emu::kMaxVoices] = {4, 11, 18, 36, 43, 50, 68, 75, 82};
static_assert(kGateFlag[4] == 32 + kControlRegister[1] && kGateFlag[8] == 64 + kControlRegister[2]);

} // namespace notecast
