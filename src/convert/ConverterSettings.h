#pragma once
#include "backend/WriterSettings.h"

#include <cstdint>

namespace notecast {

// Which writer a conversion feeds.
enum class OutputMode : std::int32_t {
    Midi = 0,
    Text = 1,  // the text SID dump (-2txt)
};

// The run settings, filled from the command line: what the conversion run
// reads on top of what its writers read. Copied by value into the converter,
// so later changes are not seen there.
struct ConverterSettings : WriterSettings {
    OutputMode outputMode = OutputMode::Midi;
    std::uint32_t playSeconds = 0;         // 0 = not given (the driver resolves it)
    bool ntscClock = false;
    bool captureSamples = false;
    std::int32_t sampleChannel = 10;
};

} // namespace notecast
