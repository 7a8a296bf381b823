#include "backend/FramePair.h"

namespace notecast {

void FramePair::beginFrame() {
    first_.clock() = clock_;
    second_.clock() = clock_;
    first_.beginFrame();
    second_.beginFrame();
}

void FramePair::voiceEnvelope(const emu::SidVoice& voice, int v) {
    first_.voiceEnvelope(voice, v);
    second_.voiceEnvelope(voice, v);
}

void FramePair::setFilter(int cutoff, int resonance, int routing, int mode) {
    first_.setFilter(cutoff, resonance, routing, mode);
    second_.setFilter(cutoff, resonance, routing, mode);
}

void FramePair::setVolume(int volume) {
    first_.setVolume(volume);
    second_.setVolume(volume);
}

void FramePair::setChipFilter(int chip, int cutoff, int resonance, int routing, int mode) {
    first_.setChipFilter(chip, cutoff, resonance, routing, mode);
    second_.setChipFilter(chip, cutoff, resonance, routing, mode);
}

void FramePair::setChipVolume(int chip, int volume) {
    first_.setChipVolume(chip, volume);
    second_.setChipVolume(chip, volume);
}

void FramePair::setNoteCue(int voice, const NoteCue& cue) {
    first_.setNoteCue(voice, cue);
    second_.setNoteCue(voice, cue);
}

void FramePair::setInstrument(int voice, std::int32_t id, const Instrument& instrument) {
    first_.setInstrument(voice, id, instrument);
    second_.setInstrument(voice, id, instrument);
}

void FramePair::voiceGateOn(const emu::SidVoice& voice, int v) {
    first_.voiceGateOn(voice, v);
    second_.voiceGateOn(voice, v);
}

void FramePair::voiceHeld(const emu::SidVoice& voice, int v) {
    first_.voiceHeld(voice, v);
    second_.voiceHeld(voice, v);
}

void FramePair::voiceGateOff(const emu::SidVoice& voice, int v) {
    first_.voiceGateOff(voice, v);
    second_.voiceGateOff(voice, v);
}

void FramePair::sampleOn(int channel, int period) {
    first_.sampleOn(channel, period);
    second_.sampleOn(channel, period);
}

void FramePair::sampleOff(int channel, int period) {
    first_.sampleOff(channel, period);
    second_.sampleOff(channel, period);
}

void FramePair::endFrame() {
    first_.endFrame();
    second_.endFrame();
}

} // namespace notecast
