#pragma once
#include "backend/BackEnd.h"
#include "backend/ChannelSound.h"
#include "backend/MidiEvent.h"
#include "backend/MidiTimebase.h"
#include "backend/TempoEstimator.h"
#include "Version.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

// The default back end: a Standard MIDI File of format 0, one track holding
// every channel.
//
// open writes the header chunk and the track's name and notice events; the
// notes, bends and controllers that the frames produce are buffered with
// their microsecond times, and close ends the notes still sounding, settles
// the tempo (estimated from the rhythm on channel 0 unless -bpm was given),
// converts the times to ticks and writes the rest of the track.
//
// Note mapping (MidiNoteMapping.cpp): every (voice, instrument) pair plays on
// the channel the ChannelMap gives it; a note starts with a pitch bend that
// carries its detune from the nearest equal-tempered note, frequency
// movements become further bends or, with -p2n, new notes; the writer keeps
// Note On and Note Off paired per voice and channel. The -p2nN and -ifN
// allowances are counted for each voice's note on its own.
//
// The pitch-bend range is sent to the synthesizer as one data byte, so
// ranges above 127 semitones are used as 127 (bends included).
//
// The ChannelMap is the converter's and is read when notes start, so it may
// still be filled after the writer is made.
//
// The DAW options (MidiDawExtras.cpp) change this, each on its own: -tracks
// writes format 1, a first track with tempo, time signature, title and
// notice, then one named track per channel that has notes, each event at the
// tick it has in the format-0 file; -gm sets each channel's program from
// what its notes sounded like (ChannelSound.h); -kit plays the notes the
// conversion's cues mark as percussion as drum keys on channel 10 and
// nothing else there; -click starts a note that begins with a click at the
// pitch of its first tonal frame and follows no pitch during the click or in
// noise frames; -split keeps the bend range within 12 semitones and starts
// a new note where a cue marks a lasting step; -beat estimates the tempo
// from the notes that gates start on all channels; -vel gives each note,
// once it has ended, a velocity from its envelope peak, the level held while
// its gate was on, the loudest master volume heard while it sounded and the
// loudness of the pulse width its tone began with.
class MidiFileWriter : public BackEnd {
public:
    MidiFileWriter(const WriterSettings& settings, const ChannelMap& channels);
    ~MidiFileWriter() override = default;

    // False when the file cannot be created; nothing is written then.
    bool open(const std::string& fileName, const std::string& title) override;
    // Ends the notes still sounding, writes the track and closes the file.
    // False when the file could not be written completely (a full disk, say).
    bool close() override;
    // "Warnings:" and the count of pitch bends that could not be sent.
    void getWarnings(std::string& text) override;
    void setInstrument(int voice, std::int32_t id, const Instrument& instrument) override;
    void voiceHeld(const emu::SidVoice& voice, int v) override;
    void voiceGateOn(const emu::SidVoice& voice, int v) override;
    void voiceGateOff(const emu::SidVoice& voice, int v) override;
    void sampleOn(int channel, int period) override;
    void sampleOff(int channel, int period) override;
    void voiceEnvelope(const emu::SidVoice& voice, int v) override;
    void setVolume(int volume) override;
    void setNoteCue(int voice, const NoteCue& cue) override;
    void setChipVolume(int chip, int volume) override;

    std::uint32_t warningCount() const { return warnings_; }
    double tempoBpm() const override;

