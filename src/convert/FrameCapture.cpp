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
    for (std::size_t i = 0; i < kChipRegisters; ++i) frame.sidRegisters[i] = m.io[kSidBase + i];
    for (int c = 1; c < m.sidChips; ++c) {
        const std::uint8_t* registers = m.extraSids[c - 1].registers;
        for (std::size_t i = 0; i < kChipRegisters; ++i) frame.sidRegisters[chipRegister(c, 0) + i] = registers[i];
    }
    for (std::size_t i = 0; i < frame.sampleRegisters.size(); ++i)
        frame.sampleRegisters[i] = m.io[kSampleRegisterAddresses[i]];
    for (int v = 0; v < m.sidVoices(); ++v) {
        const int flag = 32 * (v / emu::kVoicesPerChip) + kControlRegister[v % emu::kVoicesPerChip];
        frame.gateSet[static_cast<std::size_t>(v)] = m.gateSet[flag];
        frame.gateCleared[static_cast<std::size_t>(v)] = m.gateCleared[flag];
    }
}

void trackGates(emu::C64& m, FrameSnapshot& frame, NoteTracker& tracker) {
    for (int v = 0; v < m.sidVoices(); ++v) {
        emu::SidVoice& voice = m.voices[v];
        voice.gateSet = frame.gateSet[static_cast<std::size_t>(v)];
        voice.gateCleared = frame.gateCleared[static_cast<std::size_t>(v)];
        trackGate(voice, v, frame.sidRegisters[voiceRegister(v, 4)], frame, tracker);
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
