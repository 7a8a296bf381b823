// Note tracking, instrument classification and MIDI channel allocation.
#include "convert/NoteTracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace notecast {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An instrument record on one line.
std::string describe(const Instrument& i) {
    std::ostringstream s;
    s << "#" << i.id << " x" << i.useCount << " [" << std::hex;
    for (std::uint8_t w : i.waveforms) s << " " << int{w};
    s << std::dec << " ] length " << i.length << " distinct " << i.distinctCount << " noise " << i.noiseCount
      << (i.hasNoise ? " hasNoise" : "") << (i.endsWithNoise ? " endsWithNoise" : "")
      << (i.hasTriangleRing ? " triangleRing" : "") << (i.sharedChannel ? " shared" : "") << " voices";
    for (int v : i.voices) s << " " << v;
    return s.str();
}

class NoteTrackerTest : public ::testing::Test {
protected:
    NoteTracker tracker;
    std::deque<FrameSnapshot> frames;

    // Plays one note on a voice: the note starts in a new frame and the
    // control values are fed to it in order. Returns the start frame.
    FrameSnapshot& play(int voice, const Bytes& controls) {
        FrameSnapshot& start = frames.emplace_back();
        tracker.startNote(voice, start);
        for (std::uint8_t c : controls) tracker.addWaveform(voice, c);
        return start;
    }

    std::vector<std::string> instruments() const {
        std::vector<std::string> out;
        for (const Instrument& i : tracker.instruments()) out.push_back(describe(i));
        return out;
    }
};

using Lines = std::vector<std::string>;

TEST_F(NoteTrackerTest, WaveformListsDropGateTestAndRepeatsAndStopAtSixteen) {
    const struct { int voice; Bytes controls; Lines expected; } cases[] = {
        {0, {0x41, 0x41, 0x43, 0x41, 0x40, 0x11}, {"#0 x1 [ 40 42 40 10 ] length 4 distinct 3 noise 0 voices 0"}},
        // Test bit only, or test and gate: no waveform, so no note to classify.
        {1, {0x08, 0x09, 0x01}, {}},
        // Seventeen distinct values, none a repeat of the one before: the last is ignored.
        {0, {0x10, 0x20, 0x40, 0x80, 0x30, 0x50, 0x60, 0x70, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x14, 0x12},
         {"#0 x1 [ 10 20 40 80 30 50 60 70 90 a0 b0 c0 d0 e0 f0 14 ] length 16 distinct 16 noise 1 hasNoise "
          "triangleRing voices 0"}},
    };
    for (const auto& c : cases) {
        tracker.reset();
        tracker.addWaveform(c.voice, 0x21);  // nothing is recorded while the voice has no note
        FrameSnapshot& start = play(c.voice, c.controls);
        tracker.endNote(c.voice);
        EXPECT_EQ(instruments(), c.expected);
        EXPECT_EQ(start.instrument[static_cast<std::size_t>(c.voice)], c.expected.empty() ? -1 : 0);
    }
}

TEST_F(NoteTrackerTest, NotesWithEqualListsAreOneInstrument) {
    FrameSnapshot& first = play(0, {0x21, 0x41});
    FrameSnapshot& second = play(0, {0x21, 0x41, 0x21, 0x41, 0x21, 0x41});  // ends the first
    EXPECT_EQ(first.instrument[0], 0);
    EXPECT_EQ(second.instrument[0], -1);  // known only once the note ends
    FrameSnapshot& third = play(2, {0x81});
    FrameSnapshot& fourth = play(1, {0x21});  // the start of a known list is not that list
    tracker.endNote(0);
    tracker.endNote(2);
    tracker.endNote(1);

    // The repeating cycle folds to one period and matches the first note.
    EXPECT_EQ(second.instrument[0], 0);
    EXPECT_EQ(third.instrument[2], 1);
    EXPECT_EQ(fourth.instrument[1], 2);
    const Lines expected = {"#0 x2 [ 20 40 ] length 2 distinct 2 noise 0 voices 0",
                            "#1 x1 [ 80 ] length 1 distinct 1 noise 1 hasNoise endsWithNoise voices 2",
                            "#2 x1 [ 20 ] length 1 distinct 1 noise 0 voices 1"};
    EXPECT_EQ(instruments(), expected);
    tracker.endNote(0);  // ending a note twice classifies it once
    EXPECT_EQ(instruments(), expected);

    // A noise cycle is not shortened below twice its distinct values.
    tracker.reset();
    play(1, {0x81, 0x41, 0x81, 0x41});
    play(1, {0x15, 0x81});
    tracker.endNote(1);
    EXPECT_EQ(instruments(),
              (Lines{"#0 x1 [ 80 40 80 40 ] length 4 distinct 2 noise 2 hasNoise voices 1",
                     "#1 x1 [ 14 80 ] length 2 distinct 2 noise 1 hasNoise endsWithNoise triangleRing voices 1"}));
}

TEST(TrimTest, FoldsOnlyTrueRepeats) {
    struct Case { Bytes list; std::size_t limit; Bytes expected; };
    const Case cases[] = {
        {{0x20}, 1, {0x20}},
        {{0x10, 0x20, 0x40}, 1, {0x10, 0x20, 0x40}},                 // last value not seen before
        {{0x10, 0x30, 0x20, 0x30}, 2, {0x10, 0x30, 0x20, 0x30}},     // not periodic
        {{0x20, 0x30, 0x20, 0x30}, 2, {0x20, 0x30}},
        {{0x20, 0x30, 0x20, 0x30, 0x20, 0x30}, 2, {0x20, 0x30}},
        {{0x20, 0x30, 0x20, 0x30, 0x20, 0x30}, 3, {0x20, 0x30, 0x20}},
        {{0x40, 0x20, 0x40}, 2, {0x40, 0x20}},
        {{0x80, 0x40, 0x80, 0x40}, 4, {0x80, 0x40, 0x80, 0x40}},     // already at the limit
    };
    for (Case c : cases) {
        NoteTracker::trim(c.list, c.limit);
        EXPECT_EQ(c.list, c.expected);
    }
}

