// Tempo from the rhythm of channel 0.
#include "backend/MidiWriterRun.h"
#include "backend/TempoEstimator.h"

namespace notecast {
namespace {

MidiEvent noteOn(std::uint64_t time, std::uint8_t channel = 0) {
    MidiEvent e;
    e.time = time;
    e.bytes = {static_cast<std::uint8_t>(0x90 + channel), 0x45, 0x7F};
    e.size = 3;
    return e;
}

std::vector<MidiEvent> every(std::uint64_t interval, int count) {
    std::vector<MidiEvent> events;
    for (int i = 0; i < count; ++i) events.push_back(noteOn(interval * static_cast<std::uint64_t>(i)));
    return events;
}

double estimate(const std::vector<MidiEvent>& events) {
    TempoEstimator t;
    t.build(events, 600000.0f);
    t.analyse();
    return t.estimate();
}

TEST(TempoEstimatorTest, NoIntervalOnChannelZeroKeeps100) {
    EXPECT_EQ(estimate({}), 100.0);
    EXPECT_EQ(estimate({noteOn(0)}), 100.0);
    EXPECT_EQ(estimate({noteOn(0, 1), noteOn(500000, 1), noteOn(1000000, 1)}), 100.0);
    EXPECT_EQ(estimate({noteOn(0), noteOn(0), noteOn(0)}), 100.0);
}

TEST(TempoEstimatorTest, BeatIsFoldedIntoTheRangeAbove100) {
    EXPECT_NEAR(estimate(every(500000, 9)), 120.0, 1e-4);
    EXPECT_NEAR(estimate(every(250000, 9)), 120.0, 1e-4);  // 240, halved
    EXPECT_NEAR(estimate(every(800000, 9)), 150.0, 1e-4);  // 75, doubled
    EXPECT_NEAR(estimate(every(200000, 9)), 150.0, 1e-4);  // 300, halved
    EXPECT_NEAR(estimate(every(1500000, 3)), 160.0, 1e-4);  // 40, doubled twice
}

TEST(TempoEstimatorTest, NearEqualAndMultipleIntervalsMerge) {
    // 12000 five times, 12005 three times: the near-equal keys become one.
    std::vector<MidiEvent> events{noteOn(0)};
    std::uint64_t t = 0;
    for (int i = 0; i < 5; ++i) events.push_back(noteOn(t += 500000));
    for (int i = 0; i < 3; ++i) events.push_back(noteOn(t += 499792));
    TempoEstimator near;
    near.build(events, 600000.0f);
    EXPECT_EQ(near.histogram(), (TempoEstimator::Histogram{{12000, 5}, {12005, 3}}));
    near.analyse();
    EXPECT_EQ(near.histogram(), (TempoEstimator::Histogram{{12000, 8}, {12005, 0}}));
    EXPECT_NEAR(near.estimate(), 120.0, 1e-4);

    // Equally frequent near-equal keys stay apart; the faster one ranks first.
    events = {noteOn(0)};
    t = 0;
    for (int i = 0; i < 3; ++i) events.push_back(noteOn(t += 500000));
    for (int i = 0; i < 3; ++i) events.push_back(noteOn(t += 499792));
    TempoEstimator tie;
    tie.build(events, 600000.0f);
    tie.analyse();
    EXPECT_EQ(tie.histogram(), (TempoEstimator::Histogram{{12000, 3}, {12005, 3}}));
    EXPECT_EQ(tie.ranking().front(), (std::pair<std::int32_t, std::int32_t>{12005, 3}));

    // A whole multiple gives its count to the faster tempo, even when the
    // slower one is more frequent.
    events = {noteOn(0)};
    t = 0;
    for (int i = 0; i < 5; ++i) events.push_back(noteOn(t += 500000));
    for (int i = 0; i < 2; ++i) events.push_back(noteOn(t += 250000));
    TempoEstimator multiple;
    multiple.build(events, 600000.0f);
    multiple.analyse();
    EXPECT_EQ(multiple.histogram(), (TempoEstimator::Histogram{{12000, 0}, {24000, 7}}));
    EXPECT_EQ(multiple.ranking().front(), (std::pair<std::int32_t, std::int32_t>{24000, 7}));
    EXPECT_NEAR(multiple.estimate(), 120.0, 1e-4);
}

TEST(TempoEstimatorTest, IntervalsWithoutATempoAreIgnored) {
    // Hours between notes (key 0) or a microsecond (beyond the key range)
    // would stall the folding or overflow the keys.
    EXPECT_EQ(estimate({noteOn(0), noteOn(20000000000ull)}), 100.0);
    EXPECT_EQ(estimate({noteOn(0), noteOn(1), noteOn(2)}), 100.0);
}

TEST(TempoEstimatorTest, WriterAppliesTheEstimateOnlyWhenItDiffersFrom100) {
    auto tempoLine = [](std::uint32_t intervalMs) {
        test::MidiWriterRun run;
        run.settings.autoTempo = true;
        run.open();
        for (std::uint32_t ms = 0; ms <= 4 * intervalMs; ms += intervalMs) {
            run.at(ms);
            run.writer->sampleOn(0, 100);
        }
        return run.finish(5 * intervalMs)[4];
    };
    EXPECT_EQ(tempoLine(500), "00 | FF 51 03 07 A1 20");  // 500000
    // 150 ms played at -sc1.9999 is 299.985 ms, key 20001: 200.01 bpm folds
    // to 100.005, which is kept at 100.
    test::MidiWriterRun run;
    run.settings.autoTempo = true;
    run.settings.speedScale = 1.9999f;
    run.open();
    for (std::uint32_t ms = 0; ms <= 600; ms += 150) {
        run.at(ms);
        run.writer->sampleOn(0, 100);
    }
    EXPECT_EQ(run.finish(750)[4], "00 | FF 51 03 09 27 C0");
}

} // namespace
} // namespace notecast
