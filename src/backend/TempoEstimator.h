#pragma once
#include "backend/MidiEvent.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace notecast {

// Guesses the beat of a tune from the intervals between successive Note Ons
// on MIDI channel 0, or (buildFromOnsets) between the notes each channel
// starts at a gate.
//
// Each interval is expressed as a tempo key (key k = k / 100 beats per
// minute at the provisional tempo) and counted in a histogram. Near-equal
// keys are merged into the more frequent one, then keys close to a whole or
// half multiple of another give their count to the faster one; the most
// frequent key (the faster one on a tie) is the beat, folded into 100..200
// beats per minute.
class TempoEstimator {
public:
    using Histogram = std::map<std::int32_t, std::int32_t>;  // key -> count
    using Ranking = std::vector<std::pair<std::int32_t, std::int32_t>>;

    // Fills the histogram from the events in list order. usPerQuarter is the
    // Set Tempo value of the provisional tempo.
    void build(const std::vector<MidiEvent>& events, float usPerQuarter);
    // The same from the note starts of every channel: the intervals are
    // taken per channel, and those under kShortestBeatUs left out (notes a
    // frame or two apart are no beat, and every slower interval, being a
    // multiple of theirs, would go to them).
    struct Onset {
        std::uint64_t time;  // microseconds
        int channel;
    };
    void buildFromOnsets(const std::vector<Onset>& onsets, float usPerQuarter);
    static constexpr std::uint64_t kShortestBeatUs = 50'000;
    // Merges near-equal keys, then multiples, then ranks all keys.
    void analyse();
    // Beats per minute; 100.0 when there was no interval at all.
    double estimate() const;

    const Histogram& histogram() const { return histogram_; }
    const Ranking& ranking() const { return ranking_; }

private:
    void count(std::uint64_t interval, float usPerQuarter);

    Histogram histogram_;
    Ranking ranking_;
};

} // namespace notecast
