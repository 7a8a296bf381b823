#include "convert/FrameCapture.h"

#include "convert/SnapshotLayout.h"

namespace notecast {

void trackGate(emu::SidVoice& voice, int v, std::uint8_t control, FrameSnapshot& frame,
               NoteTracker& tracker) {
    const std::uint8_t previous = voice.control;
    frame.instrument[static_cast<std::size_t>(v)] = -1;
    voice.control = control;
    const bool gate = control & 1;
    if (gate && !voice.gateCleared && (previous & 1)) {
        tracker.addWaveform(v, control);
        return;
    }
    if (gate) tracker.startNote(v, frame);
    tracker.addWaveform(v, control);
}

void captureRegisters(const emu::C64& m, FrameSnapshot& frame) {
    for (std::size_t i = 0; i < frame.sidRegisters.size(); ++i)
        frame.sidRegisters[i] = m.io[kSidBase + i];
    for (std::size_t i = 0; i < frame.sampleRegisters.size(); ++i)
        frame.sampleRegisters[i] = m.io[kSampleRegisterAddresses[i]];
    for (int v = 0; v < 3; ++v) {
        frame.gateSet[v] = m.gateSet[kControlRegister[v]];
        frame.gateCleared[v] = m.gateCleared[kControlRegister[v]];
    }
}

void trackGates(emu::C64& m, FrameSnapshot& frame, NoteTracker& tracker) {
    for (int v = 0; v < 3; ++v) {
        emu::SidVoice& voice = m.voices[v];
        voice.gateSet = frame.gateSet[v];
        voice.gateCleared = frame.gateCleared[v];
        trackGate(voice, v, frame.sidRegisters[kControlRegister[v]], frame, tracker);
    }
}

FrameCapture::FrameCapture(EmuEngine& engine, NoteTracker& tracker,
                           std::deque<FrameSnapshot>& frames, bool ciaTimed)
    : engine_(engine), tracker_(tracker), frames_(frames), ciaTimed_(ciaTimed) {}

const FrameSnapshot& FrameCapture::step(FrameClock& clock) {
    if (engine_.playCall() == emu::RunResult::Stopped) ++stopped_;

    emu::C64& m = engine_.machine();
    FrameSnapshot& frame = frames_.emplace_back();
    frame.seconds = clock.totalSeconds();
    frame.microseconds = clock.microseconds;
    captureRegisters(m, frame);
    trackGates(m, frame, tracker_);

    if (ciaTimed_) m.rereadCiaTimer();
    frame.samples = m.frameSamples();

    clock.advance(m.timing.cyclesPerCall, m.timing.cpuClock);
    return frame;
}

} // namespace notecast
