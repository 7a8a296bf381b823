#pragma once
#include "backend/FrameClock.h"

#include <cstdint>

namespace notecast {

// Turns the microsecond stamps of the buffered events into MIDI ticks.
//
// The tempo arithmetic is single precision. deltaTicks keeps the number of
// microseconds already covered by written deltas and advances it by whole
// ticks, so rounding errors do not add up along the track.
//
// Values that would make an invalid file are kept in range: the division to
// 1..32767 (a larger one would read as an SMPTE time code, zero is no time
// base at all) and the tempo so that the Set Tempo value fits its three
// bytes and is not zero.
class MidiTimebase {
public:
    MidiTimebase(const FrameClock& clock, float bpm, std::int32_t ppq, float speedScale);

    // Quarter notes per minute; recomputes the tick and quarter lengths.
    void setTempo(float bpm);

    // The clock's playing time in microseconds, times the speed factor when
    // one is in force.
    std::uint64_t currentTime() const;
    // Makes the current time tick 0.
    void startAtNow() { origin_ = currentTime(); }
    std::uint64_t origin() const { return origin_; }
    void resetEmitted() { emitted_ = 0; }

    // Ticks from the previous event written to an event at time t (times
    // before the origin count as the origin). At most kMaxVariableLength;
    // a longer gap is carried over into the following deltas.
    std::uint32_t deltaTicks(std::uint64_t t);

    // Microseconds per quarter note, the value of the Set Tempo meta event.
    std::uint32_t tempoValue() const;
    std::int32_t ppq() const { return ppq_; }

private:
    const FrameClock& clock_;
    std::uint64_t emitted_ = 0;
    std::int32_t ppq_;
    float usPerTick_ = 0.0f;
    float usPerQuarter_ = 0.0f;
    std::uint64_t origin_ = 0;
    float speedScale_;
    bool scaled_;
};

} // namespace notecast
