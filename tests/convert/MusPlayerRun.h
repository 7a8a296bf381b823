#pragma once
// Runs a MUS song through the emulator with the built-in player and records
// the SID registers after every play call (one jiffy each).
#include "tune/MusSong.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace notecast::test {

struct MusFrame {
    std::uint8_t reg[0x19];    // $D400-$D418 after the call
    bool gateSet[3];           // a control write with the gate bit during the call
    bool gateCleared[3];       // ... without it
    std::uint16_t timer;       // CIA 1 timer A count

    std::uint16_t freq(int v) const { return static_cast<std::uint16_t>(reg[v * 7] | (reg[v * 7 + 1] << 8)); }
    std::uint16_t pulse(int v) const { return static_cast<std::uint16_t>(reg[v * 7 + 2] | (reg[v * 7 + 3] << 8)); }
    std::uint8_t ctrl(int v) const { return reg[v * 7 + 4]; }
    std::uint8_t ad(int v) const { return reg[v * 7 + 5]; }
    std::uint8_t sr(int v) const { return reg[v * 7 + 6]; }
    bool gate(int v) const { return ctrl(v) & 1; }
};

struct MusRun {
    bool loaded = false;
    std::uint16_t initAddress = 0;
    std::uint16_t irqAddress = 0;
    std::vector<MusFrame> frames;
};

// Loads `file` as a tune (MUS or PSID), initialises song 1 and makes
// `frames` play calls.
MusRun runMus(const std::vector<std::uint8_t>& file, int frames);

// The song made of the three voice streams, `frames` play calls of it.
std::vector<MusFrame> playMus(const mus::Pairs& voice1, int frames, const mus::Pairs& voice2 = {},
                              const mus::Pairs& voice3 = {});

// The frequency register value the player uses for semitone n (C0 = 0).
std::uint16_t musNoteFrequency(int semitone);

// Jiffies (frames) at which voice v's gate rises: set after a frame where it
// was clear (or at the start).
std::vector<int> gateRises(const std::vector<MusFrame>& frames, int v);

// Voice v's frequency register in the frames [from, to).
std::vector<int> freqs(const std::vector<MusFrame>& frames, int v, int from, int to);

inline const std::uint8_t kC4 = mus::pitch('C', 4), kD4 = mus::pitch('D', 4), kA4 = mus::pitch('A', 4);
constexpr int kFreqC4 = 4455, kFreqD4 = 5000, kFreqA4 = 7492;

} // namespace notecast::test
