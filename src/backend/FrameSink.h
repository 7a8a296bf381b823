#pragma once
#include "backend/FrameClock.h"
#include "backend/InstrumentRecords.h"
#include "backend/NoteCue.h"
#include "emu/SidVoice.h"

#include <cstdint>

namespace notecast {

// What the conversion's replay pass hands on, frame by frame. For each
// frame: setTime on the clock, beginFrame, voiceEnvelope per voice (with
// -env), setFilter, setVolume (with -vel), setChipFilter and setChipVolume
// for each further SID chip, then per voice an optional
// setNoteCue followed by one of voiceGateOff / voiceHeld /
// setInstrument+voiceGateOn, then sampleOn or sampleOff (with -sam), and
// endFrame. Voices are numbered from 0: 0-2 on the first SID chip, 3-5 and
// 6-8 on the further chips of a tune that has them (WriterSettings::sidChips).
//
// Every sink follows the voices, so the voice slots are the only ones
// it must implement; the others do nothing unless a sink has a use for them
// (the text table shows the filter, the MIDI file follows envelopes,
// samples, volume and cues). The clock is read only inside the slots.
class FrameSink {
public:
    FrameSink() = default;
    virtual ~FrameSink() = default;
    FrameSink(const FrameSink&) = delete;
    FrameSink& operator=(const FrameSink&) = delete;

    FrameClock& clock() { return clock_; }

    virtual void beginFrame() {}
    virtual void voiceEnvelope(const emu::SidVoice&, int) {}
    virtual void setFilter(int /*cutoff*/, int /*resonance*/, int /*routing*/, int /*mode*/) {}
    // The SID master volume (0-15) of the frame.
    virtual void setVolume(int) {}
    // The filter and master volume of a further chip (1 or 2), after
    // setFilter and setVolume.
    virtual void setChipFilter(int /*chip*/, int, int, int, int) {}
    virtual void setChipVolume(int /*chip*/, int) {}
    // What the conversion saw ahead of a voice's note (NoteCue.h), just
    // before that voice's gate call of the frame.
    virtual void setNoteCue(int, const NoteCue&) {}
    virtual void setInstrument(int /*voice*/, std::int32_t /*id*/, const Instrument&) {}
    virtual void voiceGateOn(const emu::SidVoice& voice, int v) = 0;
    virtual void voiceHeld(const emu::SidVoice& voice, int v) = 0;
    virtual void voiceGateOff(const emu::SidVoice& voice, int v) = 0;
    virtual void sampleOn(int /*channel*/, int /*period*/) {}
    virtual void sampleOff(int /*channel*/, int /*period*/) {}
    virtual void endFrame() {}

protected:
    FrameClock clock_;
};

} // namespace notecast
