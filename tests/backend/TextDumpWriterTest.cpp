// The text SID dump: header block, time column and frame lines, byte for byte.
#include "backend/TextDumpWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <vector>

namespace notecast {
namespace {

enum class Gate { On, Held, Off };

struct VoiceFrame {
    Gate gate = Gate::Off;
    emu::SidVoice voice;
};

emu::SidVoice sid(std::uint32_t freq, std::uint16_t pw, std::uint8_t control, std::uint8_t ad,
                  std::uint8_t sr, std::uint8_t level = 0) {
    emu::SidVoice v;
    v.frequencyRegister = freq;
    v.pulseWidth = pw;
    v.control = control;
    v.attackDecay = ad;
    v.sustainRelease = sr;
    v.envLevel = level;
    return v;
}

const emu::SidVoice kSilent = sid(0, 0, 0, 0, 0);

VoiceFrame on(const emu::SidVoice& v) { return {Gate::On, v}; }
VoiceFrame held(const emu::SidVoice& v) { return {Gate::Held, v}; }
VoiceFrame off(const emu::SidVoice& v) { return {Gate::Off, v}; }

using Frame = std::array<VoiceFrame, 3>;

// A frame in which only voice 1 sounds.
Frame solo(const VoiceFrame& voice1) { return {voice1, off(kSilent), off(kSilent)}; }

const std::string kHeader =
    "Cybernoid II - NOTECAST Text/SID Dump\n"
    "\n"
    "PW = pulse width (0-4095)\n"
    "WF = waveform (xy : 1?=triangle, 2?=sawtooth, 4?=pulse, 8?=noise)\n"
    "\t (?2=synchronization, ?4=ring modulation, ?6=sync+ringmod)\n"
    "VL = volume level (0-FF)\n"
    "\n"
    "Filter type: L = low-pass, B = band-pass, H = high-pass\n"
    "Filter voices: 1__ = filter on voice 1, _2_ = voice 2, __3 = voice 3, and so on\n"
    "Filter cut-off frequency (SID value, 0-7F0)\n"
    "Filter resonance (SID value, 0-F)\n"
    "\n"
    "Time format: minute:second.hundredth\n"
    "\n"
    "          Voice 1                     Voice 2                     Voice 3\n"
    "Time      Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Filter\n"
    "============================================================================================================\n";

class TextDumpTest : public ::testing::Test {
protected:
    WriterSettings settings;
    int cutoff = 0x7F0, resonance = 15, routing = 5, mode = 0x10;  // L__ 1_3 7f0 f


    std::string header() const {
        std::string h = kHeader;
        if (settings.timeFormat == TimeFormat::Frames)
            h.replace(h.find("minute:second.hundredth"), 23, "minute:second.frame");
        return h;
    }

    // Writes the frames 20 ms apart from `startUs` on; returns the file.
    std::string dump(const std::vector<Frame>& frames, std::uint64_t startUs = 0) {
        auto path = test::scratchDir("textdump") / "out.txt";
        TextDumpWriter w(settings);
        EXPECT_TRUE(w.open(path.string(), "Cybernoid II"));
        std::uint64_t us = startUs;
        for (const Frame& f : frames) {
            w.clock().setTime(static_cast<std::uint32_t>(us / 1000000),
                              static_cast<std::uint32_t>(us % 1000000));
            w.beginFrame();
            w.setFilter(cutoff, resonance, routing, mode);
            for (int v = 0; v < 3; ++v) {
                const VoiceFrame& vf = f[static_cast<std::size_t>(v)];
                switch (vf.gate) {
                case Gate::On: w.voiceGateOn(vf.voice, v); break;
                case Gate::Held: w.voiceHeld(vf.voice, v); break;
                case Gate::Off: w.voiceGateOff(vf.voice, v); break;
                }
            }
            w.endFrame();
            us += 20000;
        }
        EXPECT_TRUE(w.close());
        auto bytes = test::readFile(path);
        return {bytes.begin(), bytes.end()};
    }

    std::string body(const std::vector<Frame>& frames, std::uint64_t startUs = 0) {
        const std::string text = dump(frames, startUs);
        const std::string h = header();
        EXPECT_EQ(text.compare(0, h.size(), h), 0) << text;
        return text.size() >= h.size() ? text.substr(h.size()) : text;
    }

    // The six-character note column of voice 1, one entry per frame.
    std::vector<std::string> noteColumn(const std::vector<Frame>& frames) {
        std::istringstream in(body(frames));
        std::vector<std::string> cols;
        for (std::string line; std::getline(in, line);) cols.push_back(line.substr(10, 6));
        return cols;
    }

