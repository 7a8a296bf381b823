#pragma once
#include "backend/FrameClock.h"
#include "backend/InstrumentRecords.h"
#include "backend/NoteCue.h"
#include "backend/NoteTable.h"
#include "backend/WriterSettings.h"
#include "emu/SidVoice.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace notecast {

// Abstract output writer. The conversion run drives it frame by frame: for
// each frame setTime on the clock, beginFrame, voiceEnvelope (with -env),
// setFilter (and setChipFilter for each further chip), one of voiceGateOff /
// voiceHeld / setInstrument+voiceGateOn per voice, sampleOn/sampleOff (with
// -sam), endFrame; then close and getWarnings. Voices are numbered from 0:
// 0-2 on the first SID chip, 3-5 and 6-8 on the further chips of a tune
// that has them (WriterSettings::sidChips).
class BackEnd {
public:
    // The conversion's exception: code 0-3 and its message.
    struct Error {
        int code;
        std::string message;
    };

    explicit BackEnd(const WriterSettings& settings) : settings_(settings) {}
    virtual ~BackEnd() = default;
    BackEnd(const BackEnd&) = delete;
    BackEnd& operator=(const BackEnd&) = delete;

    virtual bool open(const std::string& fileName, const std::string& title) = 0;
    // False when the file could not be written whole (a full disk, say).
    virtual bool close() = 0;
    virtual void getWarnings(std::string& text) = 0;
    virtual void beginFrame() = 0;
    virtual void setFilter(int cutoff, int resonance, int routing, int mode) = 0;
    virtual void setInstrument(int voice, std::int32_t id, const Instrument& instrument) = 0;
    virtual void endFrame() = 0;
    virtual void voiceHeld(const emu::SidVoice& voice, int v) = 0;
    virtual void voiceGateOn(const emu::SidVoice& voice, int v) = 0;
    virtual void voiceGateOff(const emu::SidVoice& voice, int v) = 0;
    virtual void noteOn(int channel, int note, int velocity, int voice,
                        std::int32_t referenceFrequency) = 0;
    virtual void noteOff(int channel, const std::string& text, int voice) = 0;
    virtual void setEnvelopeLevel(int channel, int level) = 0;
    virtual void sampleOn(int channel, int period) = 0;
    virtual void sampleOff(int channel, int period) = 0;
    virtual void voiceEnvelope(const emu::SidVoice& voice, int v) = 0;
    // For the DAW options only (other runs never call them): the SID master
    // volume (0-15) of the frame, after setFilter; and what the conversion
    // saw ahead of a voice's note (NoteCue.h), just before that voice's gate
    // call of the frame.
    virtual void setVolume(int) {}
    virtual void setNoteCue(int, const NoteCue&) {}
    // The filter and, for the DAW options, the master volume of a further
    // chip (1 or 2), after setFilter and setVolume.
    virtual void setChipFilter(int, int, int, int, int) {}
    virtual void setChipVolume(int, int) {}

    FrameClock& clock() { return clock_; }
    const WriterSettings& settings() const { return settings_; }

    // What the file holds, for reports: the notes it starts (Note On events,
    // or note starts shown in the text table) and its tempo in beats per
    // minute, 0 where the file has none. The tempo is final after close.
    std::uint32_t notesWritten() const { return notesWritten_; }
    virtual double tempoBpm() const { return 0.0; }

protected:
    std::uint32_t notesWritten_ = 0;
    FrameClock clock_;
    NoteTable notes_;
    std::ofstream out_;
    WriterSettings settings_;
};

} // namespace notecast
