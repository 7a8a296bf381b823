#pragma once
#include "backend/BackEnd.h"
#include "convert/ConversionRecords.h"
#include "emu/EmuEngine.h"
#include "frontend/ConverterSettings.h"
#include "frontend/Progress.h"

#include <memory>
#include <string>
#include <vector>

namespace notecast {

class SidTune;

// One conversion: runs the tune's play routine frame by frame (capture pass),
// classifies the notes into instruments, gives them MIDI channels and replays
// the frames into the chosen output writer. Failures are thrown as
// BackEnd::Error.
class Converter {
public:
    Converter();
    ~Converter();

    void configure(const ConverterSettings& settings);
    void initSong(SidTune& tune, int song);
    ConverterSettings& settings() { return settings_; }
    void run(const std::string& outputName, bool overwriteAllowed, ProgressSink* progress);
    void getWarnings(std::string& text);

    // Routines that the instruction budget had to stop during the last
    // initSong / run: the driver tells the user about them.
    bool initStopped() const { return engine_.initStopped(); }
    std::uint32_t stoppedPlayCalls() const { return stoppedPlayCalls_; }

private:
    // (the capture, note tracking and replay state lives here)
    struct State;
    std::unique_ptr<State> state_;
    EmuEngine engine_;
    SidTune* tune_ = nullptr;
    std::unique_ptr<BackEnd> backEnd_;
    ConverterSettings settings_;
    std::uint32_t stoppedPlayCalls_ = 0;
};

} // namespace notecast
