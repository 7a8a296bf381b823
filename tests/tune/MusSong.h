#pragma once
// Builds MUS files for the tests from readable pieces: pairs written with the
// helpers below, three voices, and the text block.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace notecast::test::mus {

using Pairs = std::vector<std::uint8_t>;

inline Pairs operator+(Pairs a, const Pairs& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Pairs& operator+=(Pairs& a, const Pairs& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Pairs repeat(const Pairs& p, int times) {
    Pairs out;
    for (int i = 0; i < times; ++i) out += p;
    return out;
}

// Duration bytes.
constexpr std::uint8_t kWhole = 0x08, kHalf = 0x0C, kQuarter = 0x10, kEighth = 0x14,
                       kSixteenth = 0x18, kThirtySecond = 0x1C, kSixtyFourth = 0x20,
                       kUtility = 0x04, kUtilityVoice = 0x24;
constexpr std::uint8_t kDotted = 0x20, kDoubleDotted = 0xA0, kTriplet = 0x80, kTied = 0x40;

// Pitch byte: letter 'C'..'B' (or 'R' for a rest), octave 0-7, accidental
// -1 flat, 0 natural, +1 sharp, 2 double (up on C D F G, down on E A B).
inline std::uint8_t pitch(char letter, int octave, int accidental = 0) {
    static const std::string letters = "RCDEFGAB";
    const auto l = static_cast<std::uint8_t>(letters.find(letter));
    const std::uint8_t acc = accidental == -1 ? 0xC0 : accidental == 0 ? 0x80
                             : accidental == 1 ? 0x40 : 0x00;
    return static_cast<std::uint8_t>(acc | ((7 - octave) << 3) | l);
}
constexpr std::uint8_t kRestPitch = 0x98;

inline Pairs note(std::uint8_t duration, std::uint8_t pitchByte) { return {duration, pitchByte}; }
inline Pairs rest(std::uint8_t duration) { return {duration, kRestPitch}; }
inline Pairs pair(std::uint8_t b1, std::uint8_t b2) { return {b1, b2}; }
inline Pairs absolutePitch(std::uint8_t pitchByte) { return {0x00, pitchByte}; }

// Switch commands ($01 xx).
inline Pairs sw(std::uint8_t b2) { return {0x01, b2}; }
inline Pairs decay(int v) { return sw(static_cast<std::uint8_t>(v << 4)); }
inline Pairs release(int v) { return sw(static_cast<std::uint8_t>((v << 4) | 0x08)); }
inline Pairs attack(int v) { return sw(static_cast<std::uint8_t>((v << 3) | 0x04)); }
inline Pairs sustain(int v) { return sw(static_cast<std::uint8_t>(0x80 | (v << 3) | 0x04)); }
inline Pairs callPhrase(int n) {
    return n < 16 ? sw(static_cast<std::uint8_t>((n << 4) | 0x02))
                  : sw(static_cast<std::uint8_t>(0x80 | ((n - 16) << 4) | 0x0B));
}
inline Pairs definePhrase(int n) {
    return n < 16 ? sw(static_cast<std::uint8_t>((n << 4) | 0x06))
                  : sw(static_cast<std::uint8_t>(0x80 | ((n - 16) << 4) | 0x03));
}
inline Pairs resonance(int v) { return sw(static_cast<std::uint8_t>((v << 4) | 0x0A)); }
inline Pairs volume(int v) { return sw(static_cast<std::uint8_t>((v << 4) | 0x0E)); }
inline Pairs waveform(int w) { return sw(static_cast<std::uint8_t>((w << 5) | 0x07)); }
inline Pairs filterMode(int m) { return sw(static_cast<std::uint8_t>((m << 5) | 0x17)); }
inline Pairs bump(bool up) { return sw(up ? 0x0B : 0x03); }
inline Pairs filterVoice(bool on) { return sw(on ? 0x1B : 0x13); }
inline Pairs ring(bool on) { return sw(on ? 0x2B : 0x23); }
inline Pairs sync(bool on) { return sw(on ? 0x3B : 0x33); }
inline Pairs filterExternal(bool on) { return sw(on ? 0x4B : 0x43); }
inline Pairs voice3Off(bool on) { return sw(on ? 0x5B : 0x53); }
inline Pairs portaVibrato(bool on) { return sw(on ? 0x7B : 0x73); }
inline Pairs repeatEnd() { return sw(0x0F); }
inline Pairs phraseEnd() { return sw(0x2F); }
inline Pairs halt() { return sw(0x4F); }

// Parameter commands.
inline Pairs pulseWidth(int w) { return {static_cast<std::uint8_t>(((w >> 8) << 4) | 0x02), static_cast<std::uint8_t>(w)}; }
inline Pairs tempo(int w) { return {0x06, static_cast<std::uint8_t>(w)}; }
inline Pairs utility(int v) { return {0x16, static_cast<std::uint8_t>(v)}; }
inline Pairs releasePoint(int v) { return {0x26, static_cast<std::uint8_t>(v)}; }
inline Pairs repeatStart(int passes) { return {0x36, static_cast<std::uint8_t>(passes)}; }
inline Pairs pulseSweep(int v) { return {0x56, static_cast<std::uint8_t>(v)}; }
inline Pairs cutoffSweep(int v) { return {0x66, static_cast<std::uint8_t>(v)}; }
inline Pairs vibratoDepth(int v) { return {0x76, static_cast<std::uint8_t>(v)}; }
inline Pairs vibratoRate(int v) { return {0x86, static_cast<std::uint8_t>(v)}; }
inline Pairs transpose(std::uint8_t b) { return {0xA6, b}; }
inline Pairs pulseVibratoDepth(int v) { return {0xC6, static_cast<std::uint8_t>(v)}; }
inline Pairs pulseVibratoRate(int v) { return {0xD6, static_cast<std::uint8_t>(v)}; }
inline Pairs utilityVoice(int v) { return {0xF6, static_cast<std::uint8_t>(v)}; }
inline Pairs detune(int v) {  // -2048..2047
    const int u = v < 0 ? v + 2048 : v;
    return {static_cast<std::uint8_t>(((u >> 8) << 5) | (v < 0 ? 0x10 : 0) | 0x0A),
            static_cast<std::uint8_t>(u)};
}
inline Pairs cutoff(int v) { return {0x0E, static_cast<std::uint8_t>(v)}; }
inline Pairs relativeTranspose(std::uint8_t b) { return {0x2E, b}; }
inline Pairs hold(int v) { return {0x4E, static_cast<std::uint8_t>(v)}; }
inline Pairs jiffy(int v) {  // -266..757
    const int u = v < 0 ? v + 1024 : v;
    return {static_cast<std::uint8_t>(((u & 3) << 6) | 0x3E), static_cast<std::uint8_t>(u >> 2)};
}
inline Pairs portamento(int p) {
    return {static_cast<std::uint8_t>(((p >> 8) << 2) | 0x03), static_cast<std::uint8_t>(p)};
}

// A whole MUS file. Each voice gets the halt pair appended unless
// `appendHalt` is off; an empty voice is the halt pair alone.
struct Song {
    Pairs voices[3];
    std::vector<std::uint8_t> text;
    bool appendHalt = true;

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> out = {0x00, 0x09};
        Pairs streams[3];
        for (int v = 0; v < 3; ++v) {
            streams[v] = voices[v];
            if (appendHalt) streams[v] += halt();
        }
        for (const Pairs& s : streams) {
            out.push_back(static_cast<std::uint8_t>(s.size()));
            out.push_back(static_cast<std::uint8_t>(s.size() >> 8));
        }
        for (const Pairs& s : streams) out.insert(out.end(), s.begin(), s.end());
        out.insert(out.end(), text.begin(), text.end());
        return out;
    }
};

inline std::vector<std::uint8_t> bytes(const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

} // namespace notecast::test::mus
