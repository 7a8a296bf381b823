// The built-in player, frame by frame: note lengths, gates and pitches.
#include "convert/MusPlayerRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace notecast::test {
namespace {

using namespace mus;
using Changes = std::vector<std::pair<int, int>>;

std::string repeated(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

TEST(MusPlayerTiming, DefaultTempoAndReleasePoint) {
    // W = 144: a quarter is 36 jiffies, released 4 before its end.
    const auto f = playMus(note(kQuarter, kC4) + note(kQuarter, kA4), 80);
    EXPECT_EQ(gates(f), repeated('#', 32) + "...." + repeated('#', 32) + repeated('.', 12));
    EXPECT_EQ(freqChanges(f, 0, 80), (Changes{{0, kFreqC4}, {36, kFreqA4}}));
    // A pulse wave of width 2048, ADSR 00F0, volume 15.
    EXPECT_EQ((std::vector<int>{f[0].ctrl(0), f[0].pulse(0), f[0].ad(0), f[0].sr(0), f[0].reg[0x18]}),
              (std::vector<int>{0x41, 2048, 0x00, 0xF0, 0x0F}));
}

TEST(MusPlayerTiming, EveryDurationCode) {
    struct Case {
        const char* what;
        int whole;
        std::uint8_t duration;
        int jiffies;
    };
    const std::vector<Case> cases = {
        {"whole", 192, kWhole, 192},                  {"half", 192, kHalf, 96},
        {"quarter", 192, kQuarter, 48},               {"eighth", 192, kEighth, 24},
        {"sixteenth", 192, kSixteenth, 12},           {"thirty-second", 192, kThirtySecond, 6},
        {"sixty-fourth", 192, kSixtyFourth, 3},
        {"sixty-fourth without bit 5", 192, 0x00 | 0x40, 3},  // $40: tied 64th
        {"dotted quarter", 192, kQuarter | kDotted, 72},
        {"dotted whole", 192, kWhole | kDotted, 288},
        {"double-dotted quarter", 192, kQuarter | kDoubleDotted, 84},
        {"double-dotted whole", 256, kWhole | kDoubleDotted, 448},
        {"triplet quarter", 192, kQuarter | kTriplet, 32},
        {"triplet sixty-fourth $A0", 192, 0xA0, 2},   {"triplet sixty-fourth $80", 192, 0x80, 2},
        {"tempo 0 is 256", 0, kWhole, 256},
        {"truncated dotted sixteenth", 100, kSixteenth | kDotted, 9},
        {"truncated triplet eighth", 100, kEighth | kTriplet, 8},
        {"double-dotted sixteenth", 100, kSixteenth | kDoubleDotted, 10},
        {"zero length plays as 1", 50, kSixtyFourth, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The note after the measured one starts right at its end.
        const auto f = playMus(tempo(c.whole) + releasePoint(0) + note(c.duration, kC4) + note(kWhole, kA4),
                               c.jiffies + 2);
        EXPECT_EQ(freqs(f, 0, c.jiffies - 1, c.jiffies + 1), (std::vector<int>{kFreqC4, kFreqA4}));
    }
}

TEST(MusPlayerTiming, UtilityDurations) {
    // UTL is shared by the voices, UTV belongs to one voice; neither is scaled.
    const auto f = playMus(tempo(7) + utility(5) + utilityVoice(9) + note(kUtility, kC4) +
                               note(kUtilityVoice, kD4) + note(kUtility | kTied, kA4) + note(kQuarter, kC4),
                           30, utilityVoice(3) + note(kUtilityVoice, kC4) + note(kUtility, kD4) +
                                   note(kQuarter, kA4));
    EXPECT_EQ(freqChanges(f, 0, 20), (Changes{{0, kFreqC4}, {5, kFreqD4}, {14, kFreqA4}, {19, kFreqC4}}));
    EXPECT_EQ(freqChanges(f, 1, 9), (Changes{{0, kFreqC4}, {3, kFreqD4}, {8, kFreqA4}}));
    // A utility length of 0 plays as one jiffy.
    EXPECT_EQ(freqs(playMus(note(kUtility, kC4) + note(kQuarter, kA4), 3), 0, 0, 2),
              (std::vector<int>{kFreqC4, kFreqA4}));
}

TEST(MusPlayerTiming, TempoAppliesToLaterNotesOfEveryVoice) {
    // Voice 2 changes the tempo at jiffy 0, after voice 1 has started its note.
    const auto f = playMus(note(kQuarter, kC4) + note(kQuarter, kA4) + note(kQuarter, kD4), 90,
                           tempo(64) + note(kWhole, kC4));
    EXPECT_EQ(freqChanges(f, 0, 53), (Changes{{0, kFreqC4}, {36, kFreqA4}, {52, kFreqD4}}));
}

TEST(MusPlayerGates, ReleasePointAndHold) {
    struct Case {
        const char* what;
        Pairs setup;
        std::string gate;  // voice 1 over two quarters (72 jiffies) and 4 more
    };
    const std::vector<Case> cases = {
        {"release point 10", releasePoint(10),
         repeated('#', 26) + repeated('.', 10) + repeated('#', 26) + repeated('.', 10) + "####"},
        {"release point beyond the note releases after one jiffy", releasePoint(200),
         "#" + repeated('.', 35) + "#" + repeated('.', 35) + "#..."},
        {"hold 5", hold(5), repeated('#', 5) + repeated('.', 31) + repeated('#', 5) +
                                repeated('.', 31) + "####"},
        {"hold wins over the release point", releasePoint(10) + hold(20),
         repeated('#', 20) + repeated('.', 16) + repeated('#', 20) + repeated('.', 16) + "####"},
        {"release point 0 is legato", releasePoint(0), repeated('#', 76)},
        {"hold as long as the note is legato", hold(36), repeated('#', 76)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto f =
            playMus(c.setup + note(kQuarter, kC4) + note(kQuarter, kA4) + note(kQuarter, kD4), 76);
        EXPECT_EQ(gates(f).substr(0, 76), c.gate);
        EXPECT_EQ(f[36].freq(0), kFreqA4);
    }
    // Legato: the second note writes its gate while it is still set, so
    // the converter sees no new gate.
    const auto legato = playMus(releasePoint(0) + note(kQuarter, kC4) + note(kQuarter, kA4), 40);
    EXPECT_FALSE(legato[36].gateCleared[0]);
}

TEST(MusPlayerGates, TiesSlursAndRests) {
    // Tied C4 slurs into A4 without a new attack; A4 is released normally.
    const auto slur = playMus(note(kQuarter | kTied, kC4) + note(kQuarter, kA4) + rest(kQuarter), 80);
    EXPECT_EQ(gates(slur), repeated('#', 68) + repeated('.', 12));
    EXPECT_EQ(freqChanges(slur, 0, 80), (Changes{{0, kFreqC4}, {36, kFreqA4}}));
    EXPECT_FALSE(slur[36].gateSet[0] && slur[36].gateCleared[0]);

    // A rest after a tied note starts the release; a rest leaves the pitch.
    const auto tiedRest = playMus(note(kQuarter | kTied, kC4) + rest(kQuarter) + note(kQuarter, kA4), 80);
    EXPECT_EQ(gates(tiedRest), repeated('#', 36) + repeated('.', 36) + repeated('#', 8));
    EXPECT_EQ(freqChanges(tiedRest, 0, 80), (Changes{{0, kFreqC4}, {72, kFreqA4}}));

    // A tied rest does not carry the tie over to the next note.
    EXPECT_EQ(gates(playMus(rest(kQuarter | kTied) + note(kQuarter, kA4), 40)), repeated('.', 36) + "####");
}

TEST(MusPlayerPitch, NotesAccidentalsAndOctaves) {
    struct Case {
        const char* what;
        std::uint8_t pitchByte;
        int semitone;
    };
    const std::vector<Case> cases = {
        {"C4", 0x99, 48}, {"C0", 0xB9, 0}, {"C7", 0x81, 84}, {"C#3", 0x61, 37},
        {"Cb3", 0xE1, 35}, {"C##3", 0x21, 38}, {"Ebb3", 0x23, 38}, {"F5", 0x94, 65},
        {"A4", 0x9E, 57}, {"B7", 0x87, 95}, {"B#7 folds down an octave", 0x47, 84},
        {"Cb0 folds up an octave", 0xF9, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(playMus(note(kQuarter, c.pitchByte), 1)[0].freq(0), musNoteFrequency(c.semitone));
    }
}

TEST(MusPlayerPitch, TranspositionAndDetune) {
    struct Case {
        const char* what;
        Pairs setup;
        std::uint8_t pitchByte;
        int expected;  // frequency register
    };
    const std::vector<Case> cases = {
        {"TPS +12", transpose(0x0C), kC4, musNoteFrequency(60)},
        {"TPS -1", transpose(0xA1), kC4, musNoteFrequency(47)},
        {"TPS +95 folds into the top octave", transpose(0xB0), kC4, musNoteFrequency(95)},
        {"TPS -95 folds into the bottom octave", transpose(0x0F), kC4, musNoteFrequency(1)},
        {"RTP +1 twice", relativeTranspose(0x63) + relativeTranspose(0x63), kC4,
         musNoteFrequency(50)},
        {"RTP -47 after TPS +12", transpose(0x0C) + relativeTranspose(0x06), kC4,
         musNoteFrequency(13)},
        {"TPS replaces the RTP sum", relativeTranspose(0xB0) + transpose(0x1E), kC4,
         musNoteFrequency(49)},
        {"many RTP steps keep their pitch class",
         repeat(relativeTranspose(0xB0), 9) + relativeTranspose(0x06), kC4,
         musNoteFrequency(88)},
        {"DTN +100", detune(100), kA4, kFreqA4 + 100},
        {"DTN -256", detune(-256), kA4, kFreqA4 - 256},
        {"DTN +2047", detune(2047), kA4, kFreqA4 + 2047},
        {"DTN clamps at 0", detune(-2048), pitch('C', 0), 0},
        {"DTN clamps at $FFFF", detune(1), pitch('B', 7), 0xFFFF},
        {"DTN below B7", detune(-100), pitch('B', 7), 0xFFFF - 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(playMus(c.setup + note(kQuarter, c.pitchByte), 1)[0].freq(0), c.expected);
    }
}

TEST(MusPlayerPitch, AbsolutePitchSetsTheFrequencyAtOnce) {
    // No time passes and the gate is untouched: the set happens in the
    // jiffy of the next note, which it does not delay.
    const auto f = playMus(note(kQuarter, kC4) + transpose(0x0C) + detune(5) + absolutePitch(kA4) +
                               rest(kQuarter), 40);
    EXPECT_EQ(f[36].freq(0), musNoteFrequency(69) + 5);
    EXPECT_FALSE(f[36].gate(0));

    // A following note with portamento glides from the frequency set.
    const auto g =
        playMus(note(kQuarter, kC4) + absolutePitch(kD4) + portamento(100) + note(kQuarter, kA4), 39);
    EXPECT_EQ(freqs(g, 0, 35, 39), (std::vector<int>{kFreqC4, kFreqD4, kFreqD4 + 100, kFreqD4 + 200}));
}

} // namespace
} // namespace notecast::test