    static constexpr const char* kNotice = "Converted by NOTECAST " NOTECAST_VERSION;
    static constexpr int kSampleVoice = emu::kMaxVoices;
    static constexpr int kNoteOffset = 12;
    // Text events carry a one-byte length, which stays valid up to 127.
    static constexpr std::size_t kMaxTextLength = 127;
    static constexpr int kDrumChannel = 9;
    static constexpr int kChannels = 16;

protected:
    // Ends the notes still sounding and settles the velocities, the tempo
    // and the programs: all that close does before it writes. Done once;
    // for a writer that shows the events instead of writing them.
    void finish();
    // After finish: the events in file order, each stamped with its
    // microseconds on the speed-scaled time base (End of Track last), the
    // time base with the start of the music (tick 0) and the tempo, the
    // bend range the bends mean, and a channel's name as -tracks names its
    // track.
    const std::vector<MidiEvent>& events() const { return events_; }
    const MidiTimebase& timebase() const { return timebase_; }
    std::int32_t bendRange() const { return bendRange_; }
    std::string trackName(int channel) const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    struct VoiceState {
        std::int32_t channel = -1;
        std::int32_t instrument = -1;
        Instrument record;
        bool pendingStart = false;
        std::size_t openNote = kNone;  // index of the sounding Note On in events_
        // What is left of -p2nN and -ifN for the note in progress.
        std::int32_t pitchBudget = 0;
        std::int32_t bendBudget = 0;
        // The DAW options: this frame's cue, the click frames still to
        // pass, whether the sounding note is a drum hit, and what the
        // velocity of the sounding note is made of.
        NoteCue cue;
        bool gateStart = false;  // the note to start comes from a gate
        std::uint32_t clickFrames = 0;
        bool drum = false;
        std::uint8_t peakLevel = 0;
        std::uint8_t heldLevel = 0;     // while the gate was last held
        std::uint8_t loudestVolume = 0;
        float pulseLoudness = 1.0f;     // of the pulse width the tone began with
        bool toneHeard = false;
        std::uint8_t chip = 0;          // the SID chip the voice belongs to
    };
    struct ChannelState {
        std::uint32_t referenceFrequency = 0;
        std::int32_t lastNote = 0;
        std::int32_t lastBend = 0;
        std::int32_t lastPulseWidth = 0;
        std::int32_t lastEnvelopeLevel = 0;
        std::vector<std::size_t> openNotes;  // Note On indexes in start order
    };

    // note is a table note (MIDI note - 12); voice 0-2, or 4 for samples.
    void noteOn(int channel, int note, int velocity, int voice, std::int32_t referenceFrequency);
    // Ends the voice's sounding note, if it is one of the channel's.
    void noteOff(int channel, int voice);
    void setEnvelopeLevel(int channel, int level);
    void appendEvent(std::uint8_t status, std::uint8_t data1);
    void appendEvent(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void appendEvent(MidiEvent event);
    void setupChannels();
    void emitBend(int channel, std::int32_t value);
    void emitPulseWidth(int channel, std::int32_t pulseWidth);
    bool muted(int v) const;
    bool validVoice(int v) const { return v >= 0 && v < emu::kMaxVoices; }
    void startNote(const emu::SidVoice& voice, int v);
    // A new note within the same gate (-p2n, -split): the allowances stay.
    void restartNote(const emu::SidVoice& voice, int v);
    // The DAW options (MidiDawExtras.cpp).
    void startDrum(const emu::SidVoice& voice, int v, std::uint8_t key, bool gateStart);
    void beginDynamics(const emu::SidVoice& voice, VoiceState& vs);
    void followDynamics(const emu::SidVoice& voice, VoiceState& vs);
    void hearTone(const emu::SidVoice& voice, VoiceState& vs);
    void settleVelocity(int v);
    void choosePrograms();
    void writeTracks(const std::string& head);

    const ChannelMap& channelMap_;
    MidiTimebase timebase_;
    std::int32_t bendRange_;
    std::vector<MidiEvent> events_;
    std::uint32_t sequence_ = 0;
    std::streampos trackStart_{};
    bool firstNote_ = true;
    bool finished_ = false;
    bool closed_ = false;
    std::uint32_t warnings_ = 0;
    std::array<VoiceState, kSampleVoice + 1> voices_{};
    std::array<ChannelState, kChannels> channels_{};
    std::array<std::size_t, kChannels> programEvents_;  // each channel's Program Change
    std::array<ChannelSound, kChannels> sounds_{};
    bool gatherSounds_;  // -gm, -tracks or -svg
    std::vector<TempoEstimator::Onset> onsets_;  // -beat: notes started by gates
    std::array<int, emu::kMaxSidChips> volumes_{15, 15, 15};  // each chip's master volume
};

} // namespace notecast
