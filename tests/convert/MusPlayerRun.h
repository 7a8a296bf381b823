#pragma once
// Runs a MUS song through the emulator with the built-in player and records
// the SID registers after every play call (one jiffy each).
#include "backend/NoteTable.h"
#include "emu/C64.h"
#include "emu/EmuEngine.h"
#include "tune/MusSong.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <cstdint>
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
inline MusRun runMus(const std::vector<std::uint8_t>& file, int frames) {
    MusRun run;
    SidTune tune(file.data(), file.size());
    EmuEngine engine;
    EngineConfig config = engine.getConfig();
    config.sampleScanCalls = 0;
    if (!tune.status() || !engine.setConfig(config) || !engine.initSong(tune, 1)) return run;
    run.loaded = true;
    run.initAddress = tune.getInfo().initAddress;
    run.irqAddress = tune.getInfo().irqAddress;
    const emu::C64& c64 = engine.machine();
    for (int f = 0; f < frames; ++f) {
        engine.playCall();
        MusFrame& frame = run.frames.emplace_back();
        for (int r = 0; r < 0x19; ++r) frame.reg[r] = c64.io[0xD400 + r];
        for (int v = 0; v < 3; ++v) {
            frame.gateSet[v] = c64.gateSet[v * 7 + 4];
            frame.gateCleared[v] = c64.gateCleared[v * 7 + 4];
        }
        frame.timer = static_cast<std::uint16_t>(c64.io[0xDC04] | (c64.io[0xDC05] << 8));
    }
    return run;
}

// A song of one voice, `frames` play calls of it.
inline std::vector<MusFrame> playMus(const mus::Pairs& voice, int frames) {
    mus::Song s;
    s.voices[0] = voice;
    MusRun run = runMus(s.build(), frames);
    EXPECT_TRUE(run.loaded);
    return run.frames;
}

// The frequency register value the player uses for semitone n (C0 = 0).
inline std::uint16_t musNoteFrequency(int semitone) {
    static const NoteTable table;
    const std::uint32_t value = table.entry(semitone);
    return static_cast<std::uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}

// Voice v's frequency register in the frames [from, to); fewer frames than
// asked for give a shorter list, which compares unequal.
inline std::vector<int> freqs(const std::vector<MusFrame>& frames, int v, int from, int to) {
    std::vector<int> out;
    for (int f = from; f < to && static_cast<std::size_t>(f) < frames.size(); ++f)
        out.push_back(frames[static_cast<std::size_t>(f)].freq(v));
    return out;
}

inline const std::uint8_t kC4 = mus::pitch('C', 4), kD4 = mus::pitch('D', 4), kA4 = mus::pitch('A', 4);
constexpr int kFreqC4 = 4455, kFreqD4 = 5000, kFreqA4 = 7492;

} // namespace notecast::test
