#pragma once
#include "backend/BackEnd.h"

#include <array>
#include <cstdint>
#include <string>

namespace notecast {

// The -2txt back end: a plain-text table with one line per frame. The line
// holds the playing time, then per voice the note, frequency (Hz), pulse
// width, waveform, ADSR and envelope level, then the filter settings.
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
    void writeNote(const emu::SidVoice& voice, int v);
    void writeMatch(const NoteTable::Match& m, int v);  // a register value already looked up
    void writeValues(const emu::SidVoice& voice);

    int noteNameOffset_;  // 12 selects the English names
    std::array<VoiceState, 3> voices_{};
    int cutoff_ = 0, resonance_ = 0, routing_ = 0, mode_ = 0;
    std::string line_;
};

} // namespace notecast
