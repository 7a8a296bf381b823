// The voice side of MidiFileWriter: when notes start and end, which note and
// bend a SID frequency becomes, and the optional controllers.
#include "backend/MidiFileWriter.h"

#include <cstdlib>
#include <utility>

namespace notecast {

namespace {

constexpr std::uint8_t kWaveformBits = 0xF0;
constexpr std::uint8_t kTonalBits = 0x70;
constexpr std::uint8_t kNoiseBit = 0x80;
constexpr std::uint8_t kTestBit = 0x08;
constexpr std::uint8_t kGateBit = 0x01;
constexpr std::uint8_t kSyncOrRing = 0x06;
constexpr std::int32_t kNoBend = 8192;
constexpr int kSampleNote = 64;  // MIDI note 76
constexpr int kVelocity = 127;
// At this envelope level and below a voice counts as silent.
constexpr int kSilentLevel = 5;

// Takes one from a -p2nN or -ifN allowance; false when none is left.
bool take(std::int32_t& budget) {
    if (budget <= 0) return false;
    --budget;
    return true;
}

// An envelope that has died away during decay, sustain or release.
bool fadedOut(std::uint8_t envState) {
    return envState == emu::kEnvDecay || envState == emu::kEnvSustain ||
           envState == emu::kEnvRelease;
}

// A pitched waveform, which -click follows; noise and a stopped
// oscillator say nothing about the note's pitch.
bool tonal(std::uint8_t control) {
    return (control & (kNoiseBit | kTestBit)) == 0 && (control & kTonalBits) != 0;
}

} // namespace

bool MidiFileWriter::muted(int v) const {
    return settings_.muteVoice[static_cast<std::size_t>(v)];
}

void MidiFileWriter::setInstrument(int voice, std::int32_t id, const Instrument& instrument) {
    if (!validVoice(voice)) return;
    voices_[voice].instrument = id;
    voices_[voice].record = instrument;
}

void MidiFileWriter::voiceGateOn(const emu::SidVoice& voice, int v) {
    if (!validVoice(v) || muted(v)) return;
    VoiceState& vs = voices_[v];
    vs.pitchBudget = settings_.pitchChangeNotes;
    vs.bendBudget = settings_.frequencyChangeLimit;
    vs.gateStart = true;
    startNote(voice, v);
}

void MidiFileWriter::startNote(const emu::SidVoice& voice, int v) {
    VoiceState& vs = voices_[v];
    const NoteCue cue = std::exchange(vs.cue, NoteCue{});
    const bool gateStart = std::exchange(vs.gateStart, false);
    vs.clickFrames = 0;
    if (vs.channel != -1) noteOff(vs.channel, "", v);
    vs.drum = false;
    if (vs.instrument == -1) return;
    const bool cued = cue.kind == NoteCue::Kind::Start;
    if (settings_.drumKit && cued && cue.drumKey != 0) {
        startDrum(voice, v, cue.drumKey, gateStart);
        return;
    }
    const std::int32_t channel = channelMap_.channel(v, vs.instrument);
    if (channel < 0 || channel >= kChannels) return;
    // With the drum kit only drum keys play on the drum channel.
    if (settings_.drumKit && channel == kDrumChannel) return;

    // A note that begins with a click sounds at the pitch of its tone.
    const bool click = settings_.clickPitch && cued && cue.tonalFrequency != 0;
    const std::uint32_t frequency = click ? cue.tonalFrequency : voice.frequencyRegister;
    const bool silent = frequency == 0 || (!click && (voice.control & kWaveformBits) == 0);
    if (settings_.noiseLevel < 2) {
        // Drum-like instruments: noise that ends the note, or noise mixed
        // with ring-modulated triangle or with several other waveforms, is
        // not played; a note that begins with a noise burst before its tone
        // starts when the tone does.
        const Instrument& ins = vs.record;
        if ((ins.hasNoise && ins.hasTriangleRing) || ins.endsWithNoise ||
            (ins.hasNoise && ins.distinctCount >= 2 && ins.noiseCount >= 2))
            return;
        if (!click && (voice.control & kNoiseBit) != 0 && ins.hasNoise && ins.length > 1) {
            vs.pendingStart = true;
            return;
        }
    }
    if (silent) {
        vs.pendingStart = true;  // the next frame tries again
        return;
    }
    vs.pendingStart = false;
    const NoteTable::Match match = notes_.findNote(frequency);
    if (!match.found) return;
    vs.channel = channel;

    if (firstNote_) {
        // The first note is the start of the music and becomes tick 0.
        firstNote_ = false;
        timebase_.startAtNow();
        setupChannels();
    }

    std::int32_t bend = notes_.pitchBend(frequency, static_cast<std::uint32_t>(match.tableValue), bendRange_);
    if (bend == -1) {
        ++warnings_;
        bend = kNoBend;
    } else if (settings_.frequencyChangeLimit >= 0 && !take(vs.bendBudget)) {
        ++warnings_;
        bend = kNoBend;
    }
    emitBend(channel, bend);
    noteOn(channel, match.note, kVelocity, v, match.tableValue);
    if (click) vs.clickFrames = cue.tonalOffset;
    beginDynamics(voice, vs);
    if (gateStart && settings_.tempoFromAllChannels) onsets_.push_back({timebase_.currentTime(), channel});
    if (gatherSounds_)
        sounds_[static_cast<std::size_t>(channel)].noteStarted(v, vs.record, match.note + kNoteOffset,
                                                               voice.sustainRelease);
}

void MidiFileWriter::restartNote(const emu::SidVoice& voice, int v) {
    VoiceState& vs = voices_[v];
    // The new note starts as a gate's note would, but the allowances
    // belong to the whole gate: what is left of them stays.
    const std::int32_t pitchBudget = vs.pitchBudget;
    const std::int32_t bendBudget = vs.bendBudget;
    vs.pitchBudget = settings_.pitchChangeNotes;
    vs.bendBudget = settings_.frequencyChangeLimit;
    startNote(voice, v);
    vs.pitchBudget = pitchBudget;
    vs.bendBudget = bendBudget;
}

void MidiFileWriter::voiceGateOff(const emu::SidVoice& voice, int v) {
    // The release keeps the note sounding and its pitch tracked.
    voiceHeld(voice, v);
}

void MidiFileWriter::voiceHeld(const emu::SidVoice& voice, int v) {
    if (!validVoice(v)) return;
    VoiceState& vs = voices_[v];
    if (vs.pendingStart) {
        vs.pendingStart = false;
        voiceGateOn(voice, v);
        return;
    }
    const NoteCue cue = std::exchange(vs.cue, NoteCue{});
    if (muted(v) || vs.instrument == -1 || vs.channel == -1) return;
    followDynamics(voice, vs);
    if (vs.clickFrames > 0) {
        // The click is part of the note's start.
        --vs.clickFrames;
        return;
    }
    if (cue.kind == NoteCue::Kind::Split && vs.openNote != kNone) {
        restartNote(voice, v);
        return;
    }
    const int channel = vs.channel;
    ChannelState& cs = channels_[channel];

    if (settings_.extraControllers > 0 && !vs.drum) emitPulseWidth(channel, voice.pulseWidth);
    if (voice.frequencyRegister == 0) {
        if ((voice.control & kSyncOrRing) == 0) noteOff(channel, "---", v);
        return;
    }
    // A drum hit has no pitch to follow; with -click neither has noise.
    if (vs.drum || (settings_.clickPitch && !tonal(voice.control))) return;
    if (gatherSounds_ && vs.openNote != kNone) sounds_[static_cast<std::size_t>(channel)].frame(voice, v);

    if (settings_.pitchChangeNotes != 0) {
        // Level 5 is where -env ends a note; a pitch read there would start
        // the note again at once.
        if (voice.envLevel <= kSilentLevel) return;
        const NoteTable::Match match = notes_.findNote(voice.frequencyRegister);
        if (!match.found) return;
        if (match.note != cs.lastNote &&
            std::abs(match.note - cs.lastNote) >= settings_.pitchThreshold) {
            if (settings_.pitchChangeNotes >= 0 && !take(vs.pitchBudget)) return;
            restartNote(voice, v);
            return;
        }
        if (cs.referenceFrequency == 0) return;
        // Back on the note's own frequency: nothing to do unless a bend is
        // still in force from an excursion, which has to be taken back.
        if (voice.frequencyRegister == cs.referenceFrequency && cs.lastBend == kNoBend) return;
        const std::int32_t bend =
            notes_.pitchBend(voice.frequencyRegister, cs.referenceFrequency, bendRange_);
        if (bend == -1) {
            ++warnings_;
            return;
        }
        if (settings_.frequencyChangeLimit >= 0 && !take(vs.bendBudget)) {
            ++warnings_;
            return;
        }
        emitBend(channel, bend);
        return;
    }

    // The -ifN allowance is spent once per frame, moved or not.
    if (settings_.frequencyChangeLimit >= 0 && !take(vs.bendBudget)) return;
    if (cs.referenceFrequency == 0) return;
    const std::int32_t bend =
        notes_.pitchBend(voice.frequencyRegister, cs.referenceFrequency, bendRange_);
    if (bend == -1)
        ++warnings_;
    else
        emitBend(channel, bend);
}

void MidiFileWriter::voiceEnvelope(const emu::SidVoice& voice, int v) {
    if (!validVoice(v) || muted(v)) return;
    VoiceState& vs = voices_[v];
    if (vs.instrument == -1 || vs.channel == -1) return;
    followDynamics(voice, vs);
    // A click's frames may be silent: they belong to the note's start.
    if (vs.clickFrames > 0) return;
    if (voice.frequencyRegister == 0) {
        if ((voice.control & kSyncOrRing) == 0) noteOff(vs.channel, "", v);
        return;
    }
    if (settings_.extraControllers > 0) setEnvelopeLevel(vs.channel, voice.envLevel);
    if (voice.envLevel > kSilentLevel) return;
    if ((voice.control & kGateBit) == 0 || fadedOut(voice.envState)) noteOff(vs.channel, "", v);
}

void MidiFileWriter::sampleOn(int channel, int period) {
    noteOff(channel, "", kSampleVoice);
    noteOn(channel, kSampleNote, kVelocity, kSampleVoice, period);
    if (channel >= 0 && channel < kChannels) sounds_[static_cast<std::size_t>(channel)].sampleNote();
}

void MidiFileWriter::sampleOff(int channel, int) {
    noteOff(channel, "", kSampleVoice);
}

} // namespace notecast
