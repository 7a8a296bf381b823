#pragma once
#include "emu/AudioPath.h"
#include "emu/C64.h"

#include <cstdint>
#include <memory>

namespace notecast {

class SidTune;
struct SidTuneInfo;

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
    emu::MemoryMode memoryMode = emu::MemoryMode::BankSwitching;
    emu::Clock clockSpeed = emu::Clock::Pal;
    bool forceClock = false;
    int sampleScanCalls = 500;
    int panningMode = 4096;
};

// Facade of the C64 emulation: owns one machine, validates the configuration
// and initialises a song so that its play routine can be called frame after
// frame. Engines share nothing, so several can convert side by side.
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
    // Does nothing before a song has been initialised, and for a tune that
    // runs on the whole machine.
    emu::RunResult playCall();

    // A tune that needs the whole machine (RSID) has no play calls: the song
    // initialisation only sets the machine up and points the CPU at init;
    // the machine then runs, init included, in steps (see C64::runMachine).
    bool interruptDriven() const { return interruptDriven_; }
    emu::MachineStop runMachine(std::uint64_t until) { return machine_->runMachine(until); }

    emu::C64& machine() { return *machine_; }
    const emu::C64& machine() const { return *machine_; }

    // True when the last song initialisation had to stop the init routine.
    bool initStopped() const { return initStopped_; }

    // Whether the song leaves the sample channels alone, which decides the
    // audio path's mixing divisor. Only playing the song can tell, and no
    // conversion needs it, so the scan runs when this (or audioPath()) is
    // first asked after initSong: it plays the song for up to sampleScanCalls
    // calls and then initialises it again. Ask before the first play call.
    // Likewise the audio path's tables are built when they are asked for,
    // after a change of the configuration that affects them.
    bool noSampleActivity();
    const emu::AudioPath& audioPath();

    // The pseudo-random raster and timer reads start from this value at
    // every song initialisation, so a conversion is the same on every run.
    static constexpr std::uint32_t kRandomSeed = 0x2A5D;

private:
    bool initSongInner(SidTune& tune, std::uint16_t song);
    bool initMachineSong(SidTune& tune, const SidTuneInfo& info, emu::Clock clock, std::uint8_t songIndex);
    void settleSampleScan();
    void applyDefaultVolumes();
    void buildAmplitudeTables();
    void buildFilterTables();
    bool initSynth();

    std::unique_ptr<emu::C64> machine_;
    emu::AudioPath audio_;
    bool ready_ = false;
    EngineConfig config_;
    bool synthReady_ = false;
    bool noActivity_ = false;
    bool appliedNoActivity_ = false;
    bool initStopped_ = false;
    bool interruptDriven_ = false;
    std::uint16_t playAddress_ = 0;
    bool songReady_ = false;
    // The song of the last initialisation, for a sample scan asked for later.
    SidTune* tune_ = nullptr;
    std::uint16_t song_ = 0;
    bool scanPending_ = false;
    bool amplitudeStale_ = true;
    bool filterStale_ = true;
    // The sample-channel registers as the song left them before its init
    // routine ran; the scan compares against them.
    static constexpr int kMonitoredCount = 18;
    std::uint8_t monitored_[kMonitoredCount] = {};
};

} // namespace notecast
