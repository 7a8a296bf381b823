#pragma once
#include <cstdint>

namespace notecast::emu {

// Sample amplitude tables of the audio output path over a 256 x 256 grid:
// index volume * 256 + unsigned sample, sample 128 being silence.
struct AmplitudeTables {
    std::int8_t* voice8 = nullptr;   // one voice, 8 bit, lowered when filtered
    std::int8_t* mix8 = nullptr;     // mixed voices, 8 bit
    std::int16_t* mix16 = nullptr;   // mixed voices, 16 bit
    double divisor = 4.0;            // mixing divisor the tables were built with
};

constexpr std::uint32_t kAmplitudeEntries = 256 * 256;

// False when memory is short; nothing stays allocated then.
bool allocateAmplitudeTables();
void freeAmplitudeTables();
// Fills the allocated tables (does nothing when they are not allocated).
void buildAmplitudeTables(bool filterEnabled, double divisor);
const AmplitudeTables& amplitudeTables();

// The divisor that keeps the mixed voices in range.
double mixDivisor(int volumeMode, int channels, bool scanFoundNoActivity);

} // namespace notecast::emu
