#include "emu/AmplitudeTables.h"

#include <new>

namespace notecast::emu {
namespace {

AmplitudeTables tables;

} // namespace

bool allocateAmplitudeTables() {
    freeAmplitudeTables();
    tables.voice8 = new (std::nothrow) std::int8_t[kAmplitudeEntries];
    tables.mix8 = new (std::nothrow) std::int8_t[kAmplitudeEntries];
    tables.mix16 = new (std::nothrow) std::int16_t[kAmplitudeEntries];
    if (!tables.voice8 || !tables.mix8 || !tables.mix16) {
        freeAmplitudeTables();
        return false;
    }
    return true;
}

void freeAmplitudeTables() {
    delete[] tables.voice8;
    delete[] tables.mix8;
    delete[] tables.mix16;
    tables.voice8 = nullptr;
    tables.mix8 = nullptr;
    tables.mix16 = nullptr;
}

void buildAmplitudeTables(bool filterEnabled, double divisor) {
    tables.divisor = divisor;
    if (!tables.voice8 || !tables.mix8 || !tables.mix16) return;
    // The filter can raise a voice above its input; filtered voices leave
    // headroom for it.
    const double voiceScale = filterEnabled ? 0.7 : 1.0;
    for (int volume = 0; volume < 256; ++volume) {
        for (int sample = 0; sample < 256; ++sample) {
            const int product = volume * (sample - 128);
            const int scaled = product / 255;
            const std::uint32_t at = static_cast<std::uint32_t>(volume * 256 + sample);
            tables.voice8[at] = static_cast<std::int8_t>(static_cast<int>(scaled * voiceScale));
            tables.mix8[at] = static_cast<std::int8_t>(static_cast<int>(scaled / divisor));
            tables.mix16[at] = static_cast<std::int16_t>(static_cast<int>(product / divisor));
        }
    }
}

const AmplitudeTables& amplitudeTables() { return tables; }

double mixDivisor(int volumeMode, int channels, bool scanFoundNoActivity) {
    if (volumeMode == 66) return 1.0;
    if (channels == 2 && (volumeMode == 4096 || volumeMode == 64)) return 2.0;
    return scanFoundNoActivity ? 3.0 : 4.0;
}

} // namespace notecast::emu