    std::string timeColumn(std::uint32_t seconds, std::uint32_t micro) {
        const std::string text = body({solo(off(kSilent))}, seconds * 1000000ull + micro);
        return text.substr(0, text.find("  "));
    }
};

using Column = std::vector<std::string>;

TEST_F(TextDumpTest, HeaderBlockNoWarningsAndUncreatableFiles) {
    EXPECT_EQ(dump({}), kHeader);
    settings.timeFormat = TimeFormat::Frames;
    EXPECT_EQ(dump({}), header());

    TextDumpWriter w(settings);
    std::string warnings = "stale";
    w.getWarnings(warnings);
    EXPECT_EQ(warnings, "");
    EXPECT_FALSE(w.open((test::scratchDir("textdump-missing") / "no" / "dir.txt").string(), "T"));
    EXPECT_TRUE(w.close());
}

TEST_F(TextDumpTest, TimeColumnRoundsAndCarries) {
    const std::tuple<std::uint32_t, std::uint32_t, const char*> hundredths[] = {
        {0, 4999, "00:00.00"},      {0, 5000, "00:00.01"},     {119, 996000, "02:00.00"},
        {59, 995000, "01:00.00"},   {6000, 0, "100:00.00"}};
    for (auto [s, us, text] : hundredths) EXPECT_EQ(timeColumn(s, us), text);
    settings.timeFormat = TimeFormat::Frames;
    const std::tuple<std::uint32_t, std::uint32_t, const char*> frames[] = {
        {12, 330000, "00:12.09"}, {12, 995000, "00:13.00"}, {12, 985000, "00:12.29"}};
    for (auto [s, us, text] : frames) EXPECT_EQ(timeColumn(s, us), text);
}

TEST_F(TextDumpTest, FrameLinesShowStartsHeldNotesAndSilence) {
    const auto lead = sid(0x1CD6, 0x800, 0x41, 0x09, 0xA0);
    const auto bass = sid(3746, 0, 0x21, 0x00, 0xF0);
    const auto bassUp = sid(3800, 0, 0x21, 0x00, 0xF0);
    std::string text = body({
        {on(lead), off(kSilent), on(bass)},
        {held(lead), off(kSilent), held(bass)},
        {off(sid(0x1CD6, 0x800, 0x40, 0x09, 0xA0)), off(kSilent), held(bassUp)},
        {off(sid(0x1CD6, 0x800, 0x00, 0x09, 0xA0)), off(kSilent), held(bassUp)},
    });
    EXPECT_EQ(text,
              "00:00.00  >A-4<  433 2048 40 09a0 --   ---     0    0 00 0000 --  >A-3<  220    0 20 00f0 --  L__ 1_3 7f0 f\n"
              "00:00.02   +++   433 2048 40 09a0 --   ---     0    0 00 0000 --   +++   220    0 20 00f0 --  L__ 1_3 7f0 f\n"
              "00:00.04   +++   433 2048 40 09a0 --   ---     0    0 00 0000 --   +++   223    0 20 00f0 --  L__ 1_3 7f0 f\n"
              "00:00.06   ---   433 2048 00 09a0 --   ---     0    0 00 0000 --   +++   223    0 20 00f0 --  L__ 1_3 7f0 f\n");

    settings.hideFrequency = true;
    text = body({{on(lead), off(kSilent), on(bass)}});
    EXPECT_EQ(text,
              "00:00.00  >A-4< ---- 2048 40 09a0 --   ---  ----    0 00 0000 --  >A-3< ---- "
              "   0 20 00f0 --  L__ 1_3 7f0 f\n");
}

TEST_F(TextDumpTest, EnvelopeLevelColumnAndSilentEnvelopes) {
    settings.envelopeEmulation = true;
    cutoff = 0x123, resonance = 0, routing = 2, mode = 0x60;
    const std::string text = body({
        solo(on(sid(7492, 0, 0x11, 0x22, 0x80, 0x00))),
        solo(held(sid(7492, 0, 0x11, 0x22, 0x80, 0xC4))),
        solo(off(sid(7492, 0, 0x10, 0x22, 0x80, 0x01))),
        solo(off(sid(7492, 0, 0x10, 0x22, 0x80, 0x00))),
    });
    EXPECT_EQ(text,
              "00:00.00  >A-4<  440    0 10 2280 00   ---     0    0 00 0000 00   ---     0    0 00 0000 00  _BH _2_ 123 0\n"
              "00:00.02   +++   440    0 10 2280 c4   ---     0    0 00 0000 00   ---     0    0 00 0000 00  _BH _2_ 123 0\n"
              "00:00.04   +++   440    0 10 2280 01   ---     0    0 00 0000 00   ---     0    0 00 0000 00  _BH _2_ 123 0\n"
              "00:00.06   ---   440    0 10 2280 00   ---     0    0 00 0000 00   ---     0    0 00 0000 00  _BH _2_ 123 0\n");
}

TEST_F(TextDumpTest, GermanAndEnglishNoteNames) {
    // Notes 58 (A#/Bb), 59 (H/B), 61 (C#/Db) and 36 (C-3).
    std::vector<Frame> frames;
    for (std::uint32_t f : {7938, 8410, 9439, 2226}) frames.push_back(solo(on(sid(f, 0, 0x11, 0, 0))));
    EXPECT_EQ(noteColumn(frames), (Column{">A#4< ", ">H-4< ", ">C#5< ", ">C-3< "}));
    settings.englishNotes = true;
    EXPECT_EQ(noteColumn(frames), (Column{">Bb4< ", ">B-4< ", ">Db5< ", ">C-3< "}));
}

TEST_F(TextDumpTest, AlwaysShowNotesNamesEachNewNearestNote) {
    settings.alwaysShowNotes = true;
    EXPECT_EQ(noteColumn({
                  solo(on(sid(7492, 0, 0x21, 0, 0))),
                  solo(held(sid(7500, 0, 0x21, 0, 0))),  // still A-4
                  solo(held(sid(7930, 0, 0x21, 0, 0))),  // now A#4
                  solo(held(sid(7940, 0, 0x21, 0, 0))),
                  solo(off(sid(7492, 0, 0x20, 0, 0))),   // back to A-4, released
                  solo(off(sid(7492, 0, 0x00, 0, 0))),
              }),
              (Column{">A-4< ", " +++  ", " A#4  ", " +++  ", " A-4  ", " ---  "}));
}

TEST_F(TextDumpTest, PitchChangesAsNotesWithinTheirBudget) {
    const auto a = sid(7492, 0, 0x41, 0, 0);
    const auto b = sid(7938, 0, 0x41, 0, 0);
    const std::vector<Frame> alternating = {solo(on(a)), solo(held(b)), solo(held(a)),
                                            solo(held(b)), solo(held(b))};
    // Without -p2n a held note never shows a new pitch.
    EXPECT_EQ(noteColumn(alternating), (Column{">A-4< ", " +++  ", " +++  ", " +++  ", " +++  "}));
    settings.pitchChangeNotes = -1;
    EXPECT_EQ(noteColumn(alternating), (Column{">A-4< ", ">A#4< ", ">A-4< ", ">A#4< ", " +++  "}));
    // Two per note: the third change stays a held note.
    settings.pitchChangeNotes = 2;
    EXPECT_EQ(noteColumn(alternating), (Column{">A-4< ", ">A#4< ", ">A-4< ", " +++  ", " +++  "}));

    // Frames without a change leave the budget alone, and each voice has its
    // own: voice 3 starting notes and voice 2 being silent change nothing
    // for voice 1.
    const auto c = sid(4000, 0, 0x11, 0, 0);
    const std::vector<Frame> busy = {
        {on(a), off(kSilent), on(c)},    {held(a), off(kSilent), on(c)},
        {held(a), off(kSilent), on(c)},  {held(b), off(kSilent), on(c)},
        {held(b), off(kSilent), on(c)},  {held(a), off(kSilent), on(c)},
        {held(b), off(kSilent), held(c)}, {on(b), off(kSilent), held(c)},
        {held(a), off(kSilent), held(c)},
    };
    EXPECT_EQ(noteColumn(busy), (Column{">A-4< ", " +++  ", " +++  ", ">A#4< ", " +++  ", ">A-4< ",
                                        " +++  ", ">A#4< ", ">A-4< "}));
}

TEST_F(TextDumpTest, GateOnWithoutFrequencyStartsWhenThePitchArrives) {
    const auto silent = sid(0, 0, 0x41, 0, 0), a = sid(7492, 0, 0x41, 0, 0);
    EXPECT_EQ(noteColumn({solo(on(silent)), solo(held(silent)), solo(held(a)), solo(held(a))}),
              (Column{" ---  ", " ---  ", ">A-4< ", " +++  "}));
}

} // namespace
} // namespace notecast
