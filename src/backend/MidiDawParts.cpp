// The parts of MidiFileWriter that only the DAW options use: drum hits,
// split notes, velocities, programs and the format-1 tracks.
#include "backend/MidiFileWriter.h"

#include <algorithm>
#include <cmath>

namespace notecast {

namespace {

constexpr std::uint8_t kNoteOnStatus = 0x90;
constexpr int kDrumVelocity = 127;

void put32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

// A delta time; a gap longer than one variable-length quantity can carry is
// bridged with empty text events.
void appendDelta(std::string& out, std::uint64_t ticks) {
    while (ticks > kMaxVariableLength) {
        appendVariableLength(out, kMaxVariableLength);
        out.append({'\xFF', '\x01', '\x00'});
        ticks -= kMaxVariableLength;
    }
    appendVariableLength(out, static_cast<std::uint32_t>(ticks));
}

// Loudness of a note from its envelope and the master volume: the peak the
// envelope reached, weighed down when the note has no sustain to hold it
// (drums, which are over at once, are not), times the master volume.
int velocityFor(std::uint8_t peakLevel, std::uint8_t sustainRelease, std::uint8_t volume, bool drum) {
    double loudness = peakLevel / 255.0;
    if (!drum) loudness *= 0.6 + 0.4 * (sustainRelease >> 4) / 15.0;
    const long velocity = std::lround(127.0 * loudness * volume / 15.0);
    return static_cast<int>(std::clamp(velocity, 1L, 127L));
}

} // namespace

void MidiFileWriter::setVolume(int volume) { volume_ = volume & 15; }

void MidiFileWriter::setNoteCue(int voice, const NoteCue& cue) {
    if (validVoice(voice)) voices_[voice].cue = cue;
}

void MidiFileWriter::startDrum(const emu::SidVoice& voice, int v, std::uint8_t key) {
    VoiceState& vs = voices_[v];
    vs.pendingStart = false;
    vs.channel = kDrumChannel;
    vs.drum = true;
    if (firstNote_) {
        firstNote_ = false;
        timebase_.startAtNow();
        setupChannels();
    }
    noteOn(kDrumChannel, key - kNoteOffset, kDrumVelocity, v, 0);
    beginDynamics(voice, vs);
}

void MidiFileWriter::splitNote(const emu::SidVoice& voice, int v) {
    VoiceState& vs = voices_[v];
    // The allowances belong to the whole gate, not to the new note.
    const std::int32_t pitchBudget = vs.pitchBudget;
    const std::int32_t bendBudget = vs.bendBudget;
    startNote(voice, v);
    vs.pitchBudget = pitchBudget;
    vs.bendBudget = bendBudget;
}

void MidiFileWriter::beginDynamics(const emu::SidVoice& voice, VoiceState& vs) {
    // With the envelope emulation the level at the start is what the last
    // note left; the peak is measured from the frames that follow.
    vs.peakLevel = settings_.envelopeEmulation ? 0 : voice.envLevel;
    vs.sustainRelease = voice.sustainRelease;
    vs.loudestVolume = static_cast<std::uint8_t>(volume_);
}

void MidiFileWriter::followDynamics(const emu::SidVoice& voice, VoiceState& vs) {
    if (!settings_.envelopeVelocity || vs.openNote == kNone) return;
    vs.peakLevel = std::max(vs.peakLevel, voice.envLevel);
    vs.loudestVolume = std::max(vs.loudestVolume, static_cast<std::uint8_t>(volume_));
}

void MidiFileWriter::settleVelocity(int v) {
    if (!settings_.envelopeVelocity || !validVoice(v)) return;
    const VoiceState& vs = voices_[v];
    if (vs.openNote == kNone) return;
    events_[vs.openNote].bytes[2] = static_cast<std::uint8_t>(
        velocityFor(vs.peakLevel, vs.sustainRelease, vs.loudestVolume, vs.drum));
}

void MidiFileWriter::choosePrograms() {
    for (int c = 0; c < kChannels; ++c) {
        const std::size_t at = programEvents_[static_cast<std::size_t>(c)];
        if (at != kNone) events_[at].bytes[1] = sounds_[static_cast<std::size_t>(c)].program();
    }
}

bool MidiFileWriter::writeTracks(const std::string& head) {
    // Every event at the tick it has in the format-0 file: the deltas are
    // worked out along the one list, as there.
    std::vector<std::uint64_t> ticks(events_.size());
    std::uint64_t tick = 0;
    timebase_.resetEmitted();
    for (std::size_t i = 0; i < events_.size(); ++i) {
        tick += timebase_.deltaTicks(events_[i].time);
        ticks[i] = tick;
    }
    const std::uint64_t endTick = tick;  // End of Track is the last event

    // The first track: title and notice (written by open), tempo and time
    // signature, and its end where the music ends.
    std::string conductor = head;
    appendDelta(conductor, endTick);
    conductor.append({'\xFF', '\x2F', '\x00'});
    out_.write(conductor.data(), static_cast<std::streamsize>(conductor.size()));
    const std::streampos afterConductor = out_.tellp();
    std::string header = "MTrk";
    put32(header, static_cast<std::uint32_t>(afterConductor - trackStart_ - 8));
    out_.seekp(trackStart_);
    out_.write(header.data(), static_cast<std::streamsize>(header.size()));
    out_.seekp(afterConductor);

    std::array<bool, kChannels> used{};
    for (const MidiEvent& e : events_)
        if ((e.status() & 0xF0) == kNoteOnStatus && e.size == 3 && e.bytes[2] != 0) used[e.status() & 0x0F] = true;

    std::uint32_t tracks = 1;
    for (int c = 0; c < kChannels; ++c) {
        if (!used[static_cast<std::size_t>(c)]) continue;
        std::string name = c == kDrumChannel ? "Drums" : sounds_[static_cast<std::size_t>(c)].trackName();
        if (name.empty()) name = "Channel " + std::to_string(c + 1);
        std::string track = "MTrk";
        put32(track, 0);
        track.append({'\x00', '\xFF', '\x03', static_cast<char>(std::min(name.size(), kMaxTextLength))});
        track.append(name, 0, kMaxTextLength);
        std::uint64_t previous = 0;
        for (std::size_t i = 0; i < events_.size(); ++i) {
            const MidiEvent& e = events_[i];
            if (e.size == 0 || e.status() >= 0xF0 || (e.status() & 0x0F) != c) continue;
            appendDelta(track, ticks[i] - previous);
            previous = ticks[i];
            track.append(reinterpret_cast<const char*>(e.bytes.data()), e.size);
        }
        appendDelta(track, endTick - previous);
        track.append({'\xFF', '\x2F', '\x00'});
        const auto length = static_cast<std::uint32_t>(track.size() - 8);
        for (int k = 0; k < 4; ++k) track[4 + static_cast<std::size_t>(k)] = static_cast<char>((length >> (24 - 8 * k)) & 0xFF);
        out_.write(track.data(), static_cast<std::streamsize>(track.size()));
        ++tracks;
    }

    const std::streampos end = out_.tellp();
    const char count[2] = {static_cast<char>(tracks >> 8), static_cast<char>(tracks & 0xFF)};
    out_.seekp(10);
    out_.write(count, 2);
    out_.seekp(end);
    return out_.good();
}

} // namespace notecast
