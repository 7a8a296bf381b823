#pragma once
#include "backend/FrameSink.h"

namespace notecast {

// Hands every frame to two sinks, the first one first: one replay pass
// feeds the output file's writer and the picture's. The two know nothing
// of each other; each gets this sink's clock as the frame begins.
class FramePair : public FrameSink {
public:
    FramePair(FrameSink& first, FrameSink& second) : first_(first), second_(second) {}

    void beginFrame() override;
    void voiceEnvelope(const emu::SidVoice& voice, int v) override;
    void setFilter(int cutoff, int resonance, int routing, int mode) override;
    void setVolume(int volume) override;
    void setChipFilter(int chip, int cutoff, int resonance, int routing, int mode) override;
    void setChipVolume(int chip, int volume) override;
    void setNoteCue(int voice, const NoteCue& cue) override;
    void setInstrument(int voice, std::int32_t id, const Instrument& instrument) override;
    void voiceGateOn(const emu::SidVoice& voice, int v) override;
    void voiceHeld(const emu::SidVoice& voice, int v) override;
    void voiceGateOff(const emu::SidVoice& voice, int v) override;
    void sampleOn(int channel, int period) override;
    void sampleOff(int channel, int period) override;
    void endFrame() override;

private:
    FrameSink& first_;
    FrameSink& second_;
};

} // namespace notecast
