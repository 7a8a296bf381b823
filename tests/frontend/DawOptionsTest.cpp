// The DAW options on the command line: each sets its own setting only, and
// -daw sets all of them with -env. (That no option is taken for another by a
// prefix or value test is checked for every known option in KnownOptionsTest.)
#include "frontend/CommandLine.h"
#include "frontend/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace notecast {
namespace {

RunOptions parse(std::vector<std::string> args) {
    args.insert(args.begin(), "notecast");
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    return readOptions(CommandLine(static_cast<int>(pointers.size()), pointers.data()));
}

// The DAW settings, in the order of the option names below.
std::vector<bool> dawPart(const ConverterSettings& s) {
    return {s.trackPerChannel, s.generalMidiSounds, s.drumKit,         s.clickPitch,
            s.splitNotes,      s.tempoFromAllChannels, s.envelopeVelocity};
}
const std::vector<std::string> kDawOptions = {"-tracks", "-gm", "-kit", "-click", "-split", "-beat", "-vel"};

// Everything the options before them decide.
auto classicPart(const RunOptions& r) {
    const ConverterSettings& s = r.settings;
    return std::make_tuple(r.verbose, r.songNumber, r.outputInWorkingDirectory, r.inputFile, s.alwaysShowNotes,
                           s.englishNotes, s.hideFrequency, s.timeFormat, s.outputMode, s.pitchBendRange,
                           s.autoTempo, s.tempoBpm, s.pulsesPerQuarter, s.frequencyChangeLimit,
                           s.pitchChangeNotes, s.speedScale, s.ntscClock, s.envelopeEmulation,
                           s.captureSamples, s.sampleChannel, s.pitchThreshold, s.playSeconds,
                           s.muteVoice, s.extraControllers, s.noiseLevel);
}

TEST(DawOptions, EachOptionSetsItsOwnPartAndDawSetsAllWithEnvelopes) {
    const RunOptions plain = parse({"in.sid"});
    for (std::size_t i = 0; i < kDawOptions.size(); ++i) {
        const RunOptions r = parse({kDawOptions[i], "in.sid"});
        std::vector<bool> expected(kDawOptions.size(), false);
        expected[i] = true;
        EXPECT_EQ(dawPart(r.settings), expected) << kDawOptions[i];
        RunOptions withNoise = plain;
        // The click needs the sounds with noise played, the kit the drum
        // channel as well.
        withNoise.settings.noiseLevel = kDawOptions[i] == "-kit" ? 3 : kDawOptions[i] == "-click" ? 2 : 0;
        EXPECT_EQ(classicPart(r), classicPart(withNoise)) << kDawOptions[i];
    }

    const ConverterSettings daw = parse({"-daw", "in.sid"}).settings;
    EXPECT_EQ(dawPart(daw), std::vector<bool>(kDawOptions.size(), true));
    EXPECT_TRUE(daw.envelopeEmulation);
    EXPECT_EQ(daw.noiseLevel, 3);
    EXPECT_EQ(daw.bendRangeInUse(), 12);
    // A higher noise level given with it stays; a smaller bend range too.
    EXPECT_EQ(parse({"-noise5", "-daw"}).settings.noiseLevel, 5);
    EXPECT_EQ(parse({"-ps2", "-daw"}).settings.bendRangeInUse(), 2);
}

} // namespace
} // namespace notecast
