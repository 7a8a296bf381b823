#include "convert/MusPlayerRun.h"

#include "backend/NoteTable.h"
#include "emu/C64.h"
#include "emu/EmuEngine.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <utility>

namespace notecast::test {

MusRun runMus(const std::vector<std::uint8_t>& file, int frames) {
    MusRun run;
    SidTune tune(file.data(), file.size());
    if (!tune.status()) return run;
    EmuEngine engine;
    EngineConfig config = engine.getConfig();
    config.sampleScanCalls = 0;
    if (!engine.setConfig(config) || !engine.initSong(tune, 1)) return run;
    run.loaded = true;
    run.initAddress = tune.getInfo().initAddress;
    run.irqAddress = tune.getInfo().irqAddress;
    emu::C64& c64 = engine.machine();
    for (int f = 0; f < frames; ++f) {
        engine.playCall();
        MusFrame frame{};
        for (int r = 0; r < 0x19; ++r) frame.reg[r] = c64.io[0xD400 + r];
        for (int v = 0; v < 3; ++v) {
            frame.gateSet[v] = c64.gateSet[v * 7 + 4];
            frame.gateCleared[v] = c64.gateCleared[v * 7 + 4];
        }
        frame.timer = static_cast<std::uint16_t>(c64.io[0xDC04] | (c64.io[0xDC05] << 8));
        run.frames.push_back(frame);
    }
    return run;
}

std::vector<MusFrame> playMus(const mus::Pairs& voice1, int frames, const mus::Pairs& voice2,
                              const mus::Pairs& voice3) {
    mus::Song s;
    s.voices[0] = voice1;
    s.voices[1] = voice2;
    s.voices[2] = voice3;
    MusRun run = runMus(s.build(), frames);
    EXPECT_TRUE(run.loaded);
    return std::move(run.frames);
}

std::uint16_t musNoteFrequency(int semitone) {
    static const NoteTable table;
    const std::uint32_t value = table.entry(semitone);
    return static_cast<std::uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}

std::vector<int> gateRises(const std::vector<MusFrame>& frames, int v) {
    std::vector<int> rises;
    bool before = false;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        if (frames[f].gate(v) && !before) rises.push_back(static_cast<int>(f));
        before = frames[f].gate(v);
    }
    return rises;
}

std::vector<int> freqs(const std::vector<MusFrame>& frames, int v, int from, int to) {
    std::vector<int> out;
    // Fewer frames than asked for give a shorter list, which compares unequal.
    for (int f = from; f < to && static_cast<std::size_t>(f) < frames.size(); ++f)
        out.push_back(frames[static_cast<std::size_t>(f)].freq(v));
    return out;
}

} // namespace notecast::test
