// The real MUS songs of the shared collection through the built-in player:
// where each voice's notes start and at which frequency, over the first 3000
// jiffies, against the values recorded when the player was checked note by
// note against the songs' streams; and a text dump named after the song's
// first text line. (A whole conversion is among the golden ones.)
#include "convert/ConvertRun.h"
#include "convert/MusPlayerRun.h"

#include <gtest/gtest.h>


namespace notecast::test {
namespace {

struct SharedSong {
    const char* file;
    std::size_t notes[3];  // gate rises per voice
    std::uint32_t digest;  // FNV-1a over every rise's voice, jiffy and frequency
};

const SharedSong kSongs[] = {
    {"BACHBRAND3.2.MUS", {274, 218, 200}, 1385240778u}, {"HORA.RMX.MUS", {444, 243, 243}, 1631436392u},
    {"HUMAN_LEAGUE.MUS", {44, 43, 316}, 762140847u},    {"JOHN_B_GOODE.MUS", {268, 288, 269}, 2475057446u},
    {"MIS.IMPOS.MUS", {69, 109, 211}, 2283004044u},     {"SHEEP.GRAZE.MUS", {154, 152, 105}, 3081549019u},
    {"TIME_TUNNEL.MUS", {93, 77, 191}, 899927415u},     {"_MARS.MUS", {20, 11, 197}, 3511034356u},
};

TEST(MusSharedSongs, NoteStartsAndConversions) {
    const auto dir = scratchDir("mus-conversion");
    for (const SharedSong& song : kSongs) {
        SCOPED_TRACE(song.file);
        const auto path = sharedFile(std::string("mus/") + song.file);
        NOTECAST_REQUIRE_SHARED(path);
        const MusRun run = runMus(readFile(path), 3000);
        ASSERT_TRUE(run.loaded);
        std::uint32_t digest = 2166136261u;
        const auto mix = [&digest](unsigned value) {
            for (int i = 0; i < 4; ++i) digest = (digest ^ ((value >> (8 * i)) & 0xFF)) * 16777619u;
        };
        std::vector<std::size_t> notes;
        for (int v = 0; v < 3; ++v) {
            // Jiffies at which the gate rises: set after a frame where it was clear (or at the start).
            std::size_t rises = 0;
            for (std::size_t jiffy = 0; jiffy < run.frames.size(); ++jiffy) {
                if (!run.frames[jiffy].gate(v) || (jiffy > 0 && run.frames[jiffy - 1].gate(v))) continue;
                ++rises;
                mix(static_cast<unsigned>(v << 28 | jiffy << 16) | run.frames[jiffy].freq(v));
            }
            notes.push_back(rises);
        }
        EXPECT_EQ(notes, std::vector<std::size_t>(song.notes, song.notes + 3));
        EXPECT_EQ(digest, song.digest);

        SidTune tune(path.string().c_str());
        ASSERT_TRUE(tune.status());
        Converter converter;
        convertSong(converter, tune, settingsFor(OutputMode::Text, 2), dir / "song.txt");
        EXPECT_EQ(fileLines(dir / "song.txt").at(0), std::string(tune.getInfo().infoLines[0]) + " - NOTECAST Text/SID Dump");
    }
}

} // namespace
} // namespace notecast::test
