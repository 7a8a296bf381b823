#pragma once
#include "backend/FrameClock.h"
#include "convert/ConversionRecords.h"
#include "convert/NoteTracker.h"
#include "emu/EmuEngine.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace notecast {

// The capture pass of a tune that runs on the whole machine. There is no play
// call to cut frames at, so the machine runs and a snapshot is taken
//  - when a music interrupt handler returns (see emu::InterruptFrames), and
//  - when no snapshot was taken for three video frames: then, and once a
//    video frame after that until the next handler makes one (play loops in
//    init, handlers that never return, tunes unpacking for seconds).
// Each snapshot carries the time the machine had reached; its sample count
// is the output samples up to the next snapshot, counted from the absolute
// cycle counter so that nothing drifts. The volume register in a snapshot is
// the one written outside sample-rate handlers; samples played through it
// are counted for the sample report (-sam).
class MachineCapture {
public:
    MachineCapture(EmuEngine& engine, NoteTracker& tracker, std::deque<FrameSnapshot>& frames,
                   std::uint32_t playSeconds);

    // Runs to the next snapshot and sets the clock to its time; false when
    // the playing time is over or the tune stopped the machine.
    bool step(FrameClock& clock);

    // What the user must know about the run: the tune stopped the machine,
    // or called KERNAL routines that are not there. "WARNING: ..." texts.
    std::vector<std::string> warnings() const;

private:
    void take(std::uint64_t cycles, FrameClock& clock);
    void finish(std::uint64_t cycles);
    // The cycles from one to the next sample written to the volume register
    // since the last snapshot, or 0 when that was not sample playback.
    std::uint16_t volumeSamplePeriod(std::uint64_t cycles);
    std::uint64_t samplesAt(std::uint64_t cycles) const;

    EmuEngine& engine_;
    NoteTracker& tracker_;
    std::deque<FrameSnapshot>& frames_;
    std::uint64_t end_;
    std::uint64_t videoFrame_;
    std::uint64_t last_ = 0;    // cycle of the last snapshot, 0 before the first
    std::uint32_t volumeWrites_ = 0;
    bool taken_ = false;
    bool timed_ = false;        // the last snapshot was a timed one
    bool over_ = false;
};

} // namespace notecast
