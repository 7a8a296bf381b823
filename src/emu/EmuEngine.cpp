#include "emu/EmuEngine.h"

#include "tune/SidTune.h"

#include <iterator>

namespace notecast {

namespace {

// The extra registers through which tunes drive the sample channels; a tune
// that writes none of them while it plays has no samples.
constexpr std::uint16_t kMonitoredRegisters[] = {
    0xD43D, 0xD43E, 0xD43F, 0xD45D, 0xD45E, 0xD45F, 0xD47D, 0xD47E, 0xD47F,
    0xD53D, 0xD53E, 0xD53F, 0xD55D, 0xD55E, 0xD55F, 0xD57D, 0xD57E, 0xD57F};

static_assert(std::size(kMonitoredRegisters) == 18, "one copy per monitored register");

constexpr const char* kSpeedTextVbiPal = "50 Hz VBI (PAL)";
constexpr const char* kSpeedTextCiaPal = "CIA 1 Timer A (PAL)";
constexpr const char* kSpeedTextVbiNtsc = "60 Hz VBI (NTSC)";
constexpr const char* kSpeedTextCiaNtsc = "CIA 1 Timer A (NTSC)";
constexpr const char* kSpeedTextOwnPal = "own interrupts (PAL)";
constexpr const char* kSpeedTextOwnNtsc = "own interrupts (NTSC)";

bool validMemoryMode(emu::MemoryMode mode) {
    return mode == emu::MemoryMode::BankSwitching || mode == emu::MemoryMode::TransparentRom ||
           mode == emu::MemoryMode::Romless;
}

bool validVolumeMode(int mode) {
    return mode == 4096 || mode == 64 || mode == 65 || mode == 66 || mode == 67;
}

std::uint16_t ramWord(const emu::C64& m, std::uint16_t address) {
    return static_cast<std::uint16_t>(m.ram[address] | (m.ram[address + 1] << 8));
}

// The interrupt handler a tune without a play address installed: the KERNAL's
// IRQ vector when the KERNAL is switched in, else the hardware vector.
std::uint16_t interruptVector(const emu::C64& m, std::uint8_t bank) {
    return (bank & 0x02) ? ramWord(m, 0x0314) : ramWord(m, 0xFFFE);
}

void resetMemoryModel(emu::C64& m, emu::MemoryMode memoryMode, emu::Clock clock) {
    m.installMemoryMode(memoryMode);
    m.clearMemory();
    m.resetIo(clock, EmuEngine::kRandomSeed);
}

} // namespace

EmuEngine::EmuEngine() : machine_(std::make_unique<emu::C64>()) {
    audio_.panningMode = config_.panningMode;
    resetMemoryModel(*machine_, config_.memoryMode, config_.clockSpeed);
    synthReady_ = initSynth();
    applyDefaultVolumes();
    machine_->resetVoices();
    ready_ = synthReady_;
}

EmuEngine::~EmuEngine() = default;

bool EmuEngine::initSynth() {
    emu::SynthSetup setup;
    setup.frequency = config_.frequency;
    setup.altEnvelopeCurve = config_.altEnvelopeCurve;
    setup.secondWaveformSet = config_.secondWaveformSet;
    setup.filterEnabled = config_.filterEnabled;
    setup.clock = static_cast<int>(config_.clockSpeed);
    audio_.setup = setup;
    emu::buildTables(machine_->envelope, setup.frequency, setup.altEnvelopeCurve);
    return true;
}

bool EmuEngine::setConfig(const EngineConfig& in) {
    bool ok = true;
    bool reinitSynth = false;
    bool rebuildAmplitude = false;
    bool rebuildFilter = false;
    EngineConfig& c = config_;

    if (validMemoryMode(in.memoryMode))
        c.memoryMode = in.memoryMode;  // used from the next song initialisation on
    else
        ok = false;

    if (in.clockSpeed == emu::Clock::Pal || in.clockSpeed == emu::Clock::Ntsc) {
        if (in.clockSpeed != c.clockSpeed) {
            c.clockSpeed = in.clockSpeed;
            reinitSynth = true;
        }
    } else {
        ok = false;
    }

    c.forceClock = in.forceClock;

    if (in.frequency >= 4000 && in.frequency <= 48000) {
        if (in.frequency != c.frequency) {
            c.frequency = in.frequency;
            reinitSynth = true;
            rebuildFilter = true;
        }
    } else {
        ok = false;
    }

    if (in.altEnvelopeCurve != c.altEnvelopeCurve) {
        c.altEnvelopeCurve = in.altEnvelopeCurve;
        reinitSynth = true;
    }

    if (in.sampleEncoding == 127 || in.sampleEncoding == 128) {
        if (in.sampleEncoding != c.sampleEncoding) {
            c.sampleEncoding = in.sampleEncoding;
            rebuildAmplitude = true;
        }
    } else {
        ok = false;
    }

    if (in.channels == 1 || in.channels == 2) {
        if (in.channels != c.channels) {
            c.channels = in.channels;
            applyDefaultVolumes();
            rebuildAmplitude = true;
        }
    } else {
        ok = false;
    }

    if (in.bitsPerSample == 8 || in.bitsPerSample == 16) {
        if (in.bitsPerSample != c.bitsPerSample) {
            c.bitsPerSample = in.bitsPerSample;
            rebuildAmplitude = true;
        }
    } else {
        ok = false;
    }

    if (validVolumeMode(in.volumeMode)) {
        if (in.volumeMode != c.volumeMode) {
            c.volumeMode = in.volumeMode;
            applyDefaultVolumes();
            rebuildAmplitude = true;
        }
    } else {
        ok = false;
    }

    if (in.panningMode == 4096 || in.panningMode == 80) {
        if (in.panningMode != c.panningMode) {
            c.panningMode = in.panningMode;
            // Auto-panning needs per-voice levels on both sides.
            if (c.panningMode == 80 && c.volumeMode != 65 && c.volumeMode != 67) {
                c.panningMode = 0;
                ok = false;
            }
            audio_.panningMode = c.panningMode;
            reinitSynth = true;
        }
    } else {
        ok = false;
    }

    if (in.filterEnabled != c.filterEnabled) {
        c.filterEnabled = in.filterEnabled;
        reinitSynth = true;
        rebuildAmplitude = true;
    }

    if (in.filterBase >= 1.0f && in.filterDivisor != 0.0f) {
        if (in.filterBase != c.filterBase || in.filterDivisor != c.filterDivisor ||
            in.filterOffset != c.filterOffset) {
            c.filterBase = in.filterBase;
            c.filterDivisor = in.filterDivisor;
            c.filterOffset = in.filterOffset;
            rebuildFilter = true;
        }
    } else {
        ok = false;
    }

    if (in.sampleScanCalls != c.sampleScanCalls) {
        c.sampleScanCalls = in.sampleScanCalls;
        rebuildAmplitude = true;
    }

    if (c.channels == 1 && (c.volumeMode == 67 || c.panningMode != 4096)) ok = false;

    if (in.secondWaveformSet != c.secondWaveformSet) {
        c.secondWaveformSet = in.secondWaveformSet;
        reinitSynth = true;
    }
    if (reinitSynth) {
        synthReady_ = initSynth();
        if (!synthReady_) ok = false;
    }

    amplitudeStale_ = amplitudeStale_ || rebuildAmplitude;
    filterStale_ = filterStale_ || rebuildFilter;
    return ok;
}

bool EmuEngine::setVoiceVolume(int voice, int left, int right, int total) {
    if (config_.volumeMode == 4096) return false;
    if (voice < 1 || voice > 4) return false;
    if (left < 0 || left > 255 || right < 0 || right > 255 || total < 0 || total > 256)
        return false;
    emu::VoiceLevels levels;
    levels.left = static_cast<std::uint8_t>(left);
    levels.right = static_cast<std::uint8_t>(config_.channels == 1 ? 0 : right);
    levels.total = static_cast<std::uint16_t>(total);
    audio_.setVoiceLevels(voice, levels);
    return true;
}

void EmuEngine::applyDefaultVolumes() {
    if (config_.channels == 1) {
        for (int v = 1; v <= 4; ++v) setVoiceVolume(v, 255, 0, 256);
    } else if (config_.volumeMode == 67) {
        for (int v = 1; v <= 4; ++v) setVoiceVolume(v, 255, 255, 256);
    } else {
        setVoiceVolume(1, 255, 0, 256);
        setVoiceVolume(2, 0, 255, 256);
        setVoiceVolume(3, 255, 0, 256);
        setVoiceVolume(4, 0, 255, 256);
    }
}

void EmuEngine::buildAmplitudeTables() {
    // Without samples the three voices may use a third of the range each.
    const bool noSamples = config_.sampleScanCalls != 0 && noActivity_;
    if (!audio_.amplitude.mix16) audio_.allocateAmplitudeTables();
    audio_.buildAmplitudeTables(config_.filterEnabled,
                                emu::mixDivisor(config_.volumeMode, config_.channels, noSamples));
    appliedNoActivity_ = noSamples;
    amplitudeStale_ = false;
}

void EmuEngine::buildFilterTables() {
    audio_.buildFilterTables(config_.filterBase, config_.filterDivisor, config_.filterOffset,
                             config_.frequency);
    filterStale_ = false;
}

bool EmuEngine::reset() {
    if (!ready_) return false;
    const bool scanning = config_.sampleScanCalls != 0;
    if ((scanning && noActivity_ != appliedNoActivity_) || (!scanning && appliedNoActivity_))
        amplitudeStale_ = true;
    machine_->resetVoices();
    machine_->resetSampleChannels();
    return true;
}

bool EmuEngine::initSong(SidTune& tune, std::uint16_t song) {
    initStopped_ = false;
    noActivity_ = false;
    scanPending_ = false;
    if (!initSongInner(tune, song)) return false;
    tune_ = &tune;
    song_ = song;
    // The scan plays the song by calls; only the audio path needs it.
    scanPending_ = config_.sampleScanCalls != 0 && !interruptDriven_;
    return true;
}

bool EmuEngine::noSampleActivity() {
    settleSampleScan();
    return noActivity_;
}

const emu::AudioPath& EmuEngine::audioPath() {
    settleSampleScan();
    if (amplitudeStale_) buildAmplitudeTables();
    if (filterStale_) buildFilterTables();
    return audio_;
}

void EmuEngine::settleSampleScan() {
    if (!scanPending_) return;
    scanPending_ = false;
    // Let the tune play for a while and watch whether it drives the sample
    // channels; the registers are compared once more after the last call so
    // that a tune starting its samples in that call is not missed.
    bool found = false;
    for (int call = 0;; ++call) {
        for (std::size_t i = 0; i < std::size(kMonitoredRegisters); ++i) {
            if (machine_->io[kMonitoredRegisters[i]] != monitored_[i]) found = true;
        }
        if (found || call >= config_.sampleScanCalls) break;
        playCall();
    }
    noActivity_ = !found;
    // The scan played the song: start it again from its initialisation.
    const bool stopped = initStopped_;
    if (!initSongInner(*tune_, song_)) songReady_ = false;
    initStopped_ = initStopped_ || stopped;
}

bool EmuEngine::initSongInner(SidTune& tune, std::uint16_t song) {
    if (!ready_ || !tune.status()) return false;
    songReady_ = false;
    interruptDriven_ = false;

    const std::uint16_t selected = tune.selectSong(song);
    const std::uint8_t songIndex = static_cast<std::uint8_t>(selected > 0 ? selected - 1 : 0);
    SidTuneInfo info = tune.getInfo();

    emu::Clock clock = info.songClock == kClockNtsc ? emu::Clock::Ntsc : emu::Clock::Pal;
    if (config_.forceClock || (info.songClock != kClockPal && info.songClock != kClockNtsc)) {
        // "Either" and "not stated" both run at the engine's own clock.
        clock = config_.clockSpeed;
    }
    if (info.interruptDriven) return initMachineSong(tune, info, clock, songIndex);
    const bool cia = info.songSpeed == kSpeedCia;
    int speed;
    const char* speedText;
    if (clock == emu::Clock::Ntsc) {
        speed = 60;
        speedText = cia ? kSpeedTextCiaNtsc : kSpeedTextVbiNtsc;
    } else {
        speed = cia ? 60 : 50;
        speedText = cia ? kSpeedTextCiaPal : kSpeedTextVbiPal;
    }

    emu::C64& m = *machine_;
    audio_.setup.clock = static_cast<int>(clock);
    m.setupTiming(clock, speed, config_.frequency);
    tune.setSongTiming(static_cast<std::uint8_t>(speed),
                       static_cast<std::uint8_t>(clock == emu::Clock::Ntsc ? kClockNtsc : kClockPal),
                       speedText);

    resetMemoryModel(m, config_.memoryMode, clock);
    if (!tune.placeInC64Memory(m.ram)) return false;
    m.placeExtraSids(info.sid2Address, info.sid3Address);
    if (info.usesVudidazerPlayer) {
        if (!tune.installVudidazerPlayer(m.ram)) return false;
        info = tune.getInfo();  // the player brings its own entry points
    }

    if (!reset()) return false;

    if (config_.sampleScanCalls != 0) {
        for (std::size_t i = 0; i < std::size(kMonitoredRegisters); ++i)
            monitored_[i] = m.io[kMonitoredRegisters[i]];
    }

    const emu::RunResult init =
        m.runRoutine(info.initAddress, m.bankValueFor(info.initAddress), songIndex, songIndex,
                     songIndex, emu::kInitBudget);
    if (init == emu::RunResult::Stopped) initStopped_ = true;
    // A CIA-timed song plays at the rate its init routine set the timer to.
    m.setupTiming(clock, speed, config_.frequency);

    playAddress_ = info.playAddress;
    m.playBank = m.bankValueFor(playAddress_);
    tune.setIrqAddress(playAddress_ == 0 ? interruptVector(m, m.ram[1]) : 0);
    songReady_ = true;
    return true;
}

bool EmuEngine::initMachineSong(SidTune& tune, const SidTuneInfo& info, emu::Clock clock,
                                std::uint8_t songIndex) {
    emu::C64& m = *machine_;
    const bool ntsc = clock == emu::Clock::Ntsc;
    audio_.setup.clock = static_cast<int>(clock);
    m.setupTiming(clock, 50, config_.frequency);
    tune.setSongTiming(kSpeedVbi, ntsc ? kClockNtsc : kClockPal, ntsc ? kSpeedTextOwnNtsc : kSpeedTextOwnPal);
    m.resetMachine(clock);
    // The data goes straight into RAM, under the ROMs and I/O too.
    if (!tune.placeInC64Memory(m.ram)) return false;
    m.markTuneData(info.loadAddress, info.c64DataLength);
    m.placeExtraSids(info.sid2Address, info.sid3Address);
    if (!reset()) return false;
    m.enterTune(info.initAddress, songIndex);
    playAddress_ = 0;
    tune.setIrqAddress(0);
    interruptDriven_ = true;
    songReady_ = true;
    return true;
}

emu::RunResult EmuEngine::playCall() {
    if (!songReady_ || interruptDriven_) return emu::RunResult::Returned;
    emu::C64& m = *machine_;
    const std::uint32_t budget = emu::playBudget(m.timing.cyclesPerCall);
    if (playAddress_ != 0) return m.runRoutine(playAddress_, m.playBank, 0, 0, 0, budget);
    const std::uint8_t bank = m.ram[1];
    m.playBank = bank;
    return m.runRoutine(interruptVector(m, bank), bank, 0, 0, 0, budget);
}

} // namespace notecast
