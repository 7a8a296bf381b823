#include "backend/ChannelSound.h"

#include <algorithm>

namespace notecast {

namespace {

// The kinds of sound counted per frame.
enum Kind : std::size_t { kTriangleFrames, kSawtoothFrames, kPulseFrames, kMixedFrames, kNoiseFrames, kRingFrames, kSyncFrames };

constexpr std::uint8_t kTriangleBit = 0x10;
constexpr std::uint8_t kSawtoothBit = 0x20;
constexpr std::uint8_t kPulseBit = 0x40;
constexpr std::uint8_t kNoiseBit = 0x80;
constexpr std::uint8_t kSyncBit = 0x02;
constexpr std::uint8_t kRingBit = 0x04;
constexpr std::uint8_t kTestBit = 0x08;

constexpr int kBassBelow = 48;            // average MIDI note below C3
constexpr std::size_t kMaxNameEntries = 4;
constexpr std::size_t kMaxNameBytes = 127;
const char* const kArrow = " \xE2\x86\x92 ";  // U+2192

// General MIDI programs (0-based: GM program n is n - 1 here).
struct Choice {
    std::uint8_t held;      // notes that sustain
    std::uint8_t decaying;  // notes that die away while held
};
constexpr Choice kPulse{80, 6};          // Lead 1 (square), Harpsichord
constexpr Choice kPulseMoving{50, 4};    // SynthStrings 1, Electric Piano 1
constexpr Choice kSawtooth{81, 62};      // Lead 2 (sawtooth), Synth Brass 1
constexpr Choice kTriangle{79, 11};      // Ocarina, Vibraphone
constexpr Choice kMixed{16, 17};         // Drawbar Organ, Percussive Organ
constexpr Choice kRing{98, 14};          // FX 3 (crystal), Tubular Bells
constexpr Choice kSync{84, 29};          // Lead 5 (charang), Overdriven Guitar
constexpr std::uint8_t kNoiseProgram = 118;       // Synth Drum
constexpr std::uint8_t kBassPulse = 38;           // Synth Bass 1
constexpr std::uint8_t kBassSawtooth = 39;        // Synth Bass 2
constexpr std::uint8_t kBassTriangle = 33;        // Electric Bass (finger)

} // namespace

std::string waveformWords(std::uint8_t waveform) {
    std::string words;
    auto add = [&](std::uint8_t bit, const char* word) {
        if ((waveform & bit) == 0) return;
        if (!words.empty()) words += '+';
        words += word;
    };
    add(kTriangleBit, "triangle");
    add(kSawtoothBit, "sawtooth");
    add(kPulseBit, "pulse");
    add(kNoiseBit, "noise");
    if (words.empty()) words = "silence";
    if ((waveform & kRingBit) != 0 && (waveform & kTriangleBit) != 0) words = "ring-mod " + words;
    if ((waveform & kSyncBit) != 0) words = "hard-sync " + words;
    return words;
}

void ChannelSound::noteStarted(int voice, const Instrument& instrument, int midiNote,
                               std::uint8_t sustainRelease) {
    voices_.insert(voice);
    Heard& heard = instruments_[instrument.id];
    if (heard.notes++ == 0) heard.instrument = instrument;
    ++notes_;
    if ((sustainRelease >> 4) == 0) ++decaying_;
    pitchSum_ += midiNote;
}

void ChannelSound::frame(const emu::SidVoice& voice, int v) {
    const std::uint8_t c = voice.control;
    if ((c & kTestBit) != 0 || (c & 0xF0) == 0 || voice.frequencyRegister == 0) return;
    const int waveforms = ((c & kTriangleBit) != 0) + ((c & kSawtoothBit) != 0) + ((c & kPulseBit) != 0);
    if ((c & kNoiseBit) != 0)
        ++frames_[kNoiseFrames];
    else if (waveforms > 1)
        ++frames_[kMixedFrames];
    else if ((c & kPulseBit) != 0)
        ++frames_[kPulseFrames];
    else if ((c & kSawtoothBit) != 0)
        ++frames_[kSawtoothFrames];
    else
        ++frames_[kTriangleFrames];
    if ((c & kRingBit) != 0 && (c & kTriangleBit) != 0) ++frames_[kRingFrames];
    if ((c & kSyncBit) != 0) ++frames_[kSyncFrames];
    if ((c & kPulseBit) != 0 && v >= 0 && v < emu::kMaxVoices) {
        ++pulseFrames_;
        std::uint16_t& last = lastPulseWidth_[static_cast<std::size_t>(v)];
        if (voice.pulseWidth != last) ++pulseMoves_;
        last = voice.pulseWidth;
    }
}

std::uint8_t ChannelSound::program() const {
    std::uint32_t sounding = 0;
    for (std::size_t k = kTriangleFrames; k <= kNoiseFrames; ++k) sounding += frames_[k];
    if (sounding == 0) return kPulse.held;
    const bool decaying = 2 * decaying_ > notes_;
    auto pick = [&](const Choice& c) { return decaying ? c.decaying : c.held; };
    // Ring modulation and sync colour whatever waveform they act on.
    if (3 * frames_[kRingFrames] >= sounding) return pick(kRing);
    if (3 * frames_[kSyncFrames] >= sounding) return pick(kSync);

    std::size_t main = kTriangleFrames;
    for (std::size_t k = kTriangleFrames; k <= kNoiseFrames; ++k)
        if (frames_[k] > frames_[main]) main = k;
    if (main == kNoiseFrames) return kNoiseProgram;
    const bool bass = notes_ > 0 && pitchSum_ < static_cast<std::int64_t>(kBassBelow) * notes_;
    switch (main) {
    case kTriangleFrames: return bass ? kBassTriangle : pick(kTriangle);
    case kSawtoothFrames: return bass ? kBassSawtooth : pick(kSawtooth);
    case kMixedFrames: return bass ? kBassPulse : pick(kMixed);
    default:
        if (bass) return kBassPulse;
        // A pulse width that moves in a quarter of the frames or more.
        return 4 * pulseMoves_ >= pulseFrames_ ? pick(kPulseMoving) : pick(kPulse);
    }
}

std::string ChannelSound::trackName() const {
    if (instruments_.empty()) return samples_ ? "Samples" : "";
    std::string name = voices_.size() == 1 ? "Voice " : "Voices ";
    std::size_t i = 0;
    for (int v : voices_) {
        if (i != 0) name += i + 1 == voices_.size() ? " and " : ", ";
        name += std::to_string(v + 1);
        ++i;
    }
    // The instrument heard most on the channel names it.
    const Heard* most = nullptr;
    for (const auto& [id, heard] : instruments_)
        if (most == nullptr || heard.notes > most->notes) most = &heard;
    const std::vector<std::uint8_t>& list = most->instrument.waveforms;
    name += ": ";
    for (std::size_t k = 0; k < list.size() && k < kMaxNameEntries; ++k) {
        if (k != 0) name += kArrow;
        name += waveformWords(list[k]);
    }
    if (list.size() > kMaxNameEntries) name += kArrow + std::string("...");
    if (instruments_.size() > 1)
        name += " and " + std::to_string(instruments_.size() - 1) +
                (instruments_.size() == 2 ? " more sound" : " more sounds");
    if (name.size() > kMaxNameBytes) {
        // Cut at a character boundary of the UTF-8 text.
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return name;
}

} // namespace notecast
