// Tempo from the rhythm of channel 0.
#include "backend/MidiWriterRun.h"
#include "backend/TempoEstimator.h"

namespace notecast {
namespace {

using Rank = std::pair<std::int32_t, std::int32_t>;

MidiEvent noteOn(std::uint64_t time, std::uint8_t channel = 0) {
    MidiEvent e;
    e.time = time;
    e.bytes = {static_cast<std::uint8_t>(0x90 + channel), 0x45, 0x7F};
    e.size = 3;
    return e;
}

// Notes on channel 0 from time 0 on: `count` intervals of each length in turn.
std::vector<MidiEvent> rhythm(std::initializer_list<std::pair<std::uint64_t, int>> runs) {
    std::vector<MidiEvent> events{noteOn(0)};
    std::uint64_t t = 0;
    for (auto [interval, count] : runs)
        for (int i = 0; i < count; ++i) events.push_back(noteOn(t += interval));
    return events;
}

TempoEstimator analysed(const std::vector<MidiEvent>& events) {
    TempoEstimator t;
    t.build(events, 600000.0f);
    t.analyse();
    return t;
}

double estimate(const std::vector<MidiEvent>& events) { return analysed(events).estimate(); }

TEST(TempoEstimatorTest, WithoutIntervalsOnChannelZeroTheTempoStays100) {
    EXPECT_EQ(estimate({}), 100.0);
    EXPECT_EQ(estimate({noteOn(0)}), 100.0);
    EXPECT_EQ(estimate({noteOn(0, 1), noteOn(500000, 1), noteOn(1000000, 1)}), 100.0);
    EXPECT_EQ(estimate({noteOn(0), noteOn(0), noteOn(0)}), 100.0);
    // Hours between notes (key 0) or a microsecond (beyond the key range)
    // would stall the folding or overflow the keys.
    EXPECT_EQ(estimate({noteOn(0), noteOn(20000000000ull)}), 100.0);
    EXPECT_EQ(estimate({noteOn(0), noteOn(1), noteOn(2)}), 100.0);
}

TEST(TempoEstimatorTest, BeatIsFoldedIntoTheRangeAbove100) {
    EXPECT_NEAR(estimate(rhythm({{500000, 8}})), 120.0, 1e-4);
    EXPECT_NEAR(estimate(rhythm({{250000, 8}})), 120.0, 1e-4);   // 240, halved
    EXPECT_NEAR(estimate(rhythm({{800000, 8}})), 150.0, 1e-4);   // 75, doubled
    EXPECT_NEAR(estimate(rhythm({{200000, 8}})), 150.0, 1e-4);   // 300, halved
    EXPECT_NEAR(estimate(rhythm({{1500000, 2}})), 160.0, 1e-4);  // 40, doubled twice
}

TEST(TempoEstimatorTest, WriterAppliesTheEstimateOnlyWhenItDiffersFrom100) {
    // 500 ms gives 500000; 150 ms played at -sc1.9999 is 299.985 ms, key
    // 20001: 200.01 bpm folds to 100.005, which is kept at 100.
    const std::tuple<std::uint32_t, float, const char*> cases[] = {
        {500, 1.0f, "00 | FF 51 03 07 A1 20"}, {150, 1.9999f, "00 | FF 51 03 09 27 C0"}};
    for (auto [intervalMs, scale, tempo] : cases) {
        test::MidiWriterRun run;
        run.settings.autoTempo = true;
        run.settings.speedScale = scale;
        run.open();
        for (std::uint32_t ms = 0; ms <= 4 * intervalMs; ms += intervalMs) run.at(ms).sampleOn(0, 100);
        EXPECT_EQ(run.finish(5 * intervalMs)[4], tempo);
    }
}

} // namespace
} // namespace notecast
