// Note tracking, instrument classification and MIDI channel allocation.
#include "convert/NoteTracker.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace notecast {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

    const Instrument& only() {
        EXPECT_EQ(tracker.instruments().size(), 1u);
        return tracker.instruments().front();
    }
};

TEST_F(NoteTrackerTest, WaveformListsDropGateTestAndRepeats) {
    play(0, {0x41, 0x41, 0x43, 0x41, 0x40, 0x11});
    tracker.endNote(0);
    EXPECT_EQ(only().waveforms, (Bytes{0x40, 0x42, 0x40, 0x10}));

    // Test bit only, or test and gate: no waveform, so no note to classify.
    tracker.reset();
    FrameSnapshot& silent = play(1, {0x08, 0x09, 0x01});
    tracker.endNote(1);
    EXPECT_TRUE(tracker.instruments().empty());
    EXPECT_EQ(silent.instrument[1], -1);

    // Nothing is recorded while the voice has no note.
    tracker.reset();
    tracker.addWaveform(2, 0x21);
    play(2, {0x11});
    tracker.endNote(2);
    EXPECT_EQ(only().waveforms, (Bytes{0x10}));
}

TEST_F(NoteTrackerTest, ASeventeenthChangeIsIgnored) {
    // Seventeen distinct values, none a repeat of the one before.
    const std::uint8_t values[] = {0x10, 0x20, 0x40, 0x80, 0x30, 0x50, 0x60, 0x70, 0x90,
                                   0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x14, 0x12};
    const Bytes controls(std::begin(values), std::end(values));
    play(0, controls);
    tracker.endNote(0);
    const Instrument& inst = only();
    EXPECT_EQ(inst.length, 16u);
    EXPECT_EQ(inst.waveforms, Bytes(controls.begin(), controls.begin() + 16));
}

TEST_F(NoteTrackerTest, NotesWithEqualListsAreOneInstrument) {
    FrameSnapshot& first = play(0, {0x21, 0x41});
    FrameSnapshot& second = play(0, {0x21, 0x41, 0x21, 0x41, 0x21, 0x41});  // ends the first
    EXPECT_EQ(first.instrument[0], 0);
    EXPECT_EQ(second.instrument[0], -1);  // known only once the note ends
    FrameSnapshot& third = play(2, {0x81});
    tracker.endNote(0);
    tracker.endNote(2);

    // The repeating cycle folds to one period and matches the first note.
    EXPECT_EQ(second.instrument[0], 0);
    EXPECT_EQ(third.instrument[2], 1);
    ASSERT_EQ(tracker.instruments().size(), 2u);
    const Instrument& pulse = tracker.instruments()[0];
    EXPECT_EQ(pulse.id, 0);
    EXPECT_EQ(pulse.useCount, 2u);
    EXPECT_EQ(pulse.waveforms, (Bytes{0x20, 0x40}));
    EXPECT_EQ(pulse.voices, (std::set<int>{0}));
    const Instrument& noise = tracker.instruments()[1];
    EXPECT_EQ(noise.id, 1);
    EXPECT_TRUE(noise.hasNoise);
    EXPECT_TRUE(noise.endsWithNoise);
    EXPECT_EQ(noise.length, 1u);

    // Ending a note twice classifies it once.
    tracker.endNote(0);
    EXPECT_EQ(tracker.instruments()[0].useCount, 2u);
}

TEST_F(NoteTrackerTest, InstrumentRecordDescribesItsList) {
    play(1, {0x81, 0x41, 0x81, 0x41});  // noise cycle: limit 4, not shortened
    play(1, {0x15, 0x81});
    tracker.endNote(1);
    ASSERT_EQ(tracker.instruments().size(), 2u);

    const Instrument& drum = tracker.instruments()[0];
    EXPECT_EQ(drum.waveforms, (Bytes{0x80, 0x40, 0x80, 0x40}));
    EXPECT_TRUE(drum.hasNoise);
    EXPECT_FALSE(drum.endsWithNoise);
    EXPECT_EQ(drum.noiseCount, 2u);
    EXPECT_EQ(drum.distinctCount, 2u);
    EXPECT_EQ(drum.length, 4u);
    EXPECT_FALSE(drum.hasTriangleRing);
    EXPECT_FALSE(drum.sharedChannel);

    const Instrument& ring = tracker.instruments()[1];
    EXPECT_EQ(ring.waveforms, (Bytes{0x14, 0x80}));
    EXPECT_TRUE(ring.hasTriangleRing);
    EXPECT_TRUE(ring.endsWithNoise);
    EXPECT_EQ(ring.noiseCount, 1u);
    EXPECT_EQ(ring.voices, (std::set<int>{1}));
}

