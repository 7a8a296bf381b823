#include "backend/TextDumpWriter.h"

#include <string_view>

namespace notecast {

namespace {

// Note names by pitch class: the German half (H for B) and, from entry 12,
// the English half with flats.
constexpr char kLetters[] = "CCDDEFFGGAAHCDDEEFFGGABB";
constexpr char kAccidentals[] = "-#-#--#-#-#--b-b--#-#-b-";

// SID register units to Hz (register / 17.02).
constexpr double kRegisterToHz = 0.05875440658049354;

void appendNumber(std::string& s, std::uint32_t value, unsigned base, int width, char fill) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    for (int i = n; i < width; ++i) s += fill;
    while (n > 0) s += digits[--n];
}

void appendDec(std::string& s, std::uint32_t value, int width, char fill) {
    appendNumber(s, value, 10, width, fill);
}

void appendHex(std::string& s, std::uint32_t value, int width, char fill) {
    appendNumber(s, value, 16, width, fill);
}

const char* const kHeader =
    "\n"
    "PW = pulse width (0-4095)\n"
    "WF = waveform (xy : 1?=triangle, 2?=sawtooth, 4?=pulse, 8?=noise)\n"
    "\t (?2=synchronization, ?4=ring modulation, ?6=sync+ringmod)\n"
    "VL = volume level (0-FF)\n"
    "\n"
    "Filter type: L = low-pass, B = band-pass, H = high-pass\n"
    "Filter voices: 1__ = filter on voice 1, _2_ = voice 2, __3 = voice 3, and so on\n"
    "Filter cut-off frequency (SID value, 0-7F0)\n"
    "Filter resonance (SID value, 0-F)\n"
    "\n"
    "Time format: ";

// The column heads: the time, each voice's group, each chip's filter after
// its three voices; a further chip's block follows two spaces after the
// filter column before it. The rule under them is one longer than a line.
constexpr std::size_t kTimeWidth = 10;
constexpr std::size_t kGroupWidth = 28;
constexpr std::size_t kFilterWidth = 13;
constexpr std::size_t kChipGap = 2;
constexpr std::string_view kGroupHead = "Note  Freq  PW  WF ADSR VL  ";
constexpr std::string_view kFilterHead = "Filter";

std::string columnHeads(int chips) {
    std::string voices;
    std::string names = "Time";
    names.resize(kTimeWidth, ' ');
    for (int c = 0; c < chips; ++c) {
        if (c > 0) names.append(kFilterWidth - kFilterHead.size() + kChipGap, ' ');
        for (int v = 3 * c; v < 3 * c + 3; ++v) {
            voices.resize(names.size(), ' ');
            voices += "Voice " + std::to_string(v + 1);
            names += kGroupHead;
        }
        names += kFilterHead;
    }
    const auto width = kTimeWidth + static_cast<std::size_t>(chips) * (3 * kGroupWidth + kFilterWidth) +
                       static_cast<std::size_t>(chips - 1) * kChipGap;
    return "\n\n" + voices + "\n" + names + "\n" + std::string(width + 1, '=') + "\n";
}

} // namespace

TextDumpWriter::TextDumpWriter(const WriterSettings& settings)
    : BackEnd(settings),
      noteNameOffset_(settings.englishNotes ? 12 : 0),
      chips_(settings.voices() / 3) {
    line_.reserve(128 * static_cast<std::size_t>(chips_));
}

bool TextDumpWriter::validVoice(int v) const { return v >= 0 && v < 3 * chips_; }

bool TextDumpWriter::open(const std::string& fileName, const std::string& title) {
    out_.open(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out_.is_open()) return false;
    out_ << title << " - NOTECAST Text/SID Dump\n" << kHeader
         << (settings_.timeFormat == TimeFormat::Frames ? "minute:second.frame" : "minute:second.hundredth")
         << columnHeads(chips_);
    return true;
}

bool TextDumpWriter::close() {
    bool written = true;
    if (out_.is_open()) {
        // A frame that was begun but never ended still gets its text out.
        out_ << line_;
        out_.close();
        written = !out_.fail();  // a full disk must not pass for a finished file
    }
    line_.clear();
    return written;
}

void TextDumpWriter::beginFrame() {
    // Rounded to hundredths; the carry into seconds and minutes is local, the
    // clock itself stays as it is.
    std::uint32_t hundredths = (clock_.microseconds + 5000) / 10000;
    std::uint32_t seconds = clock_.seconds + hundredths / 100;
    hundredths %= 100;
    std::uint32_t minutes = clock_.minutes + seconds / 60;
    seconds %= 60;

    appendDec(line_, minutes, 2, '0');
    line_ += ':';
    appendDec(line_, seconds, 2, '0');
    line_ += '.';
    if (settings_.timeFormat == TimeFormat::Frames) {
        // 30 frames per second of SMPTE time.
        appendDec(line_, static_cast<std::uint32_t>(hundredths * 0.3), 2, '0');
    } else {
        appendDec(line_, hundredths, 2, '0');
    }
    line_ += "  ";
    filtersShown_ = 0;
    nextChipVoice_ = 3;
}

void TextDumpWriter::setFilter(int cutoff, int resonance, int routing, int mode) {
    filters_[0] = {cutoff, resonance, routing, mode};
}

void TextDumpWriter::setChipFilter(int chip, int cutoff, int resonance, int routing, int mode) {
    if (chip < 0 || chip >= chips_) return;
    filters_[static_cast<std::size_t>(chip)] = {cutoff, resonance, routing, mode};
}

void TextDumpWriter::endFrame() {
    if (chips_ > 1) reachVoice(3 * (chips_ - 1));
    writeFilter(chips_ - 1);
    line_ += '\n';
    out_ << line_;
    line_.clear();
}

