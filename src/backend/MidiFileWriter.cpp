#include "backend/MidiFileWriter.h"

#include "backend/TempoEstimator.h"

#include <algorithm>
#include <cmath>

namespace notecast {

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kPitchBend = 0xE0;

constexpr std::uint8_t kProgram = 87;
constexpr std::uint8_t kRpnMsb = 101;
constexpr std::uint8_t kRpnLsb = 100;
constexpr std::uint8_t kDataEntryMsb = 6;
constexpr std::uint8_t kPulseWidthController = 110;
constexpr std::uint8_t kEnvelopeController = 111;

constexpr double kProvisionalBpm = 100.0;

void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

// A text meta event at delta 0 with a one-byte length.
void putText(std::string& out, std::uint8_t type, const std::string& text) {
    const std::size_t n = std::min(text.size(), MidiFileWriter::kMaxTextLength);
    out.append({'\x00', '\xFF', static_cast<char>(type), static_cast<char>(n)});
    out.append(text, 0, n);
}

} // namespace

MidiFileWriter::MidiFileWriter(const WriterSettings& settings, const ChannelMap& channels)
    : BackEnd(settings),
      channelMap_(channels),
      timebase_(clock_, settings.autoTempo ? static_cast<float>(kProvisionalBpm) : settings.tempoBpm,
                settings.pulsesPerQuarter, settings.speedScale),
      // The synthesizer is told the range with one data byte; the bends are
      // computed with the same range so that they mean what they say.
      bendRange_(settings.bendRangeInUse()),
      gatherSounds_(settings.generalMidiSounds || settings.trackPerChannel || settings.pianoRoll) {
    if (settings_.autoTempo) settings_.tempoBpm = static_cast<float>(kProvisionalBpm);
    programEvents_.fill(kNone);
    for (int v = 0; v < emu::kMaxVoices; ++v)
        voices_[static_cast<std::size_t>(v)].chip = static_cast<std::uint8_t>(v / emu::kVoicesPerChip);
}

bool MidiFileWriter::open(const std::string& fileName, const std::string& title) {
    out_.open(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out_.is_open()) return false;
    std::string head = "MThd";
    put32(head, 6);
    // Format 1 gets its track count once the channels are known.
    put16(head, settings_.trackPerChannel ? 1 : 0);
    put16(head, 1);
    put16(head, static_cast<std::uint32_t>(timebase_.ppq()));
    out_.write(head.data(), static_cast<std::streamsize>(head.size()));
    trackStart_ = out_.tellp();
    // The track header is completed by close, once the length is known.
    std::string track = "MTrk";
    put32(track, 0);
    putText(track, 0x03, title);
    putText(track, 0x01, kNotice);
    out_.write(track.data(), static_cast<std::streamsize>(track.size()));
    return true;
}

bool MidiFileWriter::close() {
    if (closed_) return out_.good();
    closed_ = true;
    finish();
    if (!out_.is_open()) return false;

    std::string track;
    track.reserve(events_.size() * 5 + 16);
    const std::uint32_t tempo = timebase_.tempoValue();
    track.append({'\x00', '\xFF', '\x51', '\x03'});
    track.push_back(static_cast<char>((tempo >> 16) & 0xFF));
    put16(track, tempo & 0xFFFF);
    track.append({'\x00', '\xFF', '\x58', '\x04', '\x04', '\x02', '\x18', '\x08'});
    if (settings_.trackPerChannel) {
        writeTracks(track);
        out_.flush();
        const bool ok = out_.good();
        out_.close();
        return ok && !out_.fail();
    }
    timebase_.resetEmitted();
    for (const MidiEvent& e : events_) {
        appendVariableLength(track, timebase_.deltaTicks(e.time));
        track.append(reinterpret_cast<const char*>(e.bytes.data()), e.size);
    }
    out_.write(track.data(), static_cast<std::streamsize>(track.size()));

    const std::streampos endPos = out_.tellp();
    std::string header = "MTrk";
    put32(header, static_cast<std::uint32_t>(endPos - trackStart_ - 8));
    out_.seekp(trackStart_);
    out_.write(header.data(), static_cast<std::streamsize>(header.size()));
    out_.seekp(endPos);
    out_.flush();
    const bool ok = out_.good();
    out_.close();
    return ok && !out_.fail();
}

void MidiFileWriter::finish() {
    if (finished_) return;
    finished_ = true;
    for (int v = 0; v < emu::kMaxVoices; ++v) settleVelocity(v);
    for (int c = 0; c < kChannels; ++c) {
        for (std::size_t index : channels_[c].openNotes) {
            const MidiEvent on = events_[index];
            appendEvent(static_cast<std::uint8_t>(kNoteOff + c), on.bytes[1], on.bytes[2]);
        }
        channels_[c].openNotes.clear();
        channels_[c].lastNote = 0;
        channels_[c].referenceFrequency = 0;
    }
    for (VoiceState& v : voices_) v.openNote = kNone;

    if (settings_.autoTempo) {
        TempoEstimator estimator;
        const auto usPerQuarter = static_cast<float>(timebase_.tempoValue());
        if (settings_.tempoFromAllChannels)
            estimator.buildFromOnsets(onsets_, usPerQuarter);
        else
            estimator.build(events_, usPerQuarter);
        estimator.analyse();
        const double bpm = estimator.estimate();
        if (std::fabs(bpm - kProvisionalBpm) >= 0.01) timebase_.setTempo(static_cast<float>(bpm));
    }

    MidiEvent end;
    end.time = timebase_.currentTime();
    end.bytes = {0xFF, 0x2F, 0x00};
    end.size = 3;
    appendEvent(end);

    if (settings_.generalMidiSounds) choosePrograms();
}

