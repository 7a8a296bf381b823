// Whole conversions, byte for byte: the example tune and tunes of the shared
// collection, converted with option sets that reach every writer feature,
// against the listings in tests/golden (a MIDI file as its event listing, a
// text dump as it is). A conversion must not change unnoticed; when one
// changes on purpose, run the test with NOTECAST_UPDATE_GOLDEN=1 and review
// the difference of the listings.
#include "convert/Converter.h"
#include "frontend/CommandLine.h"
#include "frontend/Options.h"
#include "support/MidiListing.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <sstream>

namespace notecast {
namespace {

namespace fs = std::filesystem;

struct Golden {
    const char* name;
    const char* tune;     // below the project ("examples/...") or the shared test data
    const char* options;  // as on the command line
};

void PrintTo(const Golden& g, std::ostream* out) { *out << g.name; }

const Golden kGoldens[] = {
    {"lighthouse-midi", "examples/lighthouse_run.sid", "-t10"},
    {"lighthouse-midi-env-noise3-x1", "examples/lighthouse_run.sid", "-t10 -env -noise3 -x1"},
    {"lighthouse-midi-p2n-if2", "examples/lighthouse_run.sid", "-t10 -p2n -pt3 -if2 -ps24 -ppq96 -sc1.5 -m3"},
    {"lighthouse-midi-bpm-ntsc-noise2", "examples/lighthouse_run.sid", "-t10 -bpm130 -n -noise2 -if"},
    {"lighthouse-text-env-an-eng", "examples/lighthouse_run.sid", "-t10 -2txt -env -an -eng"},
    {"lighthouse-song2-text-cake-ifdisp", "examples/lighthouse_run.sid", "-o2 -t5 -2txt -cake -ifdisp -p2n2"},
    {"commando-midi-env-noise3", "psid/Commando.sid", "-t10 -env -noise3"},
    {"cybernoid2-midi-noise1-p2n", "psid/Cybernoid_II.sid", "-t10 -noise1 -p2n"},
    {"digihits-midi-sam", "psid/C_C_S_Digihits.sid", "-t10 -sam -env"},
    {"last-ninja-text-env-sam", "psid/Last_Ninja.sid", "-t10 -2txt -env -sam"},
    {"12-speed-text", "psid/12-speed_tune.sid", "-t1 -2txt"},
    {"sheep-graze-midi-env", "mus/SHEEP.GRAZE.MUS", "-t10 -env"},
};

// What the file says, in the form kept in tests/golden.
std::string listing(const fs::path& file, bool midi) {
    if (midi) return test::joinLines(test::midiListing(file));
    const auto bytes = test::readFile(file);
    return std::string(bytes.begin(), bytes.end());
}

class GoldenConversion : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenConversion, MatchesItsListing) {
    const Golden& g = GetParam();
    const std::string where = g.tune;
    const fs::path tunePath = where.starts_with("examples/") ? fs::path(NOTECAST_SOURCE_DIR) / where
                                                               : test::sharedFile(where);
    NOTECAST_REQUIRE_SHARED(tunePath);
    std::vector<std::string> words = {"notecast"};
    std::istringstream options(g.options);
    for (std::string word; options >> word;) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    const RunOptions run = readOptions(CommandLine(static_cast<int>(argv.size()), argv.data()));

    SidTune tune(tunePath.string().c_str());
    ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
    const fs::path out = test::scratchDir(std::string("golden-") + g.name) / "out";
    Converter converter;
    converter.configure(run.settings);
    converter.initSong(tune, static_cast<std::uint16_t>(run.songNumber ? run.songNumber : tune.getInfo().startSong));
    converter.run(out.string(), true, nullptr);

    test::expectGolden(g.name, listing(out, run.settings.outputMode == OutputMode::Midi));
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenConversion, ::testing::ValuesIn(kGoldens), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

} // namespace
} // namespace notecast
