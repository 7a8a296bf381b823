#pragma once
#include "backend/MidiEvent.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace notecast {

// Guesses the beat of a tune from the intervals between successive Note Ons
// on MIDI channel 0 (or, when asked, between the successive moments at which
// notes start on any channel).
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
    void build(const std::vector<MidiEvent>& events, float usPerQuarter,
               bool allChannels = false);
    // Merges near-equal keys, then multiples, then ranks all keys.
    void analyse();
    // Beats per minute; 100.0 when there was no interval at all.
    double estimate() const;

    const Histogram& histogram() const { return histogram_; }
    const Ranking& ranking() const { return ranking_; }

private:
    Histogram histogram_;
    Ranking ranking_;
};

} // namespace notecast
