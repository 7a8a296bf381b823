#include "convert/FrameCapture.h"

#include "convert/SnapshotLayout.h"

#include <cstring>

namespace notecast {

void trackGate(emu::SidVoice& voice, int v, std::uint8_t control, FrameSnapshot& frame,
               NoteTracker& tracker) {
    const std::uint8_t previous = voice.control;
    frame.setVoiceInstrument(v, -1);
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
    const std::uint8_t* const io = m.io;  // bytes stored below cannot move it
    std::memcpy(frame.sidRegisters.data(), io + kSidBase, kChipRegisters);
    for (std::size_t i = 0; i < frame.sampleRegisters.size(); ++i)
        frame.sampleRegisters[i] = io[kSampleRegisterAddresses[i]];
    for (int v = 0; v < emu::kVoicesPerChip; ++v) {
        frame.gateSet[static_cast<std::size_t>(v)] = m.gateSet[kGateFlag[v]];
        frame.gateCleared[static_cast<std::size_t>(v)] = m.gateCleared[kGateFlag[v]];
    }
    if (m.sidChips > 1) captureFurtherChips(m, frame);
}

void captureFurtherChips(const emu::C64& m, FrameSnapshot& frame) {
    FurtherChips& further = frame.further.make();
    for (int c = 1; c < m.sidChips; ++c)
        std::memcpy(further.sidRegisters.data() + kChipRegisters * static_cast<std::size_t>(c - 1),
                    m.extraSids[c - 1].registers, kChipRegisters);
    for (int v = emu::kVoicesPerChip; v < m.sidVoices(); ++v) {
        const auto k = static_cast<std::size_t>(v - emu::kVoicesPerChip);
        further.gateSet[k] = m.gateSet[kGateFlag[v]];
        further.gateCleared[k] = m.gateCleared[kGateFlag[v]];
    }
}

void trackGates(emu::C64& m, FrameSnapshot& frame, NoteTracker& tracker) {
    const int voices = m.sidVoices();
    for (int v = 0; v < voices; ++v) {
        emu::SidVoice& voice = m.voices[v];
        voice.gateSet = frame.voiceGateSet(v);
        voice.gateCleared = frame.voiceGateCleared(v);
        trackGate(voice, v, frame.voiceRegister(v, 4), frame, tracker);
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