void MidiFileWriter::getWarnings(std::string& text) {
    text = "Warnings:\nPitch exceeded range  : " + std::to_string(warnings_) + " times.\n";
}

void MidiFileWriter::appendEvent(MidiEvent event) {
    event.sequence = sequence_++;
    events_.push_back(event);
}

void MidiFileWriter::appendEvent(std::uint8_t status, std::uint8_t data1) {
    MidiEvent e;
    e.time = timebase_.currentTime();
    e.bytes = {status, data1, 0};
    e.size = 2;
    appendEvent(e);
}

void MidiFileWriter::appendEvent(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    MidiEvent e;
    e.time = timebase_.currentTime();
    e.bytes = {status, data1, data2};
    e.size = 3;
    appendEvent(e);
}

void MidiFileWriter::setupChannels() {
    for (int c = 0; c < kChannels; ++c) {
        if (c == kDrumChannel) continue;
        const auto ch = static_cast<std::uint8_t>(c);
        appendEvent(kProgramChange + ch, kProgram);
        programEvents_[static_cast<std::size_t>(c)] = events_.size() - 1;
        // Pitch Bend Sensitivity through RPN 0.
        appendEvent(kControlChange + ch, kRpnMsb, 0);
        appendEvent(kControlChange + ch, kRpnLsb, 0);
        appendEvent(kControlChange + ch, kDataEntryMsb, static_cast<std::uint8_t>(bendRange_));
    }
}

double MidiFileWriter::tempoBpm() const {
    const std::uint32_t usPerQuarter = timebase_.tempoValue();
    return usPerQuarter == 0 ? 0.0 : 60'000'000.0 / usPerQuarter;
}

void MidiFileWriter::noteOn(int channel, int note, int velocity, int voice,
                            std::int32_t referenceFrequency) {
    const int key = note + kNoteOffset;
    if (channel < 0 || channel >= kChannels || voice < 0 ||
        voice > kSampleVoice || key < 0 || key > 127 || velocity < 0 || velocity > 127)
        return;
    appendEvent(static_cast<std::uint8_t>(kNoteOn + channel), static_cast<std::uint8_t>(key),
                static_cast<std::uint8_t>(velocity));
    ++notesWritten_;
    ChannelState& cs = channels_[channel];
    cs.openNotes.push_back(events_.size() - 1);
    voices_[voice].openNote = events_.size() - 1;
    cs.lastNote = note;
    cs.referenceFrequency = referenceFrequency < 0 ? 0 : static_cast<std::uint32_t>(referenceFrequency);
}

void MidiFileWriter::noteOff(int channel, int voice) {
    if (channel < 0 || channel >= kChannels || voice < 0 || voice > kSampleVoice) return;
    VoiceState& vs = voices_[voice];
    if (vs.openNote == kNone) return;
    ChannelState& cs = channels_[channel];
    auto it = std::find(cs.openNotes.begin(), cs.openNotes.end(), vs.openNote);
    if (it == cs.openNotes.end()) return;
    settleVelocity(voice);
    const MidiEvent on = events_[vs.openNote];
    appendEvent(static_cast<std::uint8_t>(kNoteOff + channel), on.bytes[1], on.bytes[2]);
    cs.openNotes.erase(it);
    vs.openNote = kNone;
    cs.lastNote = 0;
    cs.referenceFrequency = 0;
}

void MidiFileWriter::emitBend(int channel, std::int32_t value) {
    ChannelState& cs = channels_[channel];
    if (value == cs.lastBend) return;
    appendEvent(static_cast<std::uint8_t>(kPitchBend + channel),
                static_cast<std::uint8_t>(value & 0x7F), static_cast<std::uint8_t>((value >> 7) & 0x7F));
    cs.lastBend = value;
}

void MidiFileWriter::setEnvelopeLevel(int channel, int level) {
    if (channel < 0 || channel >= kChannels) return;
    level = std::clamp(level, 0, 255);
    ChannelState& cs = channels_[channel];
    if (level == cs.lastEnvelopeLevel) return;
    appendEvent(static_cast<std::uint8_t>(kControlChange + channel), kEnvelopeController,
                static_cast<std::uint8_t>(level >> 1));
    cs.lastEnvelopeLevel = level;
}

void MidiFileWriter::emitPulseWidth(int channel, std::int32_t pulseWidth) {
    pulseWidth &= 0x0FFF;
    ChannelState& cs = channels_[channel];
    if (pulseWidth == cs.lastPulseWidth) return;
    cs.lastPulseWidth = pulseWidth;
    appendEvent(static_cast<std::uint8_t>(kControlChange + channel), kPulseWidthController,
                static_cast<std::uint8_t>(pulseWidth >> 5));
}

} // namespace notecast
