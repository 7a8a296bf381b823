#pragma once
#include "backend/BackEnd.h"
#include "convert/ConversionRecords.h"
#include "convert/ConverterSettings.h"
#include "convert/ProgressSink.h"
#include "emu/EmuEngine.h"

#include <memory>
#include <string>
#include <vector>

namespace notecast {

class SidTune;

// One conversion: runs the tune's play routine frame by frame (capture pass),
// classifies the notes into instruments, gives them MIDI channels and replays
// the frames into the chosen output writer. Failures are thrown as
// BackEnd::Error. A converter owns its emulator, so converters in several
// threads work side by side.
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
    // The notes and the tempo of the file the last run wrote (0 before one).
    std::uint32_t notesWritten() const { return backEnd_ ? backEnd_->notesWritten() : 0; }
    double tempoBpm() const { return backEnd_ ? backEnd_->tempoBpm() : 0.0; }
    // Notes of the last run that the default noise level left out, because
    // their sound has noise in it, and all notes; both 0 unless the run
    // wrote MIDI at the default noise level.
    struct NoiseNotes {
        std::uint32_t leftOut = 0;
        std::uint32_t total = 0;
    };
    NoiseNotes noiseNotes() const { return noiseNotes_; }
    // For a tune on the whole machine: what its last run did that the user
    // must know ("WARNING: ..." texts, see MachineCapture).
    const std::vector<std::string>& machineWarnings() const { return machineWarnings_; }
    // The emulated machine, as the last initSong / run left it.
    const emu::C64& machine() const { return engine_.machine(); }

private:
    // (the capture, note tracking and replay state lives here)
    struct State;
    void countNoiseNotes(const std::vector<Instrument>& instruments);
    std::unique_ptr<State> state_;
    EmuEngine engine_;
    SidTune* tune_ = nullptr;
    std::unique_ptr<BackEnd> backEnd_;
    ConverterSettings settings_;
    std::uint32_t stoppedPlayCalls_ = 0;
    NoiseNotes noiseNotes_;
    std::vector<std::string> machineWarnings_;
};

} // namespace notecast
