#include "backend/PianoRollWriter.h"

#include <algorithm>
#include <cctype>

namespace notecast {

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr double kBendCentre = 8192.0;

// The legend needs the channels' names, which the MIDI writer gathers for
// the pictures.
WriterSettings drawn(WriterSettings settings) {
    settings.pianoRoll = true;
    return settings;
}

} // namespace

PianoRollWriter::PianoRollWriter(const WriterSettings& settings, const ChannelMap& channels,
                                 TuneCaption caption)
    : MidiFileWriter(drawn(settings), channels), caption_(std::move(caption)) {}

bool PianoRollWriter::open(const std::string& fileName, const std::string& title) {
    out_.open(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
    caption_.title = title;
    return out_.is_open();
}

bool PianoRollWriter::close() {
    if (drawn_) return out_.good();
    drawn_ = true;
    finish();
    if (!out_.is_open()) return false;
    const std::string picture = drawPianoRoll(roll());
    out_.write(picture.data(), static_cast<std::streamsize>(picture.size()));
    out_.flush();
    const bool ok = out_.good();
    out_.close();
    return ok && !out_.fail();
}

PianoRoll PianoRollWriter::roll() const {
    PianoRoll roll;
    roll.caption = caption_;
    roll.usPerQuarter = timebase().tempoValue();
    roll.musicStart = timebase().origin();
    roll.tempoGiven = !settings_.autoTempo;
    const double semitonesPerStep = bendRange() / kBendCentre;

    // The notes sounding on each channel and key, oldest first: a Note Off
    // ends the oldest, as a synthesizer does.
    std::vector<std::vector<std::size_t>> sounding(static_cast<std::size_t>(kChannels) * 128);
    for (const MidiEvent& e : events()) {
        if (e.status() == 0xFF) {
            roll.end = std::max(roll.end, e.time);
            continue;
        }
        const int kind = e.status() & 0xF0;
        const int channel = e.status() & 0x0F;
        if (kind == kPitchBend) {
            const double value = e.bytes[1] | (e.bytes[2] << 7);
            roll.bends[static_cast<std::size_t>(channel)].push_back({e.time, (value - kBendCentre) * semitonesPerStep});
            continue;
        }
        if (kind != kNoteOn && kind != kNoteOff) continue;
        auto& open = sounding[static_cast<std::size_t>(channel * 128 + (e.bytes[1] & 0x7F))];
        if (kind == kNoteOn && e.bytes[2] != 0) {
            open.push_back(roll.notes.size());
            roll.notes.push_back({e.time, e.time, channel, e.bytes[1] & 0x7F, e.bytes[2]});
            roll.hasMusic = true;
        } else if (!open.empty()) {
            roll.notes[open.front()].end = e.time;
            open.erase(open.begin());
        }
    }
    for (const auto& open : sounding)
        for (std::size_t index : open) roll.notes[index].end = roll.end;
    for (int c = 0; c < kChannels; ++c) roll.channelNames[static_cast<std::size_t>(c)] = trackName(c);
    return roll;
}

std::string pictureFileName(const std::string& outputName) {
    const std::size_t separator = outputName.find_last_of("\\/");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = outputName.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return outputName + ".svg";
    std::string extension = outputName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".svg") return outputName + ".svg";
    return outputName.substr(0, dot) + ".svg";
}

} // namespace notecast