void TextDumpWriter::reachVoice(int v) {
    // A chip's filter column comes after its three voices, and two spaces
    // lead to the next chip's voices.
    while (filtersShown_ < v / 3) {
        writeFilter(filtersShown_++);
        line_ += "  ";
    }
    nextChipVoice_ = 3 * (filtersShown_ + 1);
}

void TextDumpWriter::writeFilter(int chip) {
    const Filter& f = filters_[static_cast<std::size_t>(chip)];
    line_ += (f.mode & 0x10) ? 'L' : '_';
    line_ += (f.mode & 0x20) ? 'B' : '_';
    line_ += (f.mode & 0x40) ? 'H' : '_';
    line_ += ' ';
    // The routing bits name the chip's own voices: 1-3, 4-6 or 7-9.
    for (int bit = 0; bit < 3; ++bit)
        line_ += (f.routing & (1 << bit)) ? static_cast<char>('1' + 3 * chip + bit) : '_';
    line_ += ' ';
    appendHex(line_, static_cast<std::uint32_t>(f.cutoff & 0xFFFF), 3, ' ');
    line_ += ' ';
    appendHex(line_, static_cast<std::uint32_t>(f.resonance & 0xF), 1, '0');
}

void TextDumpWriter::voiceGateOn(const emu::SidVoice& voice, int v) {
    if (!validVoice(v)) return;
    if (v >= nextChipVoice_) reachVoice(v);
    VoiceState& state = voices_[v];
    state.pitchBudget = settings_.pitchChangeNotes;
    if (voice.frequencyRegister != 0) {
        state.pendingStart = false;
        ++notesWritten_;
        line_ += '>';
        writeNote(voice, v);
        line_ += '<';
    } else {
        // No pitch yet: the start is shown when the frequency arrives.
        state.pendingStart = true;
        line_ += ' ';
        writeNote(voice, v);
        line_ += ' ';
    }
    line_ += ' ';
    state.lastFrequency = voice.frequencyRegister;
    writeValues(voice);
}

void TextDumpWriter::voiceHeld(const emu::SidVoice& voice, int v) {
    if (!validVoice(v)) return;
    if (v >= nextChipVoice_) reachVoice(v);
    VoiceState& state = voices_[v];
    if (state.pendingStart) {
        state.pendingStart = false;
        voiceGateOn(voice, v);
        return;
    }

    // With -p2n a change of frequency under a held gate is shown as a new
    // note, at most pitchChangeNotes of them per note (any number for -1).
    // The budget is the voice's own and only real changes draw on it.
    if (voice.frequencyRegister != state.lastFrequency && settings_.pitchChangeNotes != 0) {
        const bool unlimited = settings_.pitchChangeNotes < 0;
        if (unlimited || state.pitchBudget > 0) {
            const std::int32_t budget = unlimited ? state.pitchBudget : state.pitchBudget - 1;
            voiceGateOn(voice, v);
            state.pitchBudget = budget;  // the budget spans the whole gate
            return;
        }
    }

    line_ += ' ';
    const bool audible = voice.frequencyRegister != 0 && voice.control >= 0x10 &&
                         (!settings_.envelopeEmulation || voice.envLevel != 0);
    if (audible) {
        bool named = false;
        if (settings_.alwaysShowNotes) {
            const NoteTable::Match m = notes_.findNote(voice.frequencyRegister);
            if (m.note != state.lastNote) {
                writeMatch(m, v);
                named = true;
            }
        }
        if (!named) line_ += "+++";
    } else {
        line_ += "---";
    }
    line_ += "  ";
    writeValues(voice);
}

void TextDumpWriter::voiceGateOff(const emu::SidVoice& voice, int v) { voiceHeld(voice, v); }

void TextDumpWriter::noteOn(int v, int note, std::int32_t referenceFrequency) {
    if (!validVoice(v) || note < 0) return;
    const int pitchClass = note % 12 + noteNameOffset_;
    line_ += kLetters[pitchClass];
    line_ += kAccidentals[pitchClass];
    appendDec(line_, static_cast<std::uint32_t>(note / 12), 0, ' ');
    voices_[v].lastNote = note;
    voices_[v].lastFrequency = static_cast<std::uint32_t>(referenceFrequency);
}

void TextDumpWriter::noteOff(int v, const std::string& text) {
    if (!validVoice(v)) return;
    voices_[v].lastNote = 0;
    line_ += text;
}

void TextDumpWriter::writeNote(const emu::SidVoice& voice, int v) {
    if (voice.frequencyRegister == 0) {
        noteOff(v, "---");
        return;
    }
    writeMatch(notes_.findNote(voice.frequencyRegister), v);
}

void TextDumpWriter::writeMatch(const NoteTable::Match& m, int v) {
    if (m.found) {
        noteOff(v, "");
        noteOn(v, m.note, m.tableValue);
    } else {
        noteOff(v, "???");
    }
}

void TextDumpWriter::writeValues(const emu::SidVoice& voice) {
    if (settings_.hideFrequency) {
        line_ += "---- ";
    } else {
        appendDec(line_, static_cast<std::uint32_t>(voice.frequencyRegister * kRegisterToHz), 4, ' ');
        line_ += ' ';
    }
    appendDec(line_, voice.pulseWidth & 0xFFFu, 4, ' ');
    line_ += ' ';
    appendHex(line_, voice.control & 0xFEu, 2, '0');
    line_ += ' ';
    appendHex(line_, voice.attackDecay, 2, '0');
    appendHex(line_, voice.sustainRelease, 2, '0');
    line_ += ' ';
    if (settings_.envelopeEmulation) {
        appendHex(line_, voice.envLevel, 2, '0');
        line_ += ' ';
    } else {
        line_ += "-- ";
    }
    line_ += ' ';
}

} // namespace notecast
