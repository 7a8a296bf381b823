#include "convert/FrameReplay.h"

#include "convert/SnapshotLayout.h"
#include "emu/Envelope.h"

#include <cstring>

namespace notecast {

namespace {

constexpr std::uint8_t kGate = 0x01;
constexpr std::uint8_t kSync = 0x02;
constexpr std::uint8_t kTest = 0x08;

// A 16-bit register of a chip's register block.
std::uint32_t registerWord(const std::uint8_t* registers, int at) {
    return registers[at] | (static_cast<std::uint32_t>(registers[at + 1]) << 8);
}

} // namespace

void applySync(std::span<emu::SidVoice, 3> voices) {
    for (int v = 0; v < 3; ++v) {
        emu::SidVoice& voice = voices[v];
        const emu::SidVoice& source = voices[(v + 2) % 3];
        const emu::SidVoice& modulated = voices[(v + 1) % 3];
        voice.syncFlag = 0;
        if (!(voice.control & kSync)) continue;
        if (source.frequencyRegister == 0 || (source.control & kTest) ||
            !(modulated.control & kSync) ||
            source.frequencyRegister < 2 * voice.frequencyRegister) {
            voice.syncFlag = 1;
            voice.frequencyRegister = source.frequencyRegister;
        }
    }
}

FrameReplay::FrameReplay(FrameSink& out, emu::C64& machine, const ConverterSettings& settings,
                         const std::vector<Instrument>& instruments)
    : out_(out),
      machine_(machine),
      envelopes_(settings.envelopeEmulation),
      samples_(settings.captureSamples),
      volume_(settings.envelopeVelocity),
      sampleChannel_(settings.sampleChannel),
      chips_(settings.voices() / emu::kVoicesPerChip),
      voiceCount_(settings.voices()),
      instruments_(instruments) {}

void FrameReplay::step(const FrameSnapshot& frame, const FrameCues* cues) {
    emu::C64& m = machine_;
    emu::SidVoice* const voices = m.voices;
    const int voiceCount = voiceCount_;

    out_.clock().setTime(frame.seconds, frame.microseconds);
    out_.beginFrame();

    if (envelopes_) {
        for (int v = 0; v < voiceCount; ++v) out_.voiceEnvelope(voices[v], v);
    } else {
        for (int v = 0; v < voiceCount; ++v) voices[v].envLevel = 255;
    }

    std::uint8_t* const io = m.io;  // bytes stored below cannot move it
    std::memcpy(io + kSidBase, frame.sidRegisters.data(), kChipRegisters);
    for (std::size_t i = 0; i < frame.sampleRegisters.size(); ++i)
        io[kSampleRegisterAddresses[i]] = frame.sampleRegisters[i];
    for (int c = 0; c < chips_; ++c) replayChip(frame, c);

    for (int v = 0; v < voiceCount; ++v) {
        if (cues != nullptr && (*cues)[static_cast<std::size_t>(v)].kind != NoteCue::Kind::None)
            out_.setNoteCue(v, (*cues)[static_cast<std::size_t>(v)]);
        updateVoice(voices[v], v, frame);
    }

    if (samples_) {
        m.stepSampleChannels();
        // Samples through the volume register run while the frames say so.
        if (frame.volumeSamplePeriod != 0 && m.sampleEvent == 0) {
            m.sampleEvent = frame.volumeSamplePeriod;
            m.sampleEventReported = false;
        } else if (frame.volumeSamplePeriod == 0 && volumeSamples_) {
            m.sampleEvent = 0;
        }
        volumeSamples_ = frame.volumeSamplePeriod != 0;
        reportSample();
    }
    out_.endFrame();

    // The voices' envelopes and the sample channels do not touch each other,
    // so each runs through the frame's samples on its own.
    if (envelopes_) {
        for (int v = 0; v < voiceCount; ++v) emu::advanceEnvelope(voices[v], frame.samples);
    }
    if (samples_) {
        for (std::uint32_t n = frame.samples; n != 0; --n) m.sampleOutput();
    }
}

void FrameReplay::replayChip(const FrameSnapshot& frame, int c) {
    emu::C64& m = machine_;
    const std::uint8_t* const registers = frame.chipRegisters(c);
    if (c > 0) std::memcpy(m.extraSids[c - 1].registers, registers, kChipRegisters);

    // Each chip has its own filter and master volume.
    const std::uint8_t d417 = registers[0x17];
    const std::uint8_t d418 = registers[0x18];
    const int cutoff = (registers[0x15] & 7) + registers[0x16] * 8;
    if (c == 0) {
        out_.setFilter(cutoff, d417 >> 4, d417 & 7, d418 & 0x70);
        if (volume_) out_.setVolume(d418 & 0x0F);
    } else {
        out_.setChipFilter(c, cutoff, d417 >> 4, d417 & 7, d418 & 0x70);
        if (volume_) out_.setChipVolume(c, d418 & 0x0F);
    }

    // The sync rule looks at this frame's control bytes; the voice update
    // still needs last frame's to see the gate edges. Sync stays within a
    // chip.
    emu::SidVoice* const voices = m.voices + emu::kVoicesPerChip * c;
    const int first = emu::kVoicesPerChip * c;
    std::uint8_t previousControl[emu::kVoicesPerChip];
    for (int k = 0; k < emu::kVoicesPerChip; ++k) {
        previousControl[k] = voices[k].control;
        voices[k].frequencyRegister = registerWord(registers, 7 * k);
        voices[k].control = registers[7 * k + 4];
    }
    applySync(std::span<emu::SidVoice, emu::kVoicesPerChip>(voices, emu::kVoicesPerChip));
    for (int k = 0; k < emu::kVoicesPerChip; ++k) {
        const int v = first + k;
        voices[k].control = previousControl[k];
        voices[k].gateSet = frame.voiceGateSet(v);
        voices[k].gateCleared = frame.voiceGateCleared(v);
        m.gateSet[kGateFlag[v]] = voices[k].gateSet != 0;
        m.gateCleared[kGateFlag[v]] = voices[k].gateCleared != 0;
    }
}

void FrameReplay::updateVoice(emu::SidVoice& voice, int v, const FrameSnapshot& frame) {
    // The voice's seven registers in its chip's block.
    const std::uint8_t* const registers =
        frame.chipRegisters(v / emu::kVoicesPerChip) + 7 * (v % emu::kVoicesPerChip);
    std::uint8_t state = voice.envState;
    voice.pulseWidth = static_cast<std::uint16_t>(registerWord(registers, 2) & 0x0FFF);

    const std::uint8_t previous = voice.control;
    const std::uint8_t control = registers[4];
    voice.control = control;

    // The writer gets this frame's ADSR with the rest of the frame's
    // registers; whether it changed is still known for the envelope.
    const std::uint8_t attackDecay = registers[5];
    const std::uint8_t sustainRelease = registers[6];
    const bool newRates =
        attackDecay != voice.attackDecay || sustainRelease != voice.sustainRelease;
    voice.attackDecay = attackDecay;
    voice.sustainRelease = sustainRelease;

    if (!(control & kGate)) {
        if (previous & kGate) state = emu::kEnvStartRelease;
        if (!envelopes_) voice.envLevel = 0;
        out_.voiceGateOff(voice, v);
    } else if (!voice.gateCleared && (previous & kGate)) {
        out_.voiceHeld(voice, v);
    } else {
        state = emu::kEnvStartAttack;
        const std::int32_t id = frame.voiceInstrument(v);
        if (id >= 0 && static_cast<std::size_t>(id) < instruments_.size()) {
            out_.setInstrument(v, id, instruments_[static_cast<std::size_t>(id)]);
            out_.voiceGateOn(voice, v);
        } else {
            // A note that never had a waveform has no instrument to start.
            // The writer still hears of the voice, as it will in the frames
            // that follow, so that no frame goes without it.
            out_.voiceHeld(voice, v);
        }
    }

    if (newRates) state |= emu::kEnvNewRates;

    const std::uint8_t sustainValue = static_cast<std::uint8_t>(0x11 * (sustainRelease >> 4));
    if (voice.envState == emu::kEnvSustain)
        voice.sustainLevel = voice.envLevel < voice.sustainLevel ? 0 : sustainValue;
    else
        voice.sustainLevel = sustainValue;

    voice.envPhase = emu::phaseForState(state);
    voice.envState = state & 0xDE;
}

void FrameReplay::reportSample() {
    emu::C64& m = machine_;
    if (m.sampleEvent != 0) {
        if (!m.sampleEventReported) {
            m.sampleEventReported = true;
            out_.sampleOn(sampleChannel_, m.sampleEvent);
        }
    } else {
        out_.sampleOff(sampleChannel_, 0);
    }
}

} // namespace notecast
