#pragma once
#include <array>
#include <cstdint>

namespace notecast {

// How the text dump shows the playing time.
enum class TimeFormat : std::int32_t {
    Frames = 0,      // min:sec.frame (-cake)
    Hundredths = 1,  // min:sec.hundredth
};

// What the output writers read of the run settings. Each writer keeps its own
// copy, so later changes are not seen there.
struct WriterSettings {
    bool envelopeEmulation = false;
    bool autoTempo = true;
    float tempoBpm = 100.0f;
    std::int32_t pulsesPerQuarter = 120;
    float speedScale = 1.0f;
    std::int32_t pitchBendRange = 96;
    std::int32_t pitchChangeNotes = 0;     // 0 off, -1 every change, N at most N per note
    std::int32_t pitchThreshold = 1;
    std::array<bool, 4> muteVoice{};       // voices 1..4
    std::int32_t frequencyChangeLimit = -1; // -1 all, 0 none, N at most N per note
    std::int32_t extraControllers = 0;
    std::int32_t noiseLevel = 0;
    TimeFormat timeFormat = TimeFormat::Hundredths;
    bool englishNotes = false;
    bool hideFrequency = false;
    bool alwaysShowNotes = false;
};

} // namespace notecast
