#pragma once
#include "backend/BackEnd.h"

#include <array>
#include <cstdint>
#include <string>

namespace notecast {

// The -2txt back end: a plain-text table with one line per frame. The line
// holds the playing time, then per voice the note, frequency (Hz), pulse
// width, waveform, ADSR and envelope level, then the filter settings. A tune
// for several SID chips (WriterSettings::sidChips) gets, after the first
// chip's filter column, two spaces, the next chip's three voices and its
// filter column, the same way; the column heads and the rule widen with it.
//
// A note start is shown between ">" and "<", a held note as "+++", a silent
// voice as "---". With -p2n a frequency change while the gate is held counts
// as a new note (with -p2nN at most N changes per note, counted per voice);
// with -an a change of the nearest note is named without the markers. A
// gate-on with frequency 0 is kept pending and shown as the note start once a
// frequency arrives.
//
// Lines are assembled in memory and written whole at endFrame.
class TextDumpWriter : public BackEnd {
public:
    explicit TextDumpWriter(const WriterSettings& settings);

    bool open(const std::string& fileName, const std::string& title) override;
    bool close() override;
    void beginFrame() override;
    void setFilter(int cutoff, int resonance, int routing, int mode) override;
    void setChipFilter(int chip, int cutoff, int resonance, int routing, int mode) override;
    void endFrame() override;
    void voiceHeld(const emu::SidVoice& voice, int v) override;
    void voiceGateOn(const emu::SidVoice& voice, int v) override;
    void voiceGateOff(const emu::SidVoice& voice, int v) override;

private:
    struct VoiceState {
        std::uint32_t lastFrequency = 0;  // register value last shown
        std::int32_t lastNote = 0;
        bool pendingStart = false;
        std::int32_t pitchBudget = 0;     // -p2n: new notes left for this note
    };

    // The note name of voice v (table note) and its reference value; the
    // text of a voice without a note.
    void noteOn(int v, int note, std::int32_t referenceFrequency);
    void noteOff(int v, const std::string& text);

    struct Filter {
        int cutoff = 0, resonance = 0, routing = 0, mode = 0;
    };

    bool validVoice(int v) const;
    // Before voice v's group: the filter columns of the chips before it.
    void reachVoice(int v);
    void writeFilter(int chip);
    void writeNote(const emu::SidVoice& voice, int v);
    void writeMatch(const NoteTable::Match& m, int v);  // a register value already looked up
    void writeValues(const emu::SidVoice& voice);

    int noteNameOffset_;  // 12 selects the English names
    int chips_;
    std::array<VoiceState, emu::kMaxVoices> voices_{};
    std::array<Filter, emu::kMaxSidChips> filters_{};
    int filtersShown_ = 0;  // filter columns on the line so far
    int nextChipVoice_ = 3;  // the first voice after the next filter column
    std::string line_;
};

} // namespace notecast
