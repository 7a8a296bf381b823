// Whole conversions of 90 seconds of real tunes, as the program runs them:
// song initialisation, capture pass, channel allocation and replay into the
// text dump (with and without the envelope emulation) or the MIDI file
// (the classic one, and the DAW-ready one of -daw).
#include "convert/Converter.h"
#include "SharedTune.h"
#include "tune/SidTune.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace notecast;

enum Output { kText, kTextWithEnvelopes, kMidi, kMidiDaw };

void BM_Convert90Seconds(benchmark::State& state, const char* file, Output output) {
    const auto loaded = loadSharedTune(state, file);
    if (!loaded) return;
    SidTune& tune = *loaded;
    ConverterSettings settings;
    settings.playSeconds = 90;
    settings.outputMode = output >= kMidi ? OutputMode::Midi : OutputMode::Text;
    settings.envelopeEmulation = output == kTextWithEnvelopes;
    if (output == kMidiDaw) {
        // What -daw sets.
        settings.envelopeEmulation = true;
        settings.trackPerChannel = settings.generalMidiSounds = settings.drumKit = true;
        settings.clickPitch = settings.splitNotes = true;
        settings.tempoFromAllChannels = settings.envelopeVelocity = true;
        settings.noiseLevel = 3;
    }
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("notecast-bench-" + std::to_string(output) + ".out"))
                                .string();
    for (auto _ : state) {
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, tune.getInfo().startSong);
        converter.run(out, true, nullptr);
    }
    std::error_code ec;
    std::filesystem::remove(out, ec);
}

BENCHMARK_CAPTURE(BM_Convert90Seconds, Commando_text, "Commando.sid", kText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Commando_text_env, "Commando.sid", kTextWithEnvelopes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Commando_midi, "Commando.sid", kMidi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Commando_midi_daw, "Commando.sid", kMidiDaw)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Last_Ninja_text, "Last_Ninja.sid", kText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Last_Ninja_text_env, "Last_Ninja.sid", kTextWithEnvelopes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Last_Ninja_midi, "Last_Ninja.sid", kMidi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert90Seconds, Last_Ninja_midi_daw, "Last_Ninja.sid", kMidiDaw)->Unit(benchmark::kMillisecond);

} // namespace
