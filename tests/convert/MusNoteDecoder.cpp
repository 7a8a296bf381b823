#include "convert/MusNoteDecoder.h"

#include "convert/MusPlayerRun.h"

#include <algorithm>
#include <array>

namespace notecast::test {

namespace {

struct Voice {
    std::uint32_t pos = 0;       // offset in the song image (from $0900)
    bool halted = false;
    int left = 1;                // jiffies left of the current event
    bool tied = false;           // current note tied
    bool gateOpen = false;       // gate open at the end of the current event
    int releasePoint = 4, holdTime = 0, utilityVoice = 0;
    int transposition = 0, detune = 0, portamento = 0;
    std::uint32_t repeatStart = 0;
    int repeatPasses = 0;
    bool repeatOpen = false;
    std::vector<std::uint32_t> calls;
};

struct Decoder {
    std::vector<std::uint8_t> image;  // the song as the player sees it at $0900
    std::array<Voice, 3> voices;
    std::array<std::int64_t, 24> phrases;
    int whole = 144;
    int utility = 0;

    std::uint8_t at(std::uint32_t offset) const {
        return offset < image.size() ? image[offset] : 0;
    }

    int semitone(std::uint8_t p, const Voice& v) const {
        static const int base[8] = {0, 0, 2, 4, 5, 7, 9, 11};
        const int letter = p & 7;
        int accidental;
        switch (p >> 6) {
        case 3: accidental = -1; break;
        case 2: accidental = 0; break;
        case 1: accidental = 1; break;
        default: accidental = (letter == 3 || letter == 6 || letter == 7) ? -2 : 2; break;
        }
        int n = 12 * (7 - ((p >> 3) & 7)) + base[letter] + accidental + v.transposition;
        while (n > 95) n -= 12;
        while (n < 0) n += 12;
        return n;
    }

    std::uint16_t frequency(int n, const Voice& v) const {
        return static_cast<std::uint16_t>(
            std::clamp<int>(musNoteFrequency(n) + v.detune, 0, 0xFFFF));
    }

    int length(std::uint8_t b, const Voice& v) const {
        int len;
        const bool triplet = (b & 0x80) && !(b & 0x20);
        if ((b & 0xBC) == 0xA0) {
            len = whole * 2 / (3 * 64);
        } else if ((b & 0x3C) == 0x24) {
            len = v.utilityVoice;
        } else if ((b & 0x3C) == 0x04) {
            len = utility;
        } else {
            const int code = (b >> 2) & 7;
            const int shift = code == 0 ? 6 : code - 2;
            int num = 1, den = 1;
            if (triplet) {
                num = 2;
                den = 3;
            } else if (code != 0 && !(b & 0x80) && (b & 0x20)) {
                num = 3;
                den = 2;
            } else if (code != 0 && (b & 0x80) && (b & 0x20)) {
                num = 7;
                den = 4;
            }
            len = whole * num / (den << shift);
        }
        return std::max(len, 1);
    }

    static int transposeAbsolute(std::uint8_t b) {
        const int o = (b >> 1) & 7, h = b >> 4;
        return (b & 1) ? -(12 * o + (11 - h)) : 12 * (7 - o) + h;
    }
    static int transposeRelative(std::uint8_t b) { return 12 * (3 - (b & 7)) + ((b >> 3) - 11); }

    void halt(Voice& v) {
        v.halted = true;
        v.gateOpen = false;
    }

    // Carries out switch pair $01 c; false when the voice stopped.
    void switchCommand(Voice& v, std::uint8_t c) {
        if ((c & 0x0F) == 0x02 || (c & 0x8F) == 0x8B) {  // CAL
            const int n = (c & 0x0F) == 0x02 ? c >> 4 : 16 + ((c >> 4) & 7);
            if (phrases[n] < 0 || v.calls.size() >= 8) return halt(v);
            v.calls.push_back(v.pos);
            v.pos = static_cast<std::uint32_t>(phrases[n]);
        } else if ((c & 0x0F) == 0x06 || (c & 0x8F) == 0x83) {  // DEF
            const int n = (c & 0x0F) == 0x06 ? c >> 4 : 16 + ((c >> 4) & 7);
            phrases[n] = v.pos;
        } else if (c == 0x2F) {  // END
            if (!v.calls.empty()) {
                v.pos = v.calls.back();
                v.calls.pop_back();
            }
        } else if (c == 0x0F) {  // TAL
            if (!v.repeatOpen) return;
            if (v.repeatPasses == 0 || --v.repeatPasses > 0) {
                v.pos = v.repeatStart;
            } else {
                v.repeatOpen = false;
            }
        } else if (c == 0x4F) {
            halt(v);
        }
    }

