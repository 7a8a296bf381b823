#pragma once
#include "emu/C64.h"

#include <cstdint>

namespace notecast {

class SidTune;

// Configuration of the emulator engine.
struct EngineConfig {
    std::uint32_t frequency = 44100;
    int bitsPerSample = 16;
    int sampleEncoding = 127;
    int channels = 1;
    int volumeMode = 4096;
    bool secondWaveformSet = false;
    bool altEnvelopeCurve = true;
    bool filterEnabled = true;
    float filterBase = 400.0f;
    float filterDivisor = 60.0f;
    float filterOffset = 0.05f;
    int memoryMode = 32;
    int clockSpeed = 1;
    bool forceClock = false;
    int sampleScanCalls = 500;
    int panningMode = 4096;
};

// Facade of the C64 emulation: validates the configuration and initialises a
// song so that its play routine can be called frame after frame. The machine
// itself is process-wide (emu::machine()); the engine holds configuration and
// flags only.
class EmuEngine {
public:
    EmuEngine();
    ~EmuEngine();
    EmuEngine(const EmuEngine&) = delete;
    EmuEngine& operator=(const EmuEngine&) = delete;

    bool ready() const { return ready_; }
    EngineConfig getConfig() const { return config_; }
    bool setConfig(const EngineConfig& config);
    bool initSong(SidTune& tune, std::uint16_t song);
    bool reset();
    bool setVoiceVolume(int voice, int left, int right, int total);

    // One play call exactly as a frame does it (the tune's play address with
    // the kept bank value, or its interrupt vector when the play address is 0).
    // Does nothing before a song has been initialised.
    emu::RunResult playCall();

    // True when the last song initialisation had to stop the init routine.
    bool initStopped() const { return initStopped_; }
    bool noSampleActivity() const { return noActivity_; }

private:
    bool initSongInner(SidTune& tune, std::uint16_t song, bool firstRun);
    void applyDefaultVolumes();
    void buildAmplitudeTables();
    void buildFilterTables();
    bool initSynth();

    bool ready_ = false;
    EngineConfig config_;
    bool synthReady_ = false;
    std::uint32_t seed_ = 0;
    bool noActivity_ = false;
    bool appliedNoActivity_ = false;
    bool initStopped_ = false;
    std::uint16_t playAddress_ = 0;
    bool songReady_ = false;
    // The sample-channel registers as the song left them before its init
    // routine ran; the scan compares against them.
    static constexpr int kMonitoredCount = 18;
    std::uint8_t monitored_[kMonitoredCount] = {};
};

} // namespace notecast
