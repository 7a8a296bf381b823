// The built-in MUS player, frame by frame (one play call a jiffy): note
// lengths, gates, pitches, effects, shared registers, the flow of the voice
// streams and the jiffy timer.
#include "convert/MusPlayerRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace notecast::test {
namespace {

using namespace mus;
using Values = std::vector<int>;
using Changes = std::vector<std::pair<int, int>>;

std::string repeated(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

int freq1(const MusFrame& f) { return f.freq(0); }
int pulse1(const MusFrame& f) { return f.pulse(0); }
int cutoffHigh(const MusFrame& f) { return f.reg[0x16]; }

TEST(MusPlayerTiming, DefaultsEveryDurationCodeAndTheUtilityLengths) {
    // W = 144: a quarter is 36 jiffies, released 4 before its end; a pulse
    // wave of width 2048, ADSR 00F0, volume 15.
    const auto f = playMus(note(kQuarter, kC4) + note(kQuarter, kA4), 80);
    EXPECT_EQ(gates(f), repeated('#', 32) + "...." + repeated('#', 32) + repeated('.', 12));
    EXPECT_EQ(freqChanges(f, 0, 80), (Changes{{0, kFreqC4}, {36, kFreqA4}}));
    EXPECT_EQ((Values{f[0].ctrl(0), f[0].pulse(0), f[0].ad(0), f[0].sr(0), f[0].reg[0x18]}),
              (Values{0x41, 2048, 0x00, 0xF0, 0x0F}));

    const struct {
        const char* what;
        int whole;
        std::uint8_t duration;
        int jiffies;
    } cases[] = {
        {"whole", 192, kWhole, 192},                  {"half", 192, kHalf, 96},
        {"quarter", 192, kQuarter, 48},               {"eighth", 192, kEighth, 24},
        {"sixteenth", 192, kSixteenth, 12},           {"thirty-second", 192, kThirtySecond, 6},
        {"sixty-fourth", 192, kSixtyFourth, 3},       {"$40: tied 64th without bit 5", 192, 0x40, 3},
        {"dotted quarter", 192, kQuarter | kDotted, 72},
        {"dotted whole", 192, kWhole | kDotted, 288},
        {"double-dotted quarter", 192, kQuarter | kDoubleDotted, 84},
        {"double-dotted whole", 256, kWhole | kDoubleDotted, 448},
        {"triplet quarter", 192, kQuarter | kTriplet, 32},
        {"triplet sixty-fourth $A0", 192, 0xA0, 2},   {"triplet sixty-fourth $80", 192, 0x80, 2},
        {"tempo 0 is 256", 0, kWhole, 256},
        {"double-dotted sixteenth", 100, kSixteenth | kDoubleDotted, 10},
        {"zero length plays as 1", 50, kSixtyFourth, 1},
    };
    for (const auto& c : cases) {
        // The note after the measured one starts right at its end.
        const auto g = playMus(tempo(c.whole) + releasePoint(0) + note(c.duration, kC4) + note(kWhole, kA4),
                               c.jiffies + 2);
        EXPECT_EQ(freqs(g, 0, c.jiffies - 1, c.jiffies + 1), (Values{kFreqC4, kFreqA4})) << c.what;
    }

    // UTL is shared by the voices, UTV belongs to one voice; neither is
    // scaled, and a length of 0 plays as one jiffy.
    const auto u = playMus(tempo(7) + utility(5) + utilityVoice(9) + note(kUtility, kC4) +
                               note(kUtilityVoice, kD4) + note(kUtility | kTied, kA4) + note(kQuarter, kC4),
                           30, utilityVoice(3) + note(kUtilityVoice, kC4) + note(kUtility, kD4) + note(kQuarter, kA4));
    EXPECT_EQ(freqChanges(u, 0, 20), (Changes{{0, kFreqC4}, {5, kFreqD4}, {14, kFreqA4}, {19, kFreqC4}}));
    EXPECT_EQ(freqChanges(u, 1, 9), (Changes{{0, kFreqC4}, {3, kFreqD4}, {8, kFreqA4}}));
    EXPECT_EQ(freqs(playMus(note(kUtility, kC4) + note(kQuarter, kA4), 3), 0, 0, 2), (Values{kFreqC4, kFreqA4}));
}

TEST(MusPlayerGates, ReleasePointHoldTiesAndRests) {
    const struct {
        const char* what;
        Pairs setup;
        std::string gate;  // voice 1 over two quarters (72 jiffies) and 4 more
    } cases[] = {
        {"release point 10", releasePoint(10),
         repeated('#', 26) + repeated('.', 10) + repeated('#', 26) + repeated('.', 10) + "####"},
        {"release point beyond the note releases after one jiffy", releasePoint(200),
         "#" + repeated('.', 35) + "#" + repeated('.', 35) + "#..."},
        {"hold 5", hold(5), repeated('#', 5) + repeated('.', 31) + repeated('#', 5) + repeated('.', 31) + "####"},
        {"hold wins over the release point", releasePoint(10) + hold(20),
         repeated('#', 20) + repeated('.', 16) + repeated('#', 20) + repeated('.', 16) + "####"},
        {"release point 0 is legato", releasePoint(0), repeated('#', 76)},
        {"hold as long as the note is legato", hold(36), repeated('#', 76)},
    };
    for (const auto& c : cases) {
        const auto f = playMus(c.setup + note(kQuarter, kC4) + note(kQuarter, kA4) + note(kQuarter, kD4), 76);
        EXPECT_EQ(gates(f), c.gate) << c.what;
        EXPECT_EQ(f[36].freq(0), kFreqA4) << c.what;
    }
    // Legato: the second note writes its gate while it is still set, so the
    // converter sees no new gate.
    EXPECT_FALSE(playMus(releasePoint(0) + note(kQuarter, kC4) + note(kQuarter, kA4), 40)[36].gateCleared[0]);

    // Tied C4 slurs into A4 without a new attack; A4 is released normally.
    const auto slur = playMus(note(kQuarter | kTied, kC4) + note(kQuarter, kA4) + rest(kQuarter), 80);
    EXPECT_EQ(gates(slur), repeated('#', 68) + repeated('.', 12));
    EXPECT_EQ(freqChanges(slur, 0, 80), (Changes{{0, kFreqC4}, {36, kFreqA4}}));
    EXPECT_FALSE(slur[36].gateSet[0] && slur[36].gateCleared[0]);
    // A rest after a tied note starts the release and leaves the pitch.
    const auto tiedRest = playMus(note(kQuarter | kTied, kC4) + rest(kQuarter) + note(kQuarter, kA4), 80);
    EXPECT_EQ(gates(tiedRest), repeated('#', 36) + repeated('.', 36) + repeated('#', 8));
    EXPECT_EQ(freqChanges(tiedRest, 0, 80), (Changes{{0, kFreqC4}, {72, kFreqA4}}));
    // A tied rest does not carry the tie over to the next note.
    EXPECT_EQ(gates(playMus(rest(kQuarter | kTied) + note(kQuarter, kA4), 40)), repeated('.', 36) + "####");
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

// Vibrato with peak (7492 * 8) >> 10 = 58, rising over 4 jiffies.
Values vibratoFrom(int base, std::initializer_list<int> offsets) {
    Values v;
    for (int o : offsets) v.push_back(base + o);
    return v;
}

TEST(MusPlayerEffects, GlidesVibratoAndSweeps) {
    const Pairs vib = vibratoDepth(8) + vibratoRate(4);
    const struct {
        const char* what;
        Pairs stream;
        int (*value)(const MusFrame&);
        int from;
        Values expected;
    } cases[] = {
        {"portamento up", note(kQuarter, kC4) + portamento(100) + note(kQuarter, kD4), freq1, 35,
         {kFreqC4, kFreqC4, 4555, 4655, 4755, 4855, 4955, 5000, 5000}},
        {"a tied note glides too", note(kQuarter | kTied, kC4) + portamento(300) + note(kQuarter, kD4), freq1, 36,
         {kFreqC4, 4755, kFreqD4}},
        {"vibrato triangle", vib + note(kWhole, kA4) + note(kWhole, kA4), freq1, 0,
         vibratoFrom(kFreqA4, {0, 14, 29, 43, 58, 43, 29, 14, 0, -14, -29, -43, -58, -43, -29, -14, 0, 14})},
        {"vibrato restarts with every note", vib + note(kWhole, kA4) + note(kWhole, kA4), freq1, 144,
         vibratoFrom(kFreqA4, {0, 14, 29, 43})},
        {"no vibrato in a rest", vib + note(kSixteenth, kA4) + rest(kQuarter), freq1, 9, Values(4, kFreqA4)},
        // The glide ends in jiffy 49; the vibrato (peak 34) starts there.
        {"vibrato waits for a glide", vib + note(kSixteenth, kA4) + rest(kQuarter) + portamento(1000) +
         note(kQuarter, kC4), freq1, 45,
         {kFreqA4, kFreqA4 - 1000, kFreqA4 - 2000, kFreqA4 - 3000, kFreqC4 + 8, kFreqC4 + 17}},
        {"P&V: vibrato through rests", vib + portaVibrato(true) + note(kSixteenth, kA4) + rest(kSixteenth), freq1, 9,
         vibratoFrom(kFreqA4, {-14, -29, -43, -58, -43, -29, -14, 0, 14})},
        {"pulse sweep wraps up", pulseWidth(4090) + pulseSweep(3) + note(kQuarter, kC4), pulse1, 0,
         {4090, 4093, 0, 3, 6}},
        // Peak 2 * 16, a quarter period of 2 jiffies; within twelve bits.
        {"pulse vibrato", pulseVibratoDepth(2) + pulseVibratoRate(2) + note(kQuarter, kC4), pulse1, 0,
         {2048, 2064, 2080, 2064, 2048, 2032, 2016, 2032, 2048}},
        {"pulse vibrato at the edge", pulseWidth(4080) + pulseVibratoDepth(200) + pulseVibratoRate(1) +
         note(kQuarter, kC4), pulse1, 0, {4080, 4095, 4080, 880}},
        {"cutoff sweep stops at the top", cutoff(250) + cutoffSweep(3) + note(kQuarter, kC4), cutoffHigh, 0,
         {250, 253, 255, 255}},
    };
    for (const auto& c : cases) {
        const int to = c.from + static_cast<int>(c.expected.size());
        const auto f = playMus(c.stream, to);
        Values seen;
        for (int i = c.from; i < to && static_cast<std::size_t>(i) < f.size(); ++i) seen.push_back(c.value(f[i]));
        EXPECT_EQ(seen, c.expected) << c.what;
    }
    const auto tied = playMus(note(kQuarter | kTied, kC4) + portamento(300) + note(kQuarter, kD4), 40);
    EXPECT_TRUE(tied[36].gate(0) && !tied[36].gateCleared[0]);  // no new attack
}

TEST(MusPlayerRegisters, FilterVolumeAndVoiceSettings) {
    const auto f = playMus(cutoff(0x80) + resonance(5) + filterVoice(true) + filterMode(5) + filterExternal(true) +
                               voice3Off(true) + volume(9) + waveform(1) + sync(true) + ring(true) + attack(3) +
                               decay(5) + sustain(7) + release(9) + note(kQuarter, kC4),
                           2, filterVoice(true) + waveform(0) + note(kQuarter, kC4),
                           filterVoice(true) + filterVoice(false) + waveform(7) + note(kQuarter, kC4));
    // $D417: resonance 5, external, voices 1 and 2; $D418: voice 3 off, low
    // and high pass, volume 9. Voice 1 triangle, ring, sync and gate; voice
    // 2 noise; voice 3 pulse, saw and triangle.
    EXPECT_EQ(Values(f[0].reg + 0x15, f[0].reg + 0x19), (Values{0x00, 0x80, 0x5B, 0xD9}));
    EXPECT_EQ((Values{f[0].ctrl(0), f[0].ad(0), f[0].sr(0), f[0].ctrl(1), f[0].ad(1), f[0].ctrl(2)}),
              (Values{0x17, 0x35, 0x79, 0x81, 0x00, 0x71}));
    // Switching off again; a waveform change keeps the ring and sync bits.
    const auto g = playMus(filterExternal(true) + filterExternal(false) + voice3Off(true) + voice3Off(false) +
                               sync(true) + ring(true) + ring(false) + waveform(2) + filterMode(7) + filterMode(2) +
                               note(kQuarter, kC4), 1);
    EXPECT_EQ((Values{g[0].reg[0x17], g[0].reg[0x18], g[0].ctrl(0)}), (Values{0x00, 0x2F, 0x23}));
    // Volume bumps stay within 0-15.
    const std::pair<Pairs, int> bumps[] = {{bump(false) + bump(false), 13}, {bump(true), 15},
                                           {volume(0) + bump(false), 0},   {volume(4) + bump(true), 5}};
    for (const auto& [setup, level] : bumps) EXPECT_EQ(playMus(setup + note(kQuarter, kC4), 1)[0].reg[0x18], level);
}

TEST(MusPlayerFlow, RepeatsAndPhrases) {
    for (const auto& [passes, notes] : {std::pair{3, 3}, std::pair{1, 1}}) {
        const auto f = playMus(repeatStart(passes) + note(kSixteenth, kC4) + repeatEnd() + repeatEnd() +
                                   note(kSixteenth, kA4), 9 * (notes + 1));
        for (int n = 0; n < notes; ++n) EXPECT_EQ(f[static_cast<std::size_t>(9 * n)].freq(0), kFreqC4) << passes;
        EXPECT_EQ(f[static_cast<std::size_t>(9 * notes)].freq(0), kFreqA4) << passes;
    }

    // Phrase 1 plays where it is defined, END is ignored there; phrase 17
    // calls phrase 1; voice 2 calls a phrase that voice 1 defined.
    const auto f = playMus(definePhrase(1) + note(kSixteenth, kC4) + phraseEnd() + definePhrase(17) +
                               note(kSixteenth, kD4) + callPhrase(1) + phraseEnd() + callPhrase(17) +
                               note(kSixteenth, kA4),
                           54, rest(kQuarter) + callPhrase(17) + note(kSixteenth, kA4));
    ASSERT_EQ(f.size(), 54u);
    EXPECT_EQ((Values{f[0].freq(0), f[9].freq(0), f[18].freq(0), f[27].freq(0), f[36].freq(0), f[45].freq(0)}),
              (Values{kFreqC4, kFreqD4, kFreqC4, kFreqD4, kFreqC4, kFreqA4}));
    EXPECT_EQ((Values{f[36].freq(1), f[45].freq(1)}), (Values{kFreqD4, kFreqC4}));
    EXPECT_EQ(gateRises(f, 1), (std::vector<int>{36, 45}));
}

TEST(MusPlayerFlow, VoicesThatStop) {
    const struct {
        const char* what;
        Pairs stream;
        int notes;  // notes played before the voice stops
    } cases[] = {
        {"halt", note(kSixteenth, kC4) + halt() + note(kSixteenth, kA4), 1},
        {"undefined phrase", note(kSixteenth, kC4) + callPhrase(5) + note(kSixteenth, kA4), 1},
        {"calls nest eight deep", definePhrase(0) + note(kSixteenth, kC4) + callPhrase(0), 9},
        {"a loop without notes", note(kSixteenth, kC4) + repeatStart(0) + volume(8) + repeatEnd(), 1},
        {"unknown pairs count too", note(kSixteenth, kC4) + repeat(pair(0x05, 0x00), 256) + note(kSixteenth, kA4), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Voice 2 keeps playing, so the shared registers are still written.
        const auto f = playMus(c.stream, 9 * c.notes + 20, repeat(note(kSixteenth, kD4), 20));
        EXPECT_EQ(gateRises(f, 0).size(), static_cast<std::size_t>(c.notes));
        const std::size_t stop = static_cast<std::size_t>(9 * c.notes);
        EXPECT_TRUE(f[stop - 5].gate(0));
        for (std::size_t i = stop; i < f.size(); ++i) EXPECT_EQ(f[i].ctrl(0), 0x40) << i;
        EXPECT_TRUE(f[stop + 10].gateSet[1] || f[stop + 10].gateCleared[1]);
    }
    // A halt closes a gate that is still open; once every voice has stopped,
    // only the control registers are written.
    const auto f = playMus(releasePoint(0) + note(kSixteenth, kC4), 20, releasePoint(0) + note(kEighth, kD4),
                           releasePoint(0) + volume(3) + note(kSixteenth, kA4));
    EXPECT_EQ(gates(f, 0), repeated('#', 9) + repeated('.', 11));
    EXPECT_TRUE(f[9].gateCleared[0]);
    EXPECT_EQ(gates(f, 1), repeated('#', 18) + "..");
    EXPECT_EQ(gates(f, 2), gates(f, 0));
    EXPECT_TRUE(f[19].gateCleared[2]);
    EXPECT_EQ(f[19].reg[0x18], 3);
}

TEST(MusPlayerTimer, JiffyLengthAdjustsTheTimerAndPsidTunesGetThePlayer) {
    Song s;
    s.voices[0] = note(kSixteenth, kC4) + jiffy(10) + note(kSixteenth, kC4) + jiffy(-200) + note(kSixteenth, kC4) +
                  jiffy(757) + note(kSixteenth, kC4) + jiffy(0) + note(kSixteenth, kC4);
    const MusRun run = runMus(s.build(), 40);
    ASSERT_TRUE(run.loaded);
    const auto& f = run.frames;
    EXPECT_EQ((Values{run.initTimer, f[8].timer, f[9].timer, f[18].timer, f[27].timer, f[36].timer}),
              (Values{16421, 16421, 16421 + 160, 16421 - 3200, 16421 + 757 * 16, 16421}));

    // The same kind of song as PSID data at $0900 with flag bit 0 set: the
    // header's init and play addresses give way to the player's.
    Song one;
    one.voices[0] = note(kQuarter, kA4);
    const std::vector<std::uint8_t> mus = one.build();
    PsidBuilder psid;
    psid.load = 0x0900;
    psid.init = 0x1234;
    psid.play = 0x1237;
    psid.flags = 0x05;
    psid.speed = 1;
    psid.code.assign(mus.begin() + 2, mus.end());
    const MusRun player = runMus(psid.build(), 2);
    ASSERT_TRUE(player.loaded);
    EXPECT_EQ(player.initAddress, 0xCC90);
    EXPECT_GE(player.irqAddress, 0xC000);
    EXPECT_LT(player.irqAddress, 0xCC90);
    EXPECT_EQ(player.frames[0].freq(0), kFreqA4);
    EXPECT_TRUE(player.frames[0].gate(0));
}

} // namespace
} // namespace notecast::test
