#include "backend/TempoEstimator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

namespace notecast {

namespace {

constexpr std::uint8_t kNoteOnChannel0 = 0x90;

// b's count goes to a when a's key is within reach of a whole multiple of
// b's key (integer arithmetic, widened so that no key can overflow it).
bool nearMultiple(std::int64_t a, std::int64_t b) {
    return (a + 9) / b != 0 && (a + 9) % b < 14;
}

} // namespace

void TempoEstimator::build(const std::vector<MidiEvent>& events, float usPerQuarter) {
    histogram_.clear();
    ranking_.clear();
    bool havePrevious = false;
    std::uint64_t previous = 0;
    for (const MidiEvent& e : events) {
        if (e.size == 0 || e.status() != kNoteOnChannel0) continue;
        if (!havePrevious) {
            havePrevious = true;
            previous = e.time;
            continue;
        }
        if (e.time == previous) continue;
        const std::uint64_t interval = e.time - previous;
        previous = e.time;
        count(interval, usPerQuarter);
    }
}

void TempoEstimator::buildFromOnsets(const std::vector<Onset>& onsets, float usPerQuarter) {
    histogram_.clear();
    ranking_.clear();
    std::map<int, std::uint64_t> previous;  // by channel
    for (const Onset& o : onsets) {
        const auto [last, first] = previous.try_emplace(o.channel, o.time);
        if (first || o.time <= last->second) continue;
        const std::uint64_t interval = o.time - last->second;
        if (interval < kShortestBeatUs) continue;
        last->second = o.time;
        count(interval, usPerQuarter);
    }
}

void TempoEstimator::count(std::uint64_t interval, float usPerQuarter) {
    float tempo = usPerQuarter / static_cast<float>(interval);
    tempo *= 10000.0f;
    const double key = static_cast<double>(tempo) + 0.5;
    // A key of 0 (an interval of hours) or beyond the key range (a few
    // microseconds, only with extreme speed factors) is no beat; it would
    // also stall the folding into the tempo range.
    if (!(key >= 1.0) || key >= std::numeric_limits<std::int32_t>::max()) return;
    ++histogram_[static_cast<std::int32_t>(key)];
}

void TempoEstimator::analyse() {
    // Counts change while the loops run: later comparisons see merged values.
    for (auto a = histogram_.begin(); a != histogram_.end(); ++a) {
        for (auto b = histogram_.begin(); b != histogram_.end(); ++b) {
            if (a == b || a->second == 0 || b->second == 0) continue;
            if (std::llabs(static_cast<std::int64_t>(a->first) - b->first) < 10 &&
                a->second > b->second) {
                a->second += b->second;
                b->second = 0;
            }
        }
    }
    for (auto a = histogram_.begin(); a != histogram_.end(); ++a) {
        for (auto b = histogram_.begin(); b != histogram_.end(); ++b) {
            if (a == b || a->second == 0 || b->second == 0 || a->first < b->first) continue;
            const std::int64_t ka = a->first;
            if (nearMultiple(ka, b->first) || nearMultiple(2 * ka, b->first)) {
                a->second += b->second;
                b->second = 0;
            }
        }
    }
    ranking_.assign(histogram_.begin(), histogram_.end());
    std::sort(ranking_.begin(), ranking_.end(), [](const auto& x, const auto& y) {
        if (x.second != y.second) return x.second > y.second;
        return x.first > y.first;
    });
}

double TempoEstimator::estimate() const {
    if (ranking_.empty()) return 100.0;
    float bpm = static_cast<float>(ranking_.front().first) * 0.01f;
    while (bpm < 100.0f) bpm *= 2.0f;
    if (std::fabs(static_cast<double>(bpm - std::floor(bpm)) - 0.5) < 0.01) bpm *= 2.0f;
    while (bpm > 250.0f) bpm *= 0.5f;
    if (bpm > 200.0f) bpm *= 0.5f;
    return bpm;
}

} // namespace notecast
