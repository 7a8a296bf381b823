#pragma once
#include "emu/SidVoice.h"

#include <algorithm>
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
    std::array<bool, emu::kMaxVoices> muteVoice{};  // voices 1..9
    std::int32_t frequencyChangeLimit = -1; // -1 all, 0 none, N at most N per note
    std::int32_t extraControllers = 0;
    std::int32_t noiseLevel = 0;
    TimeFormat timeFormat = TimeFormat::Hundredths;
    bool englishNotes = false;
    bool hideFrequency = false;
    bool alwaysShowNotes = false;
    // SID chips of the tune (1-3), set by the conversion: voices 1-3 are the
    // first chip's, 4-6 the second's, 7-9 the third's.
    std::int32_t sidChips = 1;
    int voices() const { return emu::kVoicesPerChip * std::clamp(sidChips, 1, emu::kMaxSidChips); }

    // The DAW options (-daw turns them all on, with -env); all off by
    // default, when the MIDI file is the classic one.
    bool trackPerChannel = false;     // -tracks: format 1, a named track per channel
    bool generalMidiSounds = false;   // -gm: a General MIDI program per channel
    bool drumKit = false;             // -kit: percussion as GM drum keys on channel 10
    bool clickPitch = false;          // -click: a noise click takes the pitch of the tone
    bool splitNotes = false;          // -split: bends within 12 semitones, steps become notes
    bool tempoFromAllChannels = false; // -beat
    bool envelopeVelocity = false;    // -vel: velocity from envelope and volume

    // -svg: a piano-roll picture of the notes beside the output.
    bool pianoRoll = false;

    // Whether the conversion looks ahead at each note for the writer.
    bool wantsNoteCues() const { return drumKit || clickPitch || splitNotes; }
    // The pitch-bend range the MIDI writer works with: -ps as far as the one
    // data byte that tells the synthesizer allows, with -split at most 12.
    std::int32_t bendRangeInUse() const {
        const std::int32_t range = std::clamp(pitchBendRange, 0, 127);
        return splitNotes ? std::min(range, kSplitBendRange) : range;
    }
    static constexpr std::int32_t kSplitBendRange = 12;
};

} // namespace notecast
