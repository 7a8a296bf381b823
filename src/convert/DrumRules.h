#pragma once
#include <cstdint>
#include <span>

namespace notecast {

// One frame of a voice as it sounds: its time, the frequency register after
// hard sync and the control register.
struct NoteFrame {
    std::uint64_t timeUs = 0;
    std::uint32_t frequency = 0;
    std::uint8_t control = 0;

    bool gate() const { return (control & 0x01) != 0; }
    // A pitched waveform (triangle, sawtooth, pulse) without noise; the test
    // bit silences the oscillator.
    bool tonal() const {
        return frequency != 0 && (control & 0x88) == 0 && (control & 0x70) != 0;
    }
    bool noise() const { return frequency != 0 && (control & 0x88) == 0x80; }
};

// The drum sounds a note can be taken for.
enum class DrumSound : std::uint8_t { None, BassDrum, Snare, ClosedHiHat, OpenHiHat, Crash, Tom };

struct DrumVerdict {
    DrumSound sound = DrumSound::None;
    std::uint8_t tomKey = 0;  // the General MIDI tom for the pitch a tom starts at
    bool sweep = false;       // the sound is a falling pitch (bass drum or tom)
};

// How long the drum rules look at a note: its first frames, up to this
// much after its start.
constexpr std::uint64_t kDrumWindowUs = 160'000;

// Decides whether a note is percussion from its first frames (those within
// kDrumWindowUs of its start, and before the next note) and from how long
// it sounds:
// - noise only: bright noise (frequency high byte $40 and up) is a closed
//   hi-hat up to 150 ms, an open hi-hat up to 600 ms, a crash beyond; darker
//   noise is a crash beyond 600 ms, else a bass drum below $10, a snare from
//   $10;
// - a pitch that falls by an octave within 100 ms of the first tonal frame,
//   step by step (two steps of a semitone or more), without climbing back: a
//   bass drum after noise or when it ends below C2, otherwise a tom chosen
//   by the pitch it starts at;
// - noise that comes back after the tone (noise with a tonal body), with as
//   many noise frames as tonal ones or the two alternating: a snare, or a
//   bass drum when the body lies below C3 and the noise is dark;
// - anything else is a melodic note.
DrumVerdict classifyDrum(std::span<const NoteFrame> window, std::uint32_t soundMs);

// MIDI note of a frequency register value, not rounded.
double midiPitch(std::uint32_t frequency);

} // namespace notecast