    void parameterCommand(Voice& v, std::uint8_t b1, std::uint8_t b2) {
        if ((b1 & 0x0F) == 0x0A) {
            v.detune = ((b1 >> 5) << 8) + b2 - ((b1 & 0x10) ? 2048 : 0);
            return;
        }
        switch (b1) {
        case 0x06: whole = b2 == 0 ? 256 : b2; break;
        case 0x16: utility = b2; break;
        case 0x26: v.releasePoint = b2; break;
        case 0x36:
            v.repeatStart = v.pos;
            v.repeatPasses = b2;
            v.repeatOpen = true;
            break;
        case 0xA6: v.transposition = transposeAbsolute(b2); break;
        case 0xF6: v.utilityVoice = b2; break;
        case 0x2E: v.transposition += transposeRelative(b2); break;
        case 0x4E: v.holdTime = b2; break;
        default: break;
        }
    }

    // One voice's jiffy; appends the note if one with a rising gate starts.
    void jiffy(int index, int now, std::vector<DecodedNote>& out) {
        Voice& v = voices[index];
        if (v.halted || --v.left > 0) return;
        for (int pairs = 0; pairs < 256; ++pairs) {
            const std::uint8_t b1 = at(v.pos), b2 = at(v.pos + 1);
            v.pos += 2;
            if ((b1 & 3) == 0 && b1 != 0) {
                startNote(v, b1, b2, now, out);
                return;
            }
            if (b1 == 0x01) {
                switchCommand(v, b2);
            } else if ((b1 & 3) == 3) {
                v.portamento = ((b1 >> 2) << 8) + b2;
            } else if ((b1 & 3) == 2) {
                parameterCommand(v, b1, b2);
            }
            if (v.halted) return;
        }
        halt(v);
    }

    void startNote(Voice& v, std::uint8_t b1, std::uint8_t b2, int now,
                   std::vector<DecodedNote>& out) {
        const int d = length(b1, v);
        v.left = d;
        const bool wasTied = v.tied;
        if ((b2 & 7) == 0) {
            v.tied = false;
            v.gateOpen = false;
            return;
        }
        v.tied = (b1 & 0x40) != 0;
        if (!wasTied && !v.gateOpen) {
            const int n = semitone(b2, v);
            out.push_back({now, n, frequency(n, v), v.portamento != 0});
        }
        // The gate is still open at the end unless the note is released
        // inside its length.
        const int p = v.holdTime > 0 ? v.holdTime : v.releasePoint;
        const int r = v.holdTime > 0 ? std::max(1, v.holdTime) : std::max(1, d - v.releasePoint);
        v.gateOpen = v.tied || p == 0 || r >= d;
    }
};

} // namespace

std::vector<DecodedNote> decodeMusVoice(const std::vector<std::uint8_t>& file, int voice,
                                        int jiffies) {
    Decoder dec;
    dec.phrases.fill(-1);
    if (file.size() > 2) dec.image.assign(file.begin() + 2, file.end());
    const std::uint32_t l1 = dec.at(0) | (dec.at(1) << 8), l2 = dec.at(2) | (dec.at(3) << 8);
    dec.voices[0].pos = 6;
    dec.voices[1].pos = 6 + l1;
    dec.voices[2].pos = 6 + l1 + l2;
    std::vector<DecodedNote> notes[3];
    for (int j = 0; j < jiffies; ++j) {
        for (int v = 0; v < 3; ++v) dec.jiffy(v, j, notes[v]);
    }
    return notes[voice];
}

} // namespace notecast::test
