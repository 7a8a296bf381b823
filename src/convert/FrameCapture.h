#pragma once
#include "backend/FrameClock.h"
#include "convert/ConversionRecords.h"
#include "convert/NoteTracker.h"
#include "emu/EmuEngine.h"
#include "emu/SidVoice.h"

#include <cstdint>
#include <deque>

namespace notecast {

// The capture pass, one frame at a time: calls the tune's play routine, copies
// what it left in the SID into a new snapshot, feeds the voices' gate changes
// to the note tracking and advances the playing time by one frame.
//
// Snapshots are appended to a deque, which never moves existing elements:
// the note tracking keeps a pointer to each note's start frame.
class FrameCapture {
public:
    FrameCapture(EmuEngine& engine, NoteTracker& tracker, std::deque<FrameSnapshot>& frames,
                 bool ciaTimed);

    // Captures one frame; time is the clock before the frame is added.
    const FrameSnapshot& step(FrameClock& clock);

    // Play calls that the instruction budget had to stop.
    std::uint32_t stoppedCalls() const { return stopped_; }

private:
    EmuEngine& engine_;
    NoteTracker& tracker_;
    std::deque<FrameSnapshot>& frames_;
    bool ciaTimed_;
    std::uint32_t stopped_ = 0;
};

// One voice's control value of one frame into the note tracking. A note
// continues while the gate stays set; a gate that rose, or that the play call
// cleared and set again, starts a new note in this frame. Everything the
// voice does until the next note starts (the release included) belongs to
// the note. Updates the control byte kept in the voice record.
void trackGate(emu::SidVoice& voice, int v, std::uint8_t control, FrameSnapshot& frame,
               NoteTracker& tracker);

// The registers of every SID chip the tune has, the sample-channel registers
// and the voices' gate flags as the machine holds them now, into a snapshot.
void captureRegisters(const emu::C64& m, FrameSnapshot& frame);
// The part of captureRegisters for the chips after the first.
void captureFurtherChips(const emu::C64& m, FrameSnapshot& frame);
// trackGate for the voices of a captured snapshot (three per chip).
void trackGates(emu::C64& m, FrameSnapshot& frame, NoteTracker& tracker);

} // namespace notecast