TEST(TrimTest, FoldsOnlyTrueRepeats) {
    struct Case {
        Bytes list;
        std::size_t limit;
        Bytes expected;
    };
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
    for (const Case& c : cases) {
        Bytes list = c.list;
        NoteTracker::trim(list, c.limit);
        EXPECT_EQ(list, c.expected);
    }
}

// --- channel allocation ---

Instrument instrument(std::int32_t id, std::uint32_t uses, std::set<int> voices,
                      Bytes waveforms = {0x40}) {
    Instrument i;
    i.id = id;
    i.useCount = uses;
    i.waveforms = waveforms;
    i.length = static_cast<std::uint32_t>(waveforms.size());
    for (std::uint8_t w : waveforms) {
        if (w == 0x80) {
            i.hasNoise = true;
            ++i.noiseCount;
        }
    }
    i.voices = std::move(voices);
    return i;
}

std::vector<std::int32_t> row(const ChannelMap& map, int voice) {
    std::vector<std::int32_t> r;
    for (std::size_t id = 0; id < map.instrumentCount(); ++id)
        r.push_back(map.channel(voice, static_cast<std::int32_t>(id)));
    return r;
}

TEST(AllocateChannelsTest, NoiseLevelDecidesWhereNoiseInstrumentsGo) {
    const std::vector<Instrument> list = {
        instrument(0, 5, {0, 1}),                 // melodic on two voices
        instrument(1, 9, {1, 2}, {0x80}),          // pure noise
        instrument(2, 3, {2}, {0x80, 0x40}),       // noise mixed with pulse
    };
    ChannelMap map;
    EXPECT_TRUE(NoteTracker::allocateChannels(list, 0, 0, map));
    EXPECT_EQ(row(map, 0), (std::vector<std::int32_t>{0, -1, -1}));
    EXPECT_EQ(row(map, 1), (std::vector<std::int32_t>{1, -1, -1}));
    EXPECT_EQ(row(map, 2), (std::vector<std::int32_t>{-1, -1, -1}));

    EXPECT_TRUE(NoteTracker::allocateChannels(list, 0, 2, map));
    EXPECT_EQ(row(map, 1), (std::vector<std::int32_t>{1, -1, -1}));
    EXPECT_EQ(row(map, 2), (std::vector<std::int32_t>{-1, -1, 2}));

    EXPECT_TRUE(NoteTracker::allocateChannels(list, 0, 3, map));
    EXPECT_EQ(row(map, 0), (std::vector<std::int32_t>{0, -1, -1}));
    EXPECT_EQ(row(map, 1), (std::vector<std::int32_t>{1, 9, -1}));
    EXPECT_EQ(row(map, 2), (std::vector<std::int32_t>{-1, 9, 2}));
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
    // 13 + 3 channels are one too many.
    EXPECT_FALSE(NoteTracker::allocateChannels(list, 0, 0, map));
    EXPECT_EQ(row(map, 0)[0], 14);
    EXPECT_EQ(row(map, 1)[0], 15);
    EXPECT_EQ(row(map, 2)[0], -1);
    // Attempt 1 shares one channel among its three voices.
    EXPECT_TRUE(NoteTracker::allocateChannels(list, 1, 0, map));
    EXPECT_EQ(map.channel(0, 0), 14);
    EXPECT_EQ(map.channel(1, 0), 14);
    EXPECT_EQ(map.channel(2, 0), 14);
}

TEST(AllocateChannelsTest, EqualUseCountsKeepDiscoveryOrder) {
    std::vector<Instrument> list;
    for (int id = 0; id < 8; ++id) list.push_back(instrument(id, id == 5 ? 9 : 4, {0}));
    ChannelMap map;
    ASSERT_TRUE(NoteTracker::allocateChannels(list, 0, 0, map));
    EXPECT_EQ(row(map, 0), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 0, 6, 7}));
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
    EXPECT_EQ(map.channel(0, 13), 15);
    EXPECT_EQ(map.channel(1, 13), -1);
    EXPECT_FALSE(NoteTracker::allocateChannels(list, 1, 1, map));
    // Once the noise instrument shares its channel every voice is served.
    EXPECT_TRUE(NoteTracker::allocateChannels(list, 2, 1, map));
    EXPECT_EQ(map.channel(1, 14), 14);
    for (int v = 0; v < 3; ++v) EXPECT_EQ(map.channel(v, 13), 15);
}

} // namespace
} // namespace notecast
