#include "backend/MidiTimebase.h"

#include "backend/MidiEvent.h"

#include <cmath>

namespace notecast {

namespace {

constexpr std::int32_t kMaxPpq = 0x7FFF;
// Set Tempo carries 1..0xFFFFFF microseconds per quarter note.
constexpr float kMinBpm = 3.6f;
constexpr float kMaxBpm = 60000000.0f;
// Far beyond any playing time; keeps the float-to-integer step defined.
constexpr float kMaxScaledTime = 9.0e18f;

} // namespace

MidiTimebase::MidiTimebase(const FrameClock& clock, float bpm, std::int32_t ppq,
                           float speedScale)
    : clock_(clock),
      ppq_(ppq < 1 ? 1 : (ppq > kMaxPpq ? kMaxPpq : ppq)),
      speedScale_(speedScale),
      scaled_(std::fabs(speedScale - 1.0) > 0.001) {
    setTempo(bpm);
}

void MidiTimebase::setTempo(float bpm) {
    if (!(bpm >= kMinBpm)) bpm = kMinBpm;  // also catches NaN
    if (bpm > kMaxBpm) bpm = kMaxBpm;
    usPerTick_ = 60000000.0f / (static_cast<float>(ppq_) * bpm);
    usPerQuarter_ = 60000000.0f / bpm;
}

std::uint64_t MidiTimebase::currentTime() const {
    // Computed from the clock's fields rather than its 32-bit total, which
    // wraps after about 71 minutes.
    const std::uint64_t total =
        (static_cast<std::uint64_t>(clock_.minutes) * 60 + clock_.seconds) * 1000000 +
        clock_.microseconds;
    if (!scaled_) return total;
    const float t = static_cast<float>(total) * speedScale_;
    if (!(t > 0.0f)) return 0;
    if (t >= kMaxScaledTime) return static_cast<std::uint64_t>(kMaxScaledTime);
    return static_cast<std::uint64_t>(t);
}

std::uint32_t MidiTimebase::deltaTicks(std::uint64_t t) {
    const std::uint64_t rel = t > origin_ ? t - origin_ : 0;
    std::uint32_t ticks = 0;
    if (emitted_ < rel) {
        const double q = static_cast<double>(static_cast<float>(rel - emitted_) / usPerTick_) + 0.5;
        ticks = q >= kMaxVariableLength ? kMaxVariableLength : static_cast<std::uint32_t>(q);
    }
    emitted_ += static_cast<std::uint64_t>(static_cast<float>(ticks) * usPerTick_);
    return ticks;
}

std::uint32_t MidiTimebase::tempoValue() const {
    return static_cast<std::uint32_t>(usPerQuarter_ + 0.5);
}

} // namespace notecast
