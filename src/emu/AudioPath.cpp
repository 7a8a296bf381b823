#include "emu/AudioPath.h"

#include <cmath>
#include <new>

namespace notecast::emu {

bool AudioPath::allocateAmplitudeTables() {
    AmplitudeTables& t = amplitude;
    t.voice8.reset(new (std::nothrow) std::int8_t[kAmplitudeEntries]);
    t.mix8.reset(new (std::nothrow) std::int8_t[kAmplitudeEntries]);
    t.mix16.reset(new (std::nothrow) std::int16_t[kAmplitudeEntries]);
    if (!t.voice8 || !t.mix8 || !t.mix16) {
        t.voice8.reset();
        t.mix8.reset();
        t.mix16.reset();
        return false;
    }
    return true;
}

void AudioPath::buildAmplitudeTables(bool filterEnabled, double divisor) {
    AmplitudeTables& t = amplitude;
    t.divisor = divisor;
    if (!t.voice8 || !t.mix8 || !t.mix16) return;
    // The filter can raise a voice above its input; filtered voices leave
    // headroom for it.
    const double voiceScale = filterEnabled ? 0.7 : 1.0;
    for (int volume = 0; volume < 256; ++volume) {
        for (int sample = 0; sample < 256; ++sample) {
            const int product = volume * (sample - 128);
            const int scaled = product / 255;
            const std::uint32_t at = static_cast<std::uint32_t>(volume * 256 + sample);
            t.voice8[at] = static_cast<std::int8_t>(static_cast<int>(scaled * voiceScale));
            t.mix8[at] = static_cast<std::int8_t>(static_cast<int>(scaled / divisor));
            t.mix16[at] = static_cast<std::int16_t>(static_cast<int>(product / divisor));
        }
    }
}

void AudioPath::buildFilterTables(float base, float divisor, float offset, std::uint32_t frequency) {
    const double rateScale = 44100.0 / (frequency ? frequency : 44100);
    for (int i = 0; i < 2048; ++i) {
        const double c = (std::pow(static_cast<double>(base), i / 2048.0) / divisor + offset) *
                         rateScale;
        // A NaN from odd parameters lands on the lower bound as well.
        filters.cutoff[i] = c >= 1.0 ? 1.0f : (c >= 0.01 ? static_cast<float>(c) : 0.01f);
        filters.bandwidth[i] = static_cast<float>((0.05 + i * 0.00008300781) * rateScale);
    }
    for (int j = 0; j < 16; ++j) filters.resonance[j] = static_cast<float>(2.0 - j / 15.0);
}

void AudioPath::setVoiceLevels(int voice, const VoiceLevels& levels) {
    if (voice >= 1 && voice <= 4) voices[voice - 1] = levels;
}

double mixDivisor(int volumeMode, int channels, bool scanFoundNoActivity) {
    if (volumeMode == 66) return 1.0;
    if (channels == 2 && (volumeMode == 4096 || volumeMode == 64)) return 2.0;
    return scanFoundNoActivity ? 3.0 : 4.0;
}

} // namespace notecast::emu
