#pragma once
#include <cstdint>

namespace notecast {

// What the conversion has seen of a note by looking at the frames ahead of
// it, handed to the MIDI writer with the frame it concerns (the DAW
// options).
//
// A Start cue comes with the frame in which a note starts: a percussion note
// carries the General MIDI drum key it plays (35-81); a melodic note whose
// first frames are a click (noise, or no waveform) carries the frame offset
// and the frequency of its first tonal frame, the pitch the note has.
// A Split cue marks a frame in which a held note moves to a new pitch that
// lasts (a legato step, or the held tone after a drum's falling attack): the
// writer starts a new note there.
struct NoteCue {
    enum class Kind : std::uint8_t { None, Start, Split };
    Kind kind = Kind::None;
    std::uint8_t drumKey = 0;          // Start: 0 for a melodic note
    std::uint8_t tonalOffset = 0;      // Start: frames before the first tonal frame
    std::uint32_t tonalFrequency = 0;  // Start: its frequency register (0: none seen)
};

} // namespace notecast
