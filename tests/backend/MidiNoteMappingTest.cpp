// How voice frames become notes, bends and controllers. The expected bodies
// list the events of one moment on one line.
#include "backend/MidiWriterRun.h"

namespace notecast::test {
namespace {

constexpr std::uint32_t kA4 = 7492;   // table note 57, MIDI 69 (0x45)
constexpr std::uint32_t kA3 = 3746;   // table note 45, MIDI 57 (0x39)

TEST(MidiNoteMappingTest, NoiseRulesDropDrumsAndDelayNoiseBursts) {
    auto drum = [](std::int32_t noiseLevel, std::vector<std::uint8_t> waveforms) {
        MidiWriterRun run;
        run.settings.noiseLevel = noiseLevel;
        run.instrument.waveforms = waveforms;
        run.instrument.length = static_cast<std::uint32_t>(waveforms.size());
        run.instrument.hasNoise = true;
        run.instrument.endsWithNoise = waveforms.back() == 0x80;
        run.instrument.noiseCount = 1;
        run.instrument.distinctCount = 2;
        run.open();
        run.writer->setInstrument(1, 0, Instrument{});
        run.writer->voiceGateOn(run.at(0).set(1, kA3), 1);  // anchors tick 0
        run.gateOn(0, kA4, 0x81);
        run.at(20).held(0, kA4, 0x81);
        run.at(40).held(0, kA4, 0x41);
        return run.finishBody(60);
    };
    const std::string anchor = "00 | E1 00 40\n00 | 91 39 7F\n";
    // A noise burst before the tone: the note starts with the tone.
    EXPECT_EQ(drum(0, {0x80, 0x40}), anchor + "08 | E0 00 40\n00 | 90 45 7F\n"
                                              "04 | 80 45 7F\n00 | 81 39 7F\n00 | FF 2F 00\n");
    // Ending in noise: a drum, not played.
    EXPECT_EQ(drum(1, {0x40, 0x80}), anchor + "0C | 81 39 7F\n00 | FF 2F 00\n");
    // From noise level 2 on every noise instrument plays at its gate.
    EXPECT_EQ(drum(2, {0x80, 0x40}), anchor + "00 | E0 00 40\n00 | 90 45 7F\n"
                                              "0C | 80 45 7F\n00 | 81 39 7F\n00 | FF 2F 00\n");
}

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
