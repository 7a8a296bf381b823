#pragma once
#include "backend/NoteCue.h"
#include "backend/WriterSettings.h"
#include "convert/ConversionRecords.h"
#include "emu/SidVoice.h"

#include <array>
#include <deque>
#include <vector>

namespace notecast {

using FrameCues = std::array<NoteCue, emu::kMaxVoices>;

// Looks at every note of the captured frames with the frames that follow it,
// which the MIDI writer cannot do as it goes, and says what it found as cues
// (one set per frame, mostly empty):
// - with -kit, which notes are percussion (DrumRules.h) and their drum keys:
//   one key for each drum sound (instrument and kind of drum), a second
//   sound of the same kind taking the next key of that kind;
// - with -click, the pitch of a note that begins with a click: its first
//   tonal frame, when that comes within kClickUs of the start;
// - with -split, where a held note takes a new pitch that lasts: a step
//   beyond the bend range that lasts more than one frame, or a move of at
//   least a semitone (within kMoveUs) onto a new note that then holds for
//   kHoldFrames frames and kHoldUs within 0.3 semitones of where it arrived.
//   Vibrato, slides and one-frame blips stay bends;
// - with -kit, the held tone that follows a drum's falling attack while the
//   gate stays on (a bass drum and a bass note in one sound), as a split.
// Pitches are those the writer sees: the frequency after hard sync. The
// voices are those of settings.sidChips.
std::vector<FrameCues> findNoteCues(const std::deque<FrameSnapshot>& frames,
                                    const WriterSettings& settings);

constexpr std::uint64_t kClickUs = 100'000;
constexpr std::size_t kHoldFrames = 3;
constexpr std::uint64_t kHoldUs = 40'000;
// A drum's tail must hold longer before it counts as a note of its own.
constexpr std::uint64_t kTailHoldUs = 100'000;
// How far back a move onto a new note may have begun.
constexpr std::uint64_t kMoveUs = 160'000;

} // namespace notecast
