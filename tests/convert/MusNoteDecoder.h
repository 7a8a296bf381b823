#pragma once
// Reads the notes out of a MUS song without running any 6510 code: the voice
// streams are followed with the song's own timing rules, and every note that
// opens the gate is listed with its jiffy and semitone. The player is checked
// against this.
#include <cstdint>
#include <vector>

namespace notecast::test {

struct DecodedNote {
    int jiffy = 0;
    int semitone = 0;            // 0 = C0, after transposition and octave folding
    std::uint16_t frequency = 0; // note table value plus detune, clamped
    bool glides = false;         // portamento was on: the frequency moves there
};

// Notes whose gate rises, per voice, for the first `jiffies` jiffies of the
// MUS file `file` (with its load address).
std::vector<DecodedNote> decodeMusVoice(const std::vector<std::uint8_t>& file, int voice,
                                        int jiffies);

} // namespace notecast::test
