// The built-in MUS player, frame by frame (one play call a jiffy): the note
// lengths and pitches as tables, and a song using every command against its
// recorded registers.
#include "convert/MusPlayerRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace notecast::test {
namespace {

using namespace mus;
using Values = std::vector<int>;

// The player's defaults and the common lengths are in the frame-by-frame
// listing below; here the lengths it does not reach.
TEST(MusPlayerTiming, DurationCodesAtTheirLimits) {
    const struct { const char* what; int whole; std::uint8_t duration; int jiffies; } cases[] = {
        {"thirty-second", 192, kThirtySecond, 6},    {"$40: tied 64th without bit 5", 192, 0x40, 3},
        {"dotted whole", 192, kWhole | kDotted, 288}, {"double-dotted quarter", 192, kQuarter | kDoubleDotted, 84},
        {"double-dotted whole", 256, kWhole | kDoubleDotted, 448},
        {"triplet sixty-fourth $A0", 192, 0xA0, 2},  {"triplet sixty-fourth $80", 192, 0x80, 2},
        {"tempo 0 is 256", 0, kWhole, 256},          {"zero length plays as 1", 50, kSixtyFourth, 1},
    };
    for (const auto& c : cases) {
        // The note after the measured one starts right at its end.
        const auto g = playMus(tempo(c.whole) + releasePoint(0) + note(c.duration, kC4) + note(kWhole, kA4),
                               c.jiffies + 2);
        EXPECT_EQ(freqs(g, 0, c.jiffies - 1, c.jiffies + 1), (Values{kFreqC4, kFreqA4})) << c.what;
    }

}

TEST(MusPlayerPitch, NotesAccidentalsTranspositionAndDetune) {
    const struct {
        const char* what;
        Pairs setup;
        std::uint8_t pitchByte;
        int expected;  // frequency register
    } cases[] = {
        {"C4", {}, 0x99, musNoteFrequency(48)},        {"C0", {}, 0xB9, musNoteFrequency(0)},
        {"C#3", {}, 0x61, musNoteFrequency(37)},       {"Cb3", {}, 0xE1, musNoteFrequency(35)},
        {"C##3", {}, 0x21, musNoteFrequency(38)},      {"Ebb3", {}, 0x23, musNoteFrequency(38)},
        {"F5", {}, 0x94, musNoteFrequency(65)},        {"B7", {}, 0x87, musNoteFrequency(95)},
        {"B#7 folds down an octave", {}, 0x47, musNoteFrequency(84)},
        {"Cb0 folds up an octave", {}, 0xF9, musNoteFrequency(11)},
        {"TPS +12", transpose(0x0C), kC4, musNoteFrequency(60)},
        {"TPS -1", transpose(0xA1), kC4, musNoteFrequency(47)},
        {"TPS +95 folds into the top octave", transpose(0xB0), kC4, musNoteFrequency(95)},
        {"TPS -95 folds into the bottom octave", transpose(0x0F), kC4, musNoteFrequency(1)},
        {"RTP +1 twice", relativeTranspose(0x63) + relativeTranspose(0x63), kC4, musNoteFrequency(50)},
        {"RTP -47 after TPS +12", transpose(0x0C) + relativeTranspose(0x06), kC4, musNoteFrequency(13)},
        {"TPS replaces the RTP sum", relativeTranspose(0xB0) + transpose(0x1E), kC4, musNoteFrequency(49)},
        {"many RTP steps keep their pitch class", repeat(relativeTranspose(0xB0), 9) + relativeTranspose(0x06),
         kC4, musNoteFrequency(88)},
        {"DTN +2047", detune(2047), kA4, kFreqA4 + 2047},
        {"DTN -256", detune(-256), kA4, kFreqA4 - 256},
        {"DTN clamps at 0", detune(-2048), pitch('C', 0), 0},
        {"DTN clamps at $FFFF", detune(1), pitch('B', 7), 0xFFFF},
        {"DTN below B7", detune(-100), pitch('B', 7), 0xFFFF - 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(playMus(c.setup + note(kQuarter, c.pitchByte), 1)[0].freq(0), c.expected) << c.what;

    // An absolute pitch sets the frequency in the jiffy of the next note,
    // which it does not delay, and leaves the gate alone; a following note
    // with portamento glides from there.
    const auto f = playMus(note(kQuarter, kC4) + transpose(0x0C) + detune(5) + absolutePitch(kA4) + rest(kQuarter), 40);
    EXPECT_EQ(f[36].freq(0), musNoteFrequency(69) + 5);
    EXPECT_FALSE(f[36].gate(0));
    const auto g = playMus(note(kQuarter, kC4) + absolutePitch(kD4) + portamento(100) + note(kQuarter, kA4), 39);
    EXPECT_EQ(freqs(g, 0, 35, 39), (Values{kFreqC4, kFreqD4, kFreqD4 + 100, kFreqD4 + 200}));
}

// A song that uses every command the player knows, on all three voices, from
// the player's defaults on; its registers frame by frame are kept in
// tests/golden/mus-features.txt (NOTECAST_UPDATE_GOLDEN=1 rewrites it).
Song featureSong() {
    Song s;
    const Pairs vib = vibratoDepth(8) + vibratoRate(4);
    s.voices[0] = note(kQuarter, kC4) + note(kQuarter | kTied, kA4) + note(kEighth, kD4) + rest(kEighth) +
                  releasePoint(10) + note(kQuarter, kC4) + hold(5) + note(kQuarter, kD4) + hold(0) + releasePoint(0) +
                  note(kEighth, kC4) + note(kEighth, kA4) + releasePoint(200) + note(kEighth, kD4) + releasePoint(4) +
                  transpose(0xA1) + note(kEighth, kC4) + transpose(0x0C) + relativeTranspose(0x06) +
                  note(kEighth, kC4) + transpose(0x00) + detune(-256) + note(kEighth, kA4) + detune(0) +
                  portamento(100) + note(kEighth, kC4) + note(kEighth | kTied, kD4) + note(kEighth, kC4) +
                  portamento(0) + vib + note(kHalf, kA4) + rest(kSixteenth) + portaVibrato(true) + portamento(300) +
                  note(kQuarter, kC4) + rest(kSixteenth) + portaVibrato(false) + vibratoDepth(0) +
                  absolutePitch(kD4) + note(kEighth, kA4) + repeatStart(3) + note(kSixteenth, kC4) + repeatEnd() +
                  repeatEnd() + definePhrase(1) + note(kSixteenth, kD4) + phraseEnd() + definePhrase(17) +
                  note(kSixteenth, kA4) + callPhrase(1) + phraseEnd() + callPhrase(17) + utility(5) + jiffy(200) +
                  note(kUtility, kC4) + jiffy(-200) + note(kUtility | kTied, kD4) + jiffy(0) + rest(kQuarter) +
                  repeat(pair(0x05, 0x00), 255) + note(kSixteenth, kC4) + halt() + note(kSixteenth, kA4);
    s.voices[1] = pulseWidth(4090) + pulseSweep(3) + waveform(1) + sync(true) + ring(true) + attack(3) + decay(5) +
                  sustain(7) + release(9) + filterVoice(true) + note(kHalf, kC4) + pulseSweep(-3) + waveform(2) +
                  ring(false) + note(kQuarter, kD4) + pulseSweep(0) + pulseVibratoDepth(2) + pulseVibratoRate(2) +
                  note(kHalf, kA4) + pulseVibratoDepth(200) + pulseVibratoRate(1) + pulseWidth(4080) +
                  note(kQuarter, kC4) + utilityVoice(9) + note(kUtilityVoice, kD4) + callPhrase(5) + note(kWhole, kC4);
    s.voices[2] = cutoff(250) + cutoffSweep(3) + resonance(5) + filterMode(5) + filterExternal(true) +
                  voice3Off(true) + volume(9) + waveform(7) + note(kWhole, kA4) + cutoff(4) + cutoffSweep(-3) +
                  filterMode(2) + filterExternal(false) + voice3Off(false) + bump(true) + bump(false) + bump(false) +
                  tempo(100) + note(kWhole, kC4) + tempo(0) + note(kQuarter | kTriplet, kD4) +
                  note(kEighth | kDotted, kA4) + note(kSixteenth | kDoubleDotted, kC4) + volume(0) + bump(false) +
                  definePhrase(0) + note(kSixtyFourth, kD4) + callPhrase(0);
    return s;
}

TEST(MusPlayer, EveryCommandFrameByFrame) {
    std::string seen;
    char line[128];
    const MusRun run = runMus(featureSong().build(), 850);
    ASSERT_TRUE(run.loaded);
    for (const MusFrame& f : run.frames) {
        for (int v = 0; v < 3; ++v) {
            std::snprintf(line, sizeof line, "%04x %03x %02x%c%c %02x%02x  ", f.freq(v), f.pulse(v), f.ctrl(v),
                          f.gateSet[v] ? 's' : '-', f.gateCleared[v] ? 'c' : '-', f.ad(v), f.sr(v));
            seen += line;
        }
        std::snprintf(line, sizeof line, "%02x%02x %02x %02x %04x\n", f.reg[0x16], f.reg[0x15], f.reg[0x17],
                      f.reg[0x18], f.timer);
        seen += line;
    }
    expectGolden("mus-features", seen);
}

TEST(MusPlayer, PsidDataWithFlagBitZeroGetsThePlayer) {
    // A song as PSID data at $0900: the header's init and play addresses give
    // way to the player's.
    Song one;
    one.voices[0] = note(kQuarter, kA4);
    const std::vector<std::uint8_t> mus = one.build();
    const PsidBuilder psid{.load = 0x0900, .init = 0x1234, .play = 0x1237, .speed = 1, .flags = 0x05,
                           .code = std::vector<std::uint8_t>(mus.begin() + 2, mus.end())};
    const MusRun run = runMus(psid.build(), 2);
    ASSERT_TRUE(run.loaded);
    EXPECT_EQ(run.initAddress, 0xCC90);
    EXPECT_TRUE(run.irqAddress >= 0xC000 && run.irqAddress < 0xCC90);
    EXPECT_EQ(run.frames[0].freq(0), kFreqA4);
    EXPECT_TRUE(run.frames[0].gate(0));
}

} // namespace
} // namespace notecast::test
