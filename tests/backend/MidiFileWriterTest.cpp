// File layout of the MIDI writer: header, fixed meta events, channel set-up,
// the end of the track, option values that must still give a valid file.
#include "backend/MidiWriterRun.h"

#include "Version.h"

namespace notecast::test {
namespace {

constexpr std::uint32_t kA4 = 7492;   // table note 57, MIDI 69 (0x45)
constexpr std::uint32_t kA3 = 3746;   // table note 45, MIDI 57 (0x39)
constexpr std::uint32_t kC5 = 8910;   // table note 60, MIDI 72 (0x48)

const std::string kFixedEvents = "00 | FF 03 09 \"Test Tune\"\n00 | FF 01 1C \"Converted by NOTECAST " NOTECAST_VERSION
                                 "\"\n00 | FF 51 03 09 27 C0\n00 | FF 58 04 04 02 18 08\n";

TEST(MidiFileWriterTest, TuneWithoutNotesHasOnlyTheFixedEventsAndThePlayingTime) {
    MidiWriterRun run;
    run.settings.autoTempo = true;
    run.open();
    EXPECT_EQ(joinLines(run.finish(10000)),
              "MThd 00 00 00 06 00 00 00 01 00 78\nMTrk 00 00 00 41\n" + kFixedEvents +
                  "8F 50 | FF 2F 00\n");  // 10 s from time 0: 2000 ticks
}

TEST(MidiFileWriterTest, NotesStillSoundingEndAtTheEndChannelByChannel) {
    MidiWriterRun run;
    run.channels.set(0, 0, 3);
    run.channels.set(1, 0, 1);
    run.channels.set(2, 0, 3);  // shares channel 3 with voice 0
    run.open();
    run.at(0).gateOn(0, kA4);
    run.at(100).gateOn(1, kA3);
    run.at(200).gateOn(2, kC5);
    EXPECT_EQ(run.finishBody(500),
              "00 | E3 00 40\n00 | 93 45 7F\n"
              "14 | E1 00 40\n00 | 91 39 7F\n"
              "14 | 93 48 7F\n"
              "3C | 81 39 7F\n00 | 83 45 7F\n00 | 83 48 7F\n00 | FF 2F 00\n");
}

TEST(MidiFileWriterTest, LongTitlesAndOutOfRangeOptionsStillGiveAValidFile) {
    MidiWriterRun run;
    run.settings.pulsesPerQuarter = 0;   // no time base: one tick per quarter
    run.settings.pitchBendRange = 200;   // one data byte: 127 semitones
    run.settings.tempoBpm = 0.0f;        // slowest tempo the three bytes hold
    run.open(std::string(200, 'x'));
    run.at(0).gateOn(0, 7600);
    const auto listing = run.finish(1000);
    for (const auto& line : listing) EXPECT_FALSE(line.starts_with("BAD")) << line;
    EXPECT_EQ(listing[0], "MThd 00 00 00 06 00 00 00 01 00 01");
    EXPECT_EQ(listing[2], "00 | FF 03 7F \"" + std::string(127, 'x') + "\"");
    EXPECT_EQ(listing[4], "00 | FF 51 03 FE 50 2B");
    EXPECT_EQ(listing[9], "00 | B0 06 7F");
    const auto body = midiBody(listing);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body[0], "00 | E0 0F 40");  // the detune measured in 127 semitones
}

TEST(MidiFileWriterTest, WarningsCountBendsThatCouldNotBeSent) {
    MidiWriterRun run;
    run.settings.pitchBendRange = 1;
    auto& writer = run.open();
    std::string text;
    writer.getWarnings(text);
    EXPECT_EQ(text, "Warnings:\nPitch exceeded range  : 0 times.\n");
    run.at(0).gateOn(0, kA4);
    // More than a semitone above, three times.
    for (std::uint32_t ms = 20; ms <= 60; ms += 20) run.at(ms).held(0, 8000);
    run.finish(80);
    writer.getWarnings(text);
    EXPECT_EQ(text, "Warnings:\nPitch exceeded range  : 3 times.\n");
}

} // namespace
} // namespace notecast::test
