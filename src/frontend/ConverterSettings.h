#pragma once
#include <array>
#include <cstdint>

namespace notecast {

// The run settings, filled from the command line. Copied by value into the
// converter and into each output writer, so later changes are not seen there.
struct ConverterSettings {
    bool verbose = false;
    std::int32_t outputMode = 0;           // 1 = text SID dump, anything else = MIDI
    std::uint32_t playSeconds = 0;         // 0 = not given (the driver resolves it)
    bool ntscClock = false;
    bool envelopeEmulation = false;
    bool captureSamples = false;
    bool autoTempo = true;
    float tempoBpm = 100.0f;
    std::int32_t pulsesPerQuarter = 120;
    float speedScale = 1.0f;
    std::int32_t pitchBendRange = 96;
    std::int32_t sampleChannel = 10;
    std::int32_t pitchChangeNotes = 0;     // 0 off, -1 every change, N at most N per note
    std::int32_t pitchThreshold = 1;
    std::array<bool, 4> muteVoice{};       // voices 1..4
    std::int32_t frequencyChangeLimit = -1; // -1 all, 0 none, N at most N per note
    std::int32_t extraControllers = 0;
    std::int32_t noiseLevel = 0;
    std::int32_t timeFormat = 1;           // 1 min:sec.hundredth, 0 min:sec.frame
    bool englishNotes = false;
    bool hideFrequency = false;
    bool alwaysShowNotes = false;
};

} // namespace notecast
