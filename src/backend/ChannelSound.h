#pragma once
#include "backend/InstrumentRecords.h"
#include "emu/SidVoice.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace notecast {

// What the notes of one MIDI channel sound like, gathered while they play:
// which voices and instruments play there, the waveforms, pulse-width
// movement, ring modulation and hard sync of their frames, whether their
// envelopes hold or die away, and their register. From it follow the
// channel's General MIDI program and a track name a musician understands.
class ChannelSound {
public:
    // A melodic note starts (midiNote 0-127) with this sustain/release byte.
    void noteStarted(int voice, const Instrument& instrument, int midiNote,
                     std::uint8_t sustainRelease);
    // A frame of a sounding melodic note.
    void frame(const emu::SidVoice& voice, int v);
    void sampleNote() { samples_ = true; }
    bool used() const { return notes_ != 0 || samples_; }

    // General MIDI program (0-127), chosen once from everything gathered.
    std::uint8_t program() const;
    // "Voice 2: pulse → sawtooth", "Voices 1 and 3: triangle", "Samples";
    // at most 127 bytes.
    std::string trackName() const;

private:
    struct Heard {
        Instrument instrument;
        std::uint32_t notes = 0;
    };

    std::set<int> voices_;
    std::map<std::int32_t, Heard> instruments_;  // by instrument id
    bool samples_ = false;
    std::uint32_t notes_ = 0;
    std::uint32_t decaying_ = 0;  // notes without sustain
    std::int64_t pitchSum_ = 0;
    // Frames by sound: index by kind below.
    std::array<std::uint32_t, 8> frames_{};
    std::uint32_t pulseFrames_ = 0;
    std::uint32_t pulseMoves_ = 0;
    std::array<std::uint16_t, emu::kMaxVoices> lastPulseWidth_{};
};

// Words for one waveform list entry (control value without gate and test):
// "pulse", "triangle+sawtooth", "ring-mod triangle", "hard-sync pulse".
std::string waveformWords(std::uint8_t waveform);

} // namespace notecast
