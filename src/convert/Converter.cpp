#include "convert/Converter.h"

#include "backend/FramePair.h"
#include "backend/MidiFileWriter.h"
#include "backend/PianoRollWriter.h"
#include "backend/TextDumpWriter.h"
#include "convert/FrameCapture.h"
#include "convert/FrameReplay.h"
#include "convert/NoteCues.h"
#include "convert/MachineCapture.h"
#include "convert/NoteTracker.h"
#include "tune/SidTune.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>

namespace notecast {

namespace {

constexpr int kAllocationAttempts = 16;

// MUS tunes have no title of their own; their first text line stands in.
std::string tuneTitle(const SidTuneInfo& info) {
    if (info.titleText != nullptr) return info.titleText;
    if (info.infoLineCount > 0 && info.infoLines[0] != nullptr) return info.infoLines[0];
    return {};
}

bool fileExists(const std::string& name) {
    std::error_code ec;
    return std::filesystem::exists(name, ec);
}

TuneCaption caption(const SidTuneInfo& info, std::uint32_t seconds) {
    return {tuneTitle(info), info.authorText != nullptr ? info.authorText : "", info.currentSong,
            info.songCount, seconds};
}

} // namespace

struct Converter::State {
    NoteTracker tracker;
    ChannelMap channels;
    std::deque<FrameSnapshot> frames;
};

Converter::Converter() : state_(std::make_unique<State>()) {}

Converter::~Converter() {
    backEnd_.reset();
    state_->tracker.reset();
}

void Converter::configure(const ConverterSettings& settings) {
    settings_ = settings;
    if (!engine_.ready()) throw BackEnd::Error{0, "EmuEngine: Not enough memory!"};
    EngineConfig config = engine_.getConfig();
    config.memoryMode = emu::MemoryMode::BankSwitching;
    config.frequency = 44100;
    if (settings_.ntscClock) {
        config.clockSpeed = emu::Clock::Ntsc;
        config.forceClock = true;
    }
    if (!engine_.setConfig(config)) throw BackEnd::Error{1, "EmuEngine: Configuration error!"};
}

void Converter::initSong(SidTune& tune, int song) {
    tune_ = &tune;
    // Song numbers are 16 bits wide in the tune; a larger one must not wrap
    // round to a small song but count as too high, like any song beyond the
    // tune.
    const auto selected = static_cast<std::uint16_t>(std::clamp(song, 0, 0xFFFF));
    if (!engine_.initSong(tune, selected))
        throw BackEnd::Error{1, "EmuEngine: Emulator engine components not ready!"};
}

void Converter::run(const std::string& outputName, bool overwriteAllowed, ProgressSink* progress) {
    // The writers and the replay follow every SID chip the song has.
    ConverterSettings settings = settings_;
    settings.sidChips = engine_.machine().sidChips;
    backEnd_.reset();
    if (settings.outputMode == OutputMode::Text)
        backEnd_ = std::make_unique<TextDumpWriter>(settings);
    else
        backEnd_ = std::make_unique<MidiFileWriter>(settings, state_->channels);

    // With -svg a picture goes beside the output, drawn by a writer of its
    // own from the same frames.
    const std::string pictureName = settings.pianoRoll ? pictureFileName(outputName) : std::string();
    if (!overwriteAllowed && fileExists(outputName))
        throw BackEnd::Error{2, "File already exists: " + outputName};
    if (!overwriteAllowed && !pictureName.empty() && fileExists(pictureName))
        throw BackEnd::Error{2, "File already exists: " + pictureName};
    if (tune_ == nullptr)
        throw BackEnd::Error{1, "EmuEngine: Emulator engine components not ready!"};
    const SidTuneInfo info = tune_->getInfo();
    if (!backEnd_->open(outputName, tuneTitle(info)))
        throw BackEnd::Error{3, "Could not create file: " + outputName};
    std::unique_ptr<BackEnd> picture;
    std::optional<FramePair> both;
    if (!pictureName.empty()) {
        picture = std::make_unique<PianoRollWriter>(settings, state_->channels,
                                                    caption(info, settings.playSeconds));
        if (!picture->open(pictureName, tuneTitle(info)))
            throw BackEnd::Error{3, "Could not create file: " + pictureName};
        both.emplace(*backEnd_, *picture);
    }
    FrameSink& out = both ? static_cast<FrameSink&>(*both) : *backEnd_;

    ProgressSink silent;
    ProgressSink& sink = progress != nullptr ? *progress : silent;
    const std::uint32_t playSeconds = settings.playSeconds;
    sink.begin(2 * playSeconds);

    State& s = *state_;
    emu::C64& m = engine_.machine();
    m.sampleEvent = 0;
    m.sampleEventReported = false;
    s.tracker.reset();
    s.frames.clear();
    stoppedPlayCalls_ = 0;

    // Capture pass.
    FrameClock& clock = backEnd_->clock();
    std::uint32_t reported = 0;
    const auto report = [&] {
        if (clock.seconds != reported) {
            reported = clock.seconds;
            sink.update(clock.totalSeconds());
        }
    };
    machineWarnings_.clear();
    if (engine_.interruptDriven()) {
        MachineCapture capture(engine_, s.tracker, s.frames, playSeconds);
        while (capture.step(clock)) report();
        machineWarnings_ = capture.warnings();
    } else {
        FrameCapture capture(engine_, s.tracker, s.frames, info.songSpeed == kSpeedCia);
        while (clock.totalSeconds() < playSeconds) {
            capture.step(clock);
            report();
        }
        stoppedPlayCalls_ = capture.stoppedCalls();
    }
    for (int v = 0; v < settings.voices(); ++v) s.tracker.endNote(v);
    countNoiseNotes(s.tracker.instruments());

    // Between the passes: channels for the instruments, fresh SID voices.
    for (int attempt = 0; attempt < kAllocationAttempts; ++attempt) {
        if (NoteTracker::allocateChannels(s.tracker.instruments(), attempt, settings.noiseLevel,
                                          s.channels))
            break;
    }
    engine_.reset();

    // What the MIDI writer cannot see as it goes: the frames ahead of each
    // note (the DAW options).
    std::vector<FrameCues> cues;
    if ((settings.outputMode == OutputMode::Midi || settings.pianoRoll) && settings.wantsNoteCues())
        cues = findNoteCues(s.frames, settings);

    // Replay pass.
    FrameReplay replay(out, m, settings, s.tracker.instruments());
    reported = 0;
    std::size_t index = 0;
    for (const FrameSnapshot& frame : s.frames) {
        replay.step(frame, cues.empty() ? nullptr : &cues[index++]);
        if (clock.seconds != reported) {
            reported = clock.seconds;
            sink.update(playSeconds + clock.totalSeconds());
        }
    }

    const bool written = backEnd_->close();
    const bool drawn = picture == nullptr || picture->close();
    s.frames.clear();
    s.frames.shrink_to_fit();
    // A file that could not be written out whole is no result: report it
    // like a file that could not be created.
    if (!written) throw BackEnd::Error{3, "Could not create file: " + outputName};
    if (!drawn) throw BackEnd::Error{3, "Could not create file: " + pictureName};
    sink.end();
}

void Converter::countNoiseNotes(const std::vector<Instrument>& instruments) {
    noiseNotes_ = {};
    // Only the default noise level leaves out every note of a sound with
    // noise (none of them gets a channel); only MIDI files lose notes.
    if (settings_.outputMode != OutputMode::Midi || settings_.noiseLevel != 0) return;
    for (const Instrument& instrument : instruments) {
        noiseNotes_.total += instrument.useCount;
        if (instrument.hasNoise) noiseNotes_.leftOut += instrument.useCount;
    }
}

void Converter::getWarnings(std::string& text) {
    if (backEnd_)
        backEnd_->getWarnings(text);
    else
        text.clear();
}

} // namespace notecast
