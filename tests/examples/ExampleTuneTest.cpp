// The bundled example tune, converted end to end: the text table must show
// what its source plays (arpeggio, vibrato, gate-offs, notes that run into the
// next one, the CIA-timed song), and the MIDI file must carry the instruments,
// the drums, the bends and a tempo of its own.
#include "convert/Converter.h"
#include "support/MidiListing.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace notecast {
namespace {

namespace fs = std::filesystem;

const fs::path kTune = fs::path(NOTECAST_SOURCE_DIR) / "examples" / "lighthouse_run.sid";

// Converts one song of the example; returns where the file was written.
fs::path convert(int song, ConverterSettings settings, const std::string& name) {
    SidTune tune(kTune.string().c_str());
    EXPECT_TRUE(tune.status()) << tune.getInfo().statusText;
    const fs::path output = test::scratchDir("example") / name;
    Converter converter;
    converter.configure(settings);
    converter.initSong(tune, song);
    converter.run(output.string(), true, nullptr);
    EXPECT_FALSE(converter.initStopped());
    EXPECT_EQ(converter.stoppedPlayCalls(), 0u);
    return output;
}

ConverterSettings textDump(std::uint32_t seconds) {
    ConverterSettings settings;
    settings.outputMode = OutputMode::Text;
    settings.envelopeEmulation = true;
    settings.playSeconds = seconds;
    return settings;
}

// The text table as time stamp -> frame line.
std::map<std::string, std::string> frames(const fs::path& path) {
    const std::vector<std::uint8_t> file = test::readFile(path);
    std::istringstream text(std::string(file.begin(), file.end()));
    std::map<std::string, std::string> lines;
    for (std::string line; std::getline(text, line);) {
        if (line.size() > 10 && line[2] == ':' && line[5] == '.') lines[line.substr(0, 8)] = line;
    }
    return lines;
}

// One voice's 28 columns of a frame line: note, Hz, pulse width, waveform,
// ADSR, envelope level.
struct VoiceColumns {
    std::string note;
    int hertz;
    std::string level;
};

VoiceColumns voice(const std::map<std::string, std::string>& lines, const std::string& time, int v) {
    const auto found = lines.find(time);
    if (found == lines.end() || found->second.size() < 10u + 28u * (v + 1)) {
        ADD_FAILURE() << "no frame line at " << time;
        return {};
    }
    const std::string group = found->second.substr(10 + 28 * v, 28);
    return {group.substr(0, 6), std::stoi(group.substr(6, 4)), group.substr(24, 2)};
}

TEST(ExampleTuneText, ArpeggioCyclesThroughTheMinorChordEveryFrame) {
    const auto lines = frames(convert(1, textDump(2), "arpeggio.txt"));
    EXPECT_EQ(voice(lines, "00:00.00", 1).note, ">A-3< ");
    const char* const times[] = {"00:00.00", "00:00.02", "00:00.04", "00:00.06", "00:00.08", "00:00.10"};
    std::vector<int> hertz;
    for (const char* time : times) hertz.push_back(voice(lines, time, 1).hertz);
    EXPECT_EQ(hertz, (std::vector<int>{220, 261, 329, 220, 261, 329}));  // A C E A C E
    EXPECT_EQ(voice(lines, "00:00.02", 1).note, " +++  ");
}

TEST(ExampleTuneText, LeadVibratoBeginsAfterItsDelay) {
    // The quarter note D-5 that starts at 8.64 s: steady for 18 frames, then
    // a vibrato of about a third of a semitone.
    const auto lines = frames(convert(1, textDump(10), "vibrato.txt"));
    EXPECT_EQ(voice(lines, "00:08.64", 1).note, ">D-5< ");
    const char* const times[] = {"00:08.98", "00:09.00", "00:09.02", "00:09.04",
                                 "00:09.06", "00:09.08", "00:09.10"};
    std::vector<int> hertz;
    for (const char* time : times) hertz.push_back(voice(lines, time, 1).hertz);
    EXPECT_EQ(hertz, (std::vector<int>{587, 587, 591, 596, 600, 596, 591}));
}

TEST(ExampleTuneText, BassGatesOffBeforeItsNotesExceptHeldOnes) {
    const auto lines = frames(convert(1, textDump(2), "gates.txt"));
    // An ordinary note: released in its last two frames.
    EXPECT_EQ(voice(lines, "00:00.20", 0).level, "aa");  // sustain
    EXPECT_LT(voice(lines, "00:00.22", 0).level, "aa");  // two hex digits compare as numbers
    EXPECT_EQ(voice(lines, "00:00.24", 0).note, ">A-1< ");
    // A held note runs into the next one: the gate is cleared and set in the
    // same play call, so the next note starts from the sustain level.
    EXPECT_EQ(voice(lines, "00:01.18", 0).level, "aa");
    EXPECT_EQ(voice(lines, "00:01.20", 0).note, ">A-2< ");
    EXPECT_EQ(voice(lines, "00:01.20", 0).level, "aa");
}

TEST(ExampleTuneText, SecondSongRunsFromTheCiaTimerAtDoubleSpeed) {
    // One frame line per hundredth of a second (the timer counts 9852 cycles).
    const auto lines = frames(convert(2, textDump(1), "cia.txt"));
    for (int hundredth = 0; hundredth < 100; ++hundredth) {
        const std::string time = (hundredth < 10 ? "00:00.0" : "00:00.") + std::to_string(hundredth);
        EXPECT_EQ(lines.count(time), 1u) << time;
    }
    EXPECT_EQ(voice(lines, "00:00.00", 0).note, ">D-2< ");
    EXPECT_EQ(voice(lines, "00:00.00", 1).note, ">A-4< ");
}

// What a MIDI file holds, as far as the checks below need it: its listing
// (every event a line, "delta | status data"), Note Ons and bends per channel.
struct MidiSummary {
    std::vector<std::string> listing;
    std::map<int, int> notesPerChannel, bendsPerChannel;
    bool has(const std::string& line) const { return std::find(listing.begin(), listing.end(), line) != listing.end(); }
};

MidiSummary summarise(const fs::path& file) {
    MidiSummary midi{test::midiListing(file), {}, {}};
    for (const std::string& line : midi.listing) {
        EXPECT_FALSE(line.starts_with("BAD")) << line;
        const std::size_t at = line.find(" | ");
        if (at == std::string::npos || line.size() < at + 5) continue;
        const int channel = std::stoi(line.substr(at + 4, 1), nullptr, 16);
        if (line[at + 3] == '9' && !line.ends_with(" 00")) ++midi.notesPerChannel[channel];
        if (line[at + 3] == 'E') ++midi.bendsPerChannel[channel];
    }
    return midi;
}

TEST(ExampleTuneMidi, InstrumentsAndDrumsGetChannelsOfTheirOwn) {
    ConverterSettings settings;
    settings.noiseLevel = 3;
    settings.envelopeEmulation = true;
    settings.playSeconds = 30;
    const MidiSummary midi = summarise(convert(1, settings, "song1.mid"));
    EXPECT_TRUE(midi.has("00 | FF 03 0E \"Lighthouse Run\""));
    // Bass, lead, arpeggio, kick, snare, and the hi-hat on the drum channel.
    std::set<int> channels;
    for (const auto& [channel, notes] : midi.notesPerChannel) channels.insert(channel);
    EXPECT_EQ(channels, (std::set<int>{0, 1, 2, 3, 4, 9}));
    // 125 beats per minute: eighth notes of 12 frames at 50 frames a second.
    EXPECT_TRUE(midi.has("00 | FF 51 03 07 53 00"));  // 480000 microseconds a quarter
    // The lead's vibrato and slides are bends on its own channel.
    ASSERT_EQ(midi.bendsPerChannel.count(1), 1u);
    EXPECT_GT(midi.bendsPerChannel.at(1), 300);
}

TEST(ExampleTuneMidi, WithoutNoiseMappingTheDrumsAreLeftOut) {
    ConverterSettings settings;
    settings.playSeconds = 10;
    const MidiSummary midi = summarise(convert(1, settings, "nodrums.mid"));
    std::set<int> channels;
    for (const auto& [channel, notes] : midi.notesPerChannel) channels.insert(channel);
    EXPECT_EQ(channels, (std::set<int>{0, 1, 2}));
}

} // namespace
} // namespace notecast
