// Sample notes in the MIDI file, which no register tune can play: note 76 on
// the sample channel, also before the first voice note. The expected bodies
// list the events of one moment on one line. (The other voice rules are
// checked through register tunes and the golden conversions.)
#include "backend/MidiWriterRun.h"

namespace notecast::test {
namespace {

constexpr std::uint32_t kA4 = 7492;   // table note 57, MIDI 69 (0x45)

TEST(MidiNoteMappingTest, SampleNotesPlayMidiNote76OnTheSampleChannel) {
    MidiWriterRun run;
    run.open();
    run.at(0).sampleOn(10, 300);
    run.at(100).sampleOn(10, 280);
    run.at(200).sampleOff(10);
    run.at(220).sampleOff(10);
    const auto listing = run.finish(300);
    EXPECT_EQ(joinLines(std::vector<std::string>(listing.begin() + 6, listing.end())),
              "00 | 9A 4C 7F\n"
              "14 | 8A 4C 7F\n00 | 9A 4C 7F\n"
              "14 | 8A 4C 7F\n"
              "14 | FF 2F 00\n");

    // A sample before the first voice note lies before tick 0.
    MidiWriterRun early;
    early.open();
    early.at(100).sampleOn(10, 300);
    early.at(500).gateOn(0, kA4);
    EXPECT_EQ(early.finishBody(600), "00 | 9A 4C 7F\n00 | E0 00 40\n00 | 90 45 7F\n"
                                     "14 | 80 45 7F\n00 | 8A 4C 7F\n00 | FF 2F 00\n");
}

} // namespace
} // namespace notecast::test
