#pragma once
#include <cstdint>

namespace notecast::emu {

// One of the two sample channels that tunes drive through the extra
// registers of the SID window ($D41D.. for channel 1, $D51D.. for channel 2).
// A channel plays either 4-bit samples from RAM or, channel 1 only, a tone
// sequence built from a table of periods.
struct SampleChannel {
    bool playing = false;
    bool toneMode = false;
    std::uint16_t page = 0xD400;     // I/O page of the channel's registers

    // 4-bit sample playback. Positions are byte addresses in 16.16 fixed
    // point; the upper half of the fraction selects the second nibble.
    std::uint64_t position = 0;
    std::uint32_t end = 0;
    std::uint32_t repeatAddress = 0;
    std::uint8_t repeatsLeft = 0;    // $FF repeats without end
    std::uint8_t nibbleOrder = 0;    // 0 = low nibble first
    std::uint8_t outputShift = 0;
    std::uint32_t step = 0;          // 16.16 bytes per output sample

    // Tone mode: each tone is one period count from the table, played for
    // toneLength periods of a 16-step level wave.
    std::uint16_t toneTable = 0;
    std::uint8_t counter = 0;        // table index, counting down
    std::uint8_t multiplier = 0;
    std::uint8_t base = 0;
    std::uint8_t toneLength = 0;
    std::uint32_t toneStep = 0;      // 16.16 periods per output sample
    std::uint8_t wave[16] = {};

    std::uint8_t level = 0;          // current output level (audio path only)
};

} // namespace notecast::emu
