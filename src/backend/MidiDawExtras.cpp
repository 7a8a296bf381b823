// What MidiFileWriter does only for the DAW options: drum hits,
// velocities, programs and the format-1 tracks.
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
// envelope reached, weighed down when the level it held with the gate on
// was lower (drums, which are over at once, are not), times the master
// volume and the loudness of the pulse width its tone began with.
int velocityFor(std::uint8_t peakLevel, std::uint8_t heldLevel, std::uint8_t volume,
                float pulseLoudness, bool drum) {
    double loudness = peakLevel / 255.0 * pulseLoudness;
    if (!drum) loudness *= 0.6 + 0.4 * heldLevel / 255.0;
    const long velocity = std::lround(127.0 * loudness * volume / 15.0);
    return static_cast<int>(std::clamp(velocity, 1L, 127L));
}

constexpr std::uint8_t kGateBit = 0x01;
constexpr std::uint8_t kPulseBit = 0x40;
constexpr std::uint8_t kNoiseOrTest = 0x88;

// A pulse wave is loudest square; the narrower (or wider) its pulses, the
// less of it is heard: its AC part falls with sqrt(d(1-d)) of the duty d.
float pulseLoudness(std::uint16_t pulseWidth) {
    const double duty = (pulseWidth & 0x0FFF) / 4096.0;
    return static_cast<float>(0.7 + 0.3 * 2.0 * std::sqrt(duty * (1.0 - duty)));
}

} // namespace

void MidiFileWriter::setVolume(int volume) { volumes_[0] = volume & 15; }

void MidiFileWriter::setChipVolume(int chip, int volume) {
    if (chip > 0 && chip < emu::kMaxSidChips) volumes_[static_cast<std::size_t>(chip)] = volume & 15;
}

void MidiFileWriter::setNoteCue(int voice, const NoteCue& cue) {
    if (validVoice(voice)) voices_[voice].cue = cue;
}

void MidiFileWriter::startDrum(const emu::SidVoice& voice, int v, std::uint8_t key, bool gateStart) {
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
    if (gateStart && settings_.tempoFromAllChannels)
        onsets_.push_back({timebase_.currentTime(), kDrumChannel});
}

void MidiFileWriter::beginDynamics(const emu::SidVoice& voice, VoiceState& vs) {
    // With the envelope emulation the level at the start is what the last
    // note left: peak and held level are measured in the frames that
    // follow. Without it the sustain register says what is held.
    const bool emulated = settings_.envelopeEmulation;
    vs.peakLevel = emulated ? 0 : voice.envLevel;
    vs.heldLevel = emulated ? 0 : static_cast<std::uint8_t>(0x11 * (voice.sustainRelease >> 4));
    vs.loudestVolume = static_cast<std::uint8_t>(volumes_[vs.chip]);
    vs.pulseLoudness = 1.0f;
    vs.toneHeard = false;
    hearTone(voice, vs);
}

void MidiFileWriter::hearTone(const emu::SidVoice& voice, VoiceState& vs) {
    if (vs.toneHeard || (voice.control & kNoiseOrTest) != 0 || (voice.control & 0x70) == 0) return;
    vs.toneHeard = true;
    if ((voice.control & kPulseBit) != 0) vs.pulseLoudness = pulseLoudness(voice.pulseWidth);
}

void MidiFileWriter::followDynamics(const emu::SidVoice& voice, VoiceState& vs) {
    if (!settings_.envelopeVelocity || vs.openNote == kNone) return;
    vs.loudestVolume = std::max(vs.loudestVolume, static_cast<std::uint8_t>(volumes_[vs.chip]));
    hearTone(voice, vs);
    if (!settings_.envelopeEmulation) return;
    vs.peakLevel = std::max(vs.peakLevel, voice.envLevel);
    if ((voice.control & kGateBit) != 0) vs.heldLevel = voice.envLevel;
}

void MidiFileWriter::settleVelocity(int v) {
    if (!settings_.envelopeVelocity || !validVoice(v)) return;
    const VoiceState& vs = voices_[v];
    if (vs.openNote == kNone) return;
    events_[vs.openNote].bytes[2] = static_cast<std::uint8_t>(
        velocityFor(vs.peakLevel, vs.heldLevel, vs.loudestVolume, vs.pulseLoudness, vs.drum));
}

void MidiFileWriter::choosePrograms() {
    for (int c = 0; c < kChannels; ++c) {
        const std::size_t at = programEvents_[static_cast<std::size_t>(c)];
        if (at != kNone) events_[at].bytes[1] = sounds_[static_cast<std::size_t>(c)].program();
    }
}

std::string MidiFileWriter::trackName(int channel) const {
    if (channel < 0 || channel >= kChannels) return {};
    std::string name = channel == kDrumChannel ? "Drums" : sounds_[static_cast<std::size_t>(channel)].trackName();
    if (name.empty()) name = "Channel " + std::to_string(channel + 1);
    return name;
}

void MidiFileWriter::writeTracks(const std::string& head) {
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

    // Each channel's events, in list order; a channel without a note gets
    // no track.
    std::array<std::vector<std::size_t>, kChannels> byChannel;
    std::array<bool, kChannels> used{};
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const MidiEvent& e = events_[i];
        if (e.size == 0 || e.status() >= 0xF0) continue;
        const std::size_t c = e.status() & 0x0F;
        byChannel[c].push_back(i);
        if ((e.status() & 0xF0) == kNoteOnStatus && e.size == 3 && e.bytes[2] != 0) used[c] = true;
    }

    std::uint32_t tracks = 1;
    for (int c = 0; c < kChannels; ++c) {
        if (!used[static_cast<std::size_t>(c)]) continue;
        const std::string name = trackName(c);
        std::string track = "MTrk";
        put32(track, 0);
        track.append({'\x00', '\xFF', '\x03', static_cast<char>(std::min(name.size(), kMaxTextLength))});
        track.append(name, 0, kMaxTextLength);
        std::uint64_t previous = 0;
        for (std::size_t i : byChannel[static_cast<std::size_t>(c)]) {
            appendDelta(track, ticks[i] - previous);
            previous = ticks[i];
            track.append(reinterpret_cast<const char*>(events_[i].bytes.data()), events_[i].size);
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
}

} // namespace notecast