// --- channel allocation ---

Instrument instrument(std::int32_t id, std::uint32_t uses, std::set<int> voices,
                      Bytes waveforms = {0x40}) {
    Instrument i;
    std::tie(i.id, i.useCount, i.waveforms, i.voices) = std::tuple{id, uses, waveforms, std::move(voices)};
    i.length = static_cast<std::uint32_t>(waveforms.size());
    i.noiseCount = static_cast<std::uint32_t>(std::count(waveforms.begin(), waveforms.end(), 0x80));
    i.hasNoise = i.noiseCount > 0;
    return i;
}

using Channels = std::vector<std::int32_t>;

// Voice v's channel for each instrument.
Channels row(const ChannelMap& map, int v) {
    Channels r;
    for (std::size_t id = 0; id < map.instrumentCount(); ++id)
        r.push_back(map.channel(v, static_cast<std::int32_t>(id)));
    return r;
}
// An instrument's channel on each voice.
Channels column(const ChannelMap& map, std::int32_t id) {
    return {map.channel(0, id), map.channel(1, id), map.channel(2, id)};
}

TEST(AllocateChannelsTest, NoiseLevelDecidesWhereNoiseInstrumentsGo) {
    const std::vector<Instrument> list = {
        instrument(0, 5, {0, 1}),                 // melodic on two voices
        instrument(1, 9, {1, 2}, {0x80}),          // pure noise
        instrument(2, 3, {2}, {0x80, 0x40}),       // noise mixed with pulse
    };
    // Per noise level, the rows of voices 1-3.
    const std::pair<int, std::vector<Channels>> cases[] = {
        {0, {{0, -1, -1}, {1, -1, -1}, {-1, -1, -1}}},
        {2, {{0, -1, -1}, {1, -1, -1}, {-1, -1, 2}}},
        {3, {{0, -1, -1}, {1, 9, -1}, {-1, 9, 2}}},
    };
    for (const auto& [noiseLevel, rows] : cases) {
        ChannelMap map;
        EXPECT_TRUE(NoteTracker::allocateChannels(list, 0, noiseLevel, map));
        EXPECT_EQ((std::vector<Channels>{row(map, 0), row(map, 1), row(map, 2)}), rows) << noiseLevel;
    }
}

TEST(AllocateChannelsTest, SixteenMelodicInstrumentsLeaveTheLeastUsedOut) {
    std::vector<Instrument> list;
    for (int id = 0; id < 16; ++id)
        list.push_back(instrument(id, static_cast<std::uint32_t>(100 - id), {id % 3}));
    ChannelMap map;
    for (int attempt = 0; attempt < 16; ++attempt)
        EXPECT_FALSE(NoteTracker::allocateChannels(list, attempt, 0, map)) << attempt;
    const std::int32_t expected[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, -1};
    for (int id = 0; id < 16; ++id) EXPECT_EQ(map.channel(id % 3, id), expected[id]) << id;
    // The caller's records are not touched.
    EXPECT_FALSE(list[15].sharedChannel);
    EXPECT_EQ(list[0].voices.size(), 1u);
}

TEST(AllocateChannelsTest, LaterAttemptsShareChannelsOfTheLeastUsed) {
    std::vector<Instrument> list;
    list.push_back(instrument(0, 2, {0, 1, 2}));  // least used, on every voice
    for (int id = 1; id < 14; ++id) list.push_back(instrument(id, 50, {id % 3}));
    ChannelMap map;
    // 13 + 3 channels are one too many; attempt 1 shares one among the three voices.
    EXPECT_FALSE(NoteTracker::allocateChannels(list, 0, 0, map));
    EXPECT_EQ(column(map, 0), (Channels{14, 15, -1}));
    EXPECT_TRUE(NoteTracker::allocateChannels(list, 1, 0, map));
    EXPECT_EQ(column(map, 0), (Channels{14, 14, 14}));
}

TEST(AllocateChannelsTest, ANoiseInstrumentLeftWithoutChannelFailsTheAttempt) {
    // Thirteen melodic instruments, then a mixed noise instrument on three
    // voices, then a rarely used melodic one: after the melodic sweep only
    // one channel is left for the three noise voices.
    std::vector<Instrument> list;
    for (int id = 0; id < 13; ++id) list.push_back(instrument(id, 100, {id % 3}));
    list.push_back(instrument(13, 5, {0, 1, 2}, {0x80, 0x40}));
    list.push_back(instrument(14, 1, {1}));
    ChannelMap map;
    EXPECT_FALSE(NoteTracker::allocateChannels(list, 0, 1, map));
    EXPECT_EQ(column(map, 13)[0], 15);
    EXPECT_EQ(column(map, 13)[1], -1);
    EXPECT_FALSE(NoteTracker::allocateChannels(list, 1, 1, map));
    // Once the noise instrument shares its channel every voice is served.
    EXPECT_TRUE(NoteTracker::allocateChannels(list, 2, 1, map));
    EXPECT_EQ(column(map, 13), (Channels{15, 15, 15}));
    EXPECT_EQ(map.channel(1, 14), 14);
}

} // namespace
} // namespace notecast
