// The player against the note decoder on the real songs: every note that the
// streams say opens the gate does so in the player's frames at the same
// jiffy, on the same voice, at the note table frequency of its semitone.
#include "convert/MusNoteDecoder.h"
#include "convert/MusPlayerRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace notecast::test {
namespace {

constexpr double kPalClock = 985248.0;

// Frames that fall within the first `seconds` of playing time, each frame
// lasting one timer period.
int framesWithin(const std::vector<MusFrame>& frames, std::uint16_t firstTimer, double seconds) {
    double cycles = 0;
    std::uint16_t timer = firstTimer;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        cycles += timer;
        if (cycles / kPalClock > seconds) return static_cast<int>(f);
        timer = frames[f].timer;
    }
    return static_cast<int>(frames.size());
}

class MusSongNotes : public ::testing::TestWithParam<std::string> {};

TEST_P(MusSongNotes, PlayerStartsEveryDecodedNote) {
    const auto path = sharedFile("mus/" + GetParam());
    NOTECAST_REQUIRE_SHARED(path);
    const std::vector<std::uint8_t> file = readFile(path);
    const MusRun run = runMus(file, 60 * 70);
    ASSERT_TRUE(run.loaded);
    const int frames = framesWithin(run.frames, run.initTimer, 60.0);
    ASSERT_GT(frames, 3000);
    const std::vector<MusFrame> played(run.frames.begin(), run.frames.begin() + frames);

    int checkedFrequencies = 0;
    for (int v = 0; v < 3; ++v) {
        SCOPED_TRACE("voice " + std::to_string(v + 1));
        const std::vector<DecodedNote> notes = decodeMusVoice(file, v, frames);
        std::vector<int> expected;
        for (const DecodedNote& n : notes) expected.push_back(n.jiffy);
        EXPECT_EQ(gateRises(played, v), expected);
        for (const DecodedNote& n : notes) {
            if (n.glides) continue;
            ++checkedFrequencies;
            EXPECT_EQ(played[n.jiffy].freq(v), n.frequency)
                << "jiffy " << n.jiffy << " semitone " << n.semitone;
        }
    }
    EXPECT_GT(checkedFrequencies, 100);
}

INSTANTIATE_TEST_SUITE_P(SharedSongs, MusSongNotes,
                         ::testing::Values("BACHBRAND3.2.MUS", "HORA.RMX.MUS", "HUMAN_LEAGUE.MUS",
                                           "JOHN_B_GOODE.MUS", "MIS.IMPOS.MUS",
                                           "SHEEP.GRAZE.MUS", "TIME_TUNNEL.MUS", "_MARS.MUS"),
                         [](const auto& info) {
                             std::string name;
                             for (char c : info.param) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             }
                             return name;
                         });

} // namespace
} // namespace notecast::test
