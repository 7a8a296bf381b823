#pragma once
#include "backend/FrameSink.h"
#include "convert/ConversionRecords.h"
#include "convert/ConverterSettings.h"
#include "convert/NoteCues.h"
#include "emu/C64.h"

#include <span>
#include <vector>

namespace notecast {

// The replay pass, one captured frame at a time: writes the frame back into
// the emulated SID chips, brings the voice records up to date (registers,
// sync, envelope phase; three voices per chip of the settings' sidChips)
// and hands the frame to the output writer. With -env
// the envelope generators then run for the frame's output samples, so the
// writer sees, in each frame, the level reached at the end of the previous
// one. With -sam the sample channels are stepped alongside.
class FrameReplay {
public:
    FrameReplay(FrameSink& out, emu::C64& machine, const ConverterSettings& settings,
                const std::vector<Instrument>& instruments);

    // cues: what the conversion saw ahead of the frame's notes (the DAW
    // options), or null.
    void step(const FrameSnapshot& frame, const FrameCues* cues = nullptr);

private:
    // One chip's registers, filter, volume and sync.
    void replayChip(const FrameSnapshot& frame, int c);
    void updateVoice(emu::SidVoice& voice, int v, const FrameSnapshot& frame);
    void reportSample();

    FrameSink& out_;
    emu::C64& machine_;
    const bool envelopes_;
    const bool samples_;
    const bool volume_;
    const int sampleChannel_;
    const int chips_;
    const int voiceCount_;
    const std::vector<Instrument>& instruments_;
    bool volumeSamples_ = false;
};

// Hard sync as the conversion sees it, for the three voices of one chip: a
// synced voice takes its source's frequency unless the source runs, is not
// in test mode, is at least an octave above it, and the voice it syncs in
// turn is synced too. Voices are handled in order 1, 2, 3; each sees the
// frequencies already changed before it.
void applySync(std::span<emu::SidVoice, 3> voices);

} // namespace notecast
