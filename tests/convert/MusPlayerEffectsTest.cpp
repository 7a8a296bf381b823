// The built-in player, frame by frame: effects, shared registers, the flow
// of the voice streams, and the jiffy timer.
#include "convert/MusPlayerRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace notecast::test {
namespace {

using namespace mus;
using Values = std::vector<int>;

// value(frame) for the first `count` frames.
Values first(const std::vector<MusFrame>& frames, int count, int (*value)(const MusFrame&)) {
    Values out;
    for (int f = 0; f < count && static_cast<std::size_t>(f) < frames.size(); ++f)
        out.push_back(value(frames[static_cast<std::size_t>(f)]));
    return out;
}
int pulse1(const MusFrame& f) { return f.pulse(0); }
int cutoffHigh(const MusFrame& f) { return f.reg[0x16]; }

TEST(MusPlayerEffects, PortamentoGlidesAndStays) {
    const auto up = playMus(note(kQuarter, kC4) + portamento(100) + note(kQuarter, kD4), 45);
    EXPECT_EQ(freqs(up, 0, 35, 44), (Values{kFreqC4, kFreqC4, 4555, 4655, 4755, 4855, 4955, 5000, 5000}));
    const auto down = playMus(note(kQuarter, kD4) + portamento(200) + note(kQuarter, kC4), 41);
    EXPECT_EQ(freqs(down, 0, 36, 41), (Values{kFreqD4, 4800, 4600, 4455, 4455}));
    // A tied note glides too, without a new attack.
    const auto tied = playMus(note(kQuarter | kTied, kC4) + portamento(300) + note(kQuarter, kD4), 40);
    EXPECT_EQ(freqs(tied, 0, 36, 39), (Values{kFreqC4, 4755, kFreqD4}));
    EXPECT_TRUE(tied[36].gate(0));
    EXPECT_FALSE(tied[36].gateCleared[0]);
}

TEST(MusPlayerEffects, VibratoTriangle) {
    // Peak (7492 * 8) >> 10 = 58, rising over 4 jiffies, restarting with
    // every note.
    const auto f = playMus(vibratoDepth(8) + vibratoRate(4) + note(kWhole, kA4) + note(kWhole, kA4), 150);
    Values expected;
    for (int o : {0, 14, 29, 43, 58, 43, 29, 14, 0, -14, -29, -43, -58, -43, -29, -14, 0, 14})
        expected.push_back(kFreqA4 + o);
    EXPECT_EQ(freqs(f, 0, 0, 18), expected);
    EXPECT_EQ(freqs(f, 0, 144, 148), Values(expected.begin(), expected.begin() + 4));
    // It does not run in a rest (the pitch stays) and waits for a glide.
    const auto r = playMus(vibratoDepth(8) + vibratoRate(4) + note(kSixteenth, kA4) + rest(kQuarter) +
                           portamento(1000) + note(kQuarter, kC4), 51);
    EXPECT_EQ(freqs(r, 0, 9, 13), Values(4, kFreqA4));
    // The glide ends in jiffy 49; the vibrato (peak 34) starts there.
    EXPECT_EQ(freqs(r, 0, 45, 51),
              (Values{kFreqA4, kFreqA4 - 1000, kFreqA4 - 2000, kFreqA4 - 3000, kFreqC4 + 8, kFreqC4 + 17}));
}

TEST(MusPlayerEffects, PortamentoAndVibratoTogether) {
    // With P&V the vibrato runs during the glide and through rests.
    const auto f = playMus(vibratoDepth(8) + vibratoRate(4) + portaVibrato(true) +
                           note(kSixteenth, kA4) + rest(kSixteenth), 18);
    EXPECT_EQ((Values{f[9].freq(0), f[12].freq(0), f[17].freq(0)}),
              (Values{kFreqA4 - 14, kFreqA4 - 58, kFreqA4 + 14}));
    const auto g = playMus(note(kQuarter, kD4) + vibratoDepth(8) + vibratoRate(4) + portaVibrato(true) +
                           portamento(100) + note(kQuarter, kC4), 39);
    // Peak of the gliding frequency: (4900 * 8) >> 10 = 38, a quarter of it 9.
    EXPECT_EQ(g[37].freq(0), 4900 + 9);
}

TEST(MusPlayerEffects, PulseWidthSweepWrapsAndVibrates) {
    const auto up = playMus(pulseWidth(4090) + pulseSweep(3) + note(kQuarter, kC4), 5);
    EXPECT_EQ(first(up, 5, pulse1), (Values{4090, 4093, 0, 3, 6}));
    const auto down = playMus(pulseWidth(2) + pulseSweep(-3) + note(kQuarter, kC4), 3);
    EXPECT_EQ(first(down, 3, pulse1), (Values{2, 4095, 4092}));
    // Pulse-width vibrato: peak 2 * 16, a quarter period of 2 jiffies.
    const auto vib = playMus(pulseVibratoDepth(2) + pulseVibratoRate(2) + note(kQuarter, kC4), 9);
    EXPECT_EQ(first(vib, 9, pulse1), (Values{2048, 2064, 2080, 2064, 2048, 2032, 2016, 2032, 2048}));
    // It stays within twelve bits.
    const auto edge = playMus(pulseWidth(4080) + pulseVibratoDepth(200) + pulseVibratoRate(1) +
                              note(kQuarter, kC4), 4);
    EXPECT_EQ(first(edge, 4, pulse1), (Values{4080, 4095, 4080, 880}));
}

TEST(MusPlayerEffects, CutoffSweepStopsAtTheLimits) {
    const auto up = playMus(cutoff(250) + cutoffSweep(3) + note(kQuarter, kC4), 4);
    EXPECT_EQ(first(up, 4, cutoffHigh), (Values{250, 253, 255, 255}));
    const auto down = playMus(cutoff(4) + cutoffSweep(-3) + note(kQuarter, kC4), 4);
    EXPECT_EQ(first(down, 4, cutoffHigh), (Values{4, 1, 0, 0}));
}

TEST(MusPlayerRegisters, FilterVolumeAndVoiceSettings) {
    const auto f = playMus(cutoff(0x80) + resonance(5) + filterVoice(true) + filterMode(5) +
                           filterExternal(true) + voice3Off(true) + volume(9) +
                           waveform(1) + sync(true) + ring(true) + attack(3) + decay(5) +
                           sustain(7) + release(9) + note(kQuarter, kC4),
                           2, filterVoice(true) + waveform(0) + note(kQuarter, kC4),
                           filterVoice(true) + filterVoice(false) + waveform(7) + note(kQuarter, kC4));
    // $D417: resonance 5, external, voices 1 and 2; $D418: voice 3 off, low
    // and high pass, volume 9.
    EXPECT_EQ(Values(f[0].reg + 0x15, f[0].reg + 0x19), (Values{0x00, 0x80, 0x5B, 0xD9}));
    // Voice 1 triangle, ring, sync and gate; voice 2 noise; voice 3 pulse, saw and triangle.
    EXPECT_EQ((Values{f[0].ctrl(0), f[0].ad(0), f[0].sr(0), f[0].ctrl(1), f[0].ad(1), f[0].ctrl(2)}),
              (Values{0x17, 0x35, 0x79, 0x81, 0x00, 0x71}));

    // Switching off again; a waveform change keeps the ring and sync bits.
    const auto g = playMus(filterExternal(true) + filterExternal(false) + voice3Off(true) +
                           voice3Off(false) + sync(true) + ring(true) + ring(false) +
                           waveform(2) + filterMode(7) + filterMode(2) + note(kQuarter, kC4), 1);
    EXPECT_EQ((Values{g[0].reg[0x17], g[0].reg[0x18], g[0].ctrl(0)}), (Values{0x00, 0x2F, 0x23}));
}

TEST(MusPlayerRegisters, VolumeBumpsStayInRange) {
    struct Case {
        const char* what;
        Pairs setup;
        int volume;
    };
    const std::vector<Case> cases = {
        {"down twice", bump(false) + bump(false), 13},
        {"up at the top", bump(true), 15},
        {"down at the bottom", volume(0) + bump(false), 0},
        {"up from 4", volume(4) + bump(true), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(playMus(c.setup + note(kQuarter, kC4), 1)[0].reg[0x18], c.volume);
    }
}

TEST(MusPlayerFlow, RepeatedSections) {
    struct Case {
        const char* what;
        int passes;
        int notes;  // C4 notes before the A4
    };
    for (const Case& c : std::vector<Case>{{"three passes", 3, 3}, {"one pass", 1, 1}}) {
        SCOPED_TRACE(c.what);
        const auto f = playMus(repeatStart(c.passes) + note(kSixteenth, kC4) + repeatEnd() +
                               repeatEnd() + note(kSixteenth, kA4),
                               9 * (c.notes + 1));
        for (int n = 0; n < c.notes; ++n) EXPECT_EQ(f[static_cast<std::size_t>(9 * n)].freq(0), kFreqC4);
        EXPECT_EQ(f[static_cast<std::size_t>(9 * c.notes)].freq(0), kFreqA4);
    }
    // HED 0 repeats forever; a new HED replaces the open one.
    const auto endless = playMus(repeatStart(2) + note(kSixteenth, kD4) + repeatStart(0) +
                                 note(kSixteenth, kC4) + repeatEnd() + note(kSixteenth, kA4), 9 * 40);
    EXPECT_EQ(endless[0].freq(0), kFreqD4);
    EXPECT_EQ(gateRises(endless, 0).size(), 40u);
    EXPECT_EQ(endless[9 * 39].freq(0), kFreqC4);
}

TEST(MusPlayerFlow, PhrasesNestAndReturn) {
    // Phrase 1 plays where it is defined, END is ignored there; phrase 17
    // calls phrase 1; voice 2 calls a phrase that voice 1 defined.
    const auto f = playMus(definePhrase(1) + note(kSixteenth, kC4) + phraseEnd() +
                           definePhrase(17) + note(kSixteenth, kD4) + callPhrase(1) + phraseEnd() +
                           callPhrase(17) + note(kSixteenth, kA4),
                           54, rest(kQuarter) + callPhrase(17) + note(kSixteenth, kA4));
    ASSERT_EQ(f.size(), 54u);
    const int expected1[] = {kFreqC4, kFreqD4, kFreqC4, kFreqD4, kFreqC4, kFreqA4};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(f[static_cast<std::size_t>(9 * n)].freq(0), expected1[n]) << n;
    EXPECT_EQ(f[36].freq(1), kFreqD4);
    EXPECT_EQ(f[45].freq(1), kFreqC4);
    EXPECT_EQ(gateRises(f, 1), (std::vector<int>{36, 45}));
}

TEST(MusPlayerFlow, VoicesThatStop) {
    struct Case {
        const char* what;
        Pairs stream;
        int notes;  // notes played before the voice stops
    };
    const std::vector<Case> cases = {
        {"halt", note(kSixteenth, kC4) + halt() + note(kSixteenth, kA4), 1},
        {"undefined phrase", note(kSixteenth, kC4) + callPhrase(5) + note(kSixteenth, kA4), 1},
        {"calls nest eight deep", definePhrase(0) + note(kSixteenth, kC4) + callPhrase(0), 9},
        {"a loop without notes", note(kSixteenth, kC4) + repeatStart(0) + volume(8) + repeatEnd(), 1},
        {"unknown pairs count too", note(kSixteenth, kC4) + repeat(pair(0x05, 0x00), 256) +
                                        note(kSixteenth, kA4), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Voice 2 keeps playing, so the shared registers are still written.
        const int frames = 9 * c.notes + 20;
        const auto f = playMus(c.stream, frames, repeat(note(kSixteenth, kD4), 20));
        EXPECT_EQ(gateRises(f, 0).size(), static_cast<std::size_t>(c.notes));
        const std::size_t stop = static_cast<std::size_t>(9 * c.notes);
        EXPECT_TRUE(f[stop - 5].gate(0));
        for (std::size_t i = stop; i < f.size(); ++i) EXPECT_EQ(f[i].ctrl(0), 0x40) << i;
        EXPECT_TRUE(f[stop + 10].gateSet[1] || f[stop + 10].gateCleared[1]);
    }
    // A halt closes a gate that is still open.
    const auto held = playMus(releasePoint(0) + note(kSixteenth, kC4) + halt(), 11);
    EXPECT_TRUE(held[8].gate(0));
    EXPECT_TRUE(held[9].gateCleared[0]);
    EXPECT_EQ(held[10].ctrl(0), 0x40);
    // 255 skipped pairs are still read through in one jiffy.
    const auto many =
        playMus(note(kSixteenth, kC4) + repeat(pair(0x05, 0x00), 255) + note(kSixteenth, kA4), 10);
    EXPECT_EQ(many[9].freq(0), kFreqA4);
}

TEST(MusPlayerFlow, AllVoicesHaltedKeepTheGatesClear) {
    const auto f = playMus(releasePoint(0) + note(kSixteenth, kC4), 20,
                           releasePoint(0) + note(kEighth, kD4), releasePoint(0) + note(kSixteenth, kA4));
    EXPECT_EQ(gates(f, 0), std::string(9, '#') + std::string(11, '.'));
    EXPECT_EQ(gates(f, 1), std::string(18, '#') + "..");
    EXPECT_EQ(gates(f, 2), gates(f, 0));
    // Once every voice has stopped, only the control registers are written.
    const auto g = playMus(volume(3) + note(kSixteenth, kC4), 12);
    EXPECT_TRUE(g[10].gateCleared[0]);
    EXPECT_EQ(g[10].reg[0x18], 3);
}

TEST(MusPlayerTimer, JiffyLengthAdjustsTheTimer) {
    Song s;
    s.voices[0] = note(kSixteenth, kC4) + jiffy(10) + note(kSixteenth, kC4) + jiffy(-200) +
                  note(kSixteenth, kC4) + jiffy(757) + note(kSixteenth, kC4) + jiffy(0) +
                  note(kSixteenth, kC4);
    const MusRun run = runMus(s.build(), 40);
    ASSERT_TRUE(run.loaded);
    const auto& f = run.frames;
    EXPECT_EQ((Values{run.initTimer, f[8].timer, f[9].timer, f[18].timer, f[27].timer, f[36].timer}),
              (Values{16421, 16421, 16421 + 160, 16421 - 3200, 16421 + 757 * 16, 16421}));
    // How JIF values are encoded in a pair.
    EXPECT_EQ(jiffy(-1), (Pairs{0xFE, 0xFF}));
    EXPECT_EQ(jiffy(-200), (Pairs{0x3E, 0xCE}));
    EXPECT_EQ(jiffy(757), (Pairs{0x7E, 0xBD}));
}

TEST(MusPlayerPsid, FlagBitZeroBringsThePlayer) {
    // The same song as PSID data at $0900 with flag bit 0 set: the header's
    // init and play addresses give way to the player's.
    Song s;
    s.voices[0] = note(kQuarter, kA4);
    const std::vector<std::uint8_t> mus = s.build();
    PsidBuilder psid;
    psid.load = 0x0900;
    psid.init = 0x1234;
    psid.play = 0x1237;
    psid.flags = 0x05;
    psid.speed = 1;
    psid.code.assign(mus.begin() + 2, mus.end());
    const MusRun run = runMus(psid.build(), 2);
    ASSERT_TRUE(run.loaded);
    EXPECT_EQ(run.initAddress, 0xCC90);
    EXPECT_GE(run.irqAddress, 0xC000);
    EXPECT_LT(run.irqAddress, 0xCC90);
    EXPECT_EQ(run.frames[0].freq(0), kFreqA4);
    EXPECT_TRUE(run.frames[0].gate(0));
}

} // namespace
} // namespace notecast::test
