// The look-ahead at captured frames: where notes are drums, where a click
// ends, where a held note steps to a new one. Frames are written per voice
// like the drum rules' sketches ("N117" noise, "53.5" a pulse at that MIDI
// pitch, "." silence), one frame every 20 ms, the gate held over a sketch.
#include "convert/NoteCues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace notecast {
namespace {

std::uint32_t reg(double midi) { return static_cast<std::uint32_t>(7492.0 * std::pow(2.0, (midi - 69) / 12.0)); }

struct Score {
    std::deque<FrameSnapshot> frames;

    explicit Score(std::size_t n) : frames(n) {
        for (std::size_t i = 0; i < n; ++i) {
            frames[i].seconds = static_cast<std::uint32_t>(i / 50);
            frames[i].microseconds = static_cast<std::uint32_t>(i % 50 * 20'000);
        }
    }
    // A note of instrument `id` on voice v from frame `at`; the frame
    // before it (if any) has the gate off.
    Score& note(int v, std::size_t at, std::int32_t id, const std::string& sketch, std::uint8_t extra = 0,
                std::uint8_t sustainRelease = 0x89) {
        std::istringstream in(sketch);
        std::size_t i = at;
        for (std::string token; in >> token; ++i) {
            std::uint32_t f = 0;
            std::uint8_t control = 0x09;
            if (token[0] == 'N') {
                control = 0x81;
                f = static_cast<std::uint32_t>(std::stoi(token.substr(1))) << 8;
            } else if (token != ".") {
                control = 0x41;
                f = reg(std::stod(token));
            }
            set(v, i, f, static_cast<std::uint8_t>(control | extra), sustainRelease);
        }
        frames[at].instrument[static_cast<std::size_t>(v)] = id;
        if (i < frames.size()) set(v, i, 0, 0x40);  // gate off after it
        return *this;
    }
    void set(int v, std::size_t i, std::uint32_t f, std::uint8_t control, std::uint8_t sustainRelease = 0x89) {
        auto& r = frames[i].sidRegisters;
        r[static_cast<std::size_t>(7 * v)] = static_cast<std::uint8_t>(f & 0xFF);
        r[static_cast<std::size_t>(7 * v + 1)] = static_cast<std::uint8_t>(f >> 8);
        r[static_cast<std::size_t>(7 * v + 4)] = control;
        r[static_cast<std::size_t>(7 * v + 6)] = sustainRelease;
    }
};

// The cues of one voice, as "frame:Start", "frame:Start drum 42",
// "frame:Start click 1 @ 2718", "frame:Split".
std::string cues(const std::vector<FrameCues>& all, int v) {
    std::string out;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const NoteCue& c = all[i][static_cast<std::size_t>(v)];
        if (c.kind == NoteCue::Kind::None) continue;
        out += std::to_string(i) + (c.kind == NoteCue::Kind::Start ? ":Start" : ":Split");
        if (c.drumKey != 0) out += " drum " + std::to_string(c.drumKey);
        if (c.tonalFrequency != 0)
            out += " click " + std::to_string(c.tonalOffset) + " @ " + std::to_string(c.tonalFrequency);
        out += ' ';
    }
    return out;
}

WriterSettings daw() {
    WriterSettings s;
    s.drumKit = s.clickPitch = s.splitNotes = true;
    return s;
}

TEST(NoteCues, HeldNotesStepToNewNotesOnlyWhereAPitchLasts) {
    const struct { const char* sketch; const char* expected; } cases[] = {
        {"60 60 60 62 62 62 62", "0:Start 3:Split "},                 // a legato step
        {"60 60.2 60.4 60.6 60.8 61 61.2 61.4 61.6 61.8 62 62.2 62.4", "0:Start "},  // a slow glide
        {"60 60.4 59.6 60.4 59.6 60.4 59.6", "0:Start "},             // vibrato
        {"60 60 61 61.5 62 62 62 62", "0:Start 4:Split "},             // a quick slide onto 62
        {"60 75 60 60 60", "0:Start "},                                // a one-frame blip beyond 12
        {"60 75 75 75", "0:Start 1:Split "},                           // a jump beyond 12 that lasts
        {"72 60 60 60 60", "0:Start 1:Split "},                        // an octave above, then the note
        {"60 60 N30 62 62 62 62", "0:Start 3:Split "},                 // noise frames say nothing
    };
    for (const auto& c : cases) {
        Score score(20);
        score.note(0, 0, 0, c.sketch);
        EXPECT_EQ(cues(findNoteCues(score.frames, daw()), 0), c.expected) << c.sketch;
    }
    // The step is in the release, or -split is off: no split.
    Score released(20);
    released.note(0, 0, 0, "60 60").set(0, 3, reg(62), 0x40);
    for (std::size_t i = 3; i < 8; ++i) released.set(0, i, reg(62), 0x40);
    EXPECT_EQ(cues(findNoteCues(released.frames, daw()), 0), "0:Start ");
    Score step(20);
    step.note(0, 0, 0, "60 60 60 62 62 62 62");
    WriterSettings noSplit = daw();
    noSplit.splitNotes = false;
    EXPECT_EQ(cues(findNoteCues(step.frames, noSplit), 0), "0:Start ");
}

TEST(NoteCues, ClicksGiveTheToneAndDrumsTheirKeys) {
    Score score(60);
    // Voice 1: a click before a bass note, then a bass drum whose tone holds.
    score.note(0, 0, 0, "N117 39 39 39 39");
    score.note(0, 10, 1, "N117 53 40 29 29 29 29 29 29 29");
    // Voice 2: hard-synced to voice 1's bass (an octave up), its click
    // takes the synced pitch.
    score.note(1, 1, 4, "N30 57 57 57", 0x02);
    // Voice 3: two short hi-hat sounds (instruments 2 and 3), then the
    // first again.
    score.note(2, 0, 2, "N208 N208", 0, 0x00);
    score.note(2, 10, 3, "N100 N100", 0, 0x00);
    score.note(2, 20, 2, "N208 N208", 0, 0x00);
    const std::vector<FrameCues> all = findNoteCues(score.frames, daw());
    EXPECT_EQ(cues(all, 0), "0:Start click 1 @ " + std::to_string(reg(39)) + " 10:Start drum 36 13:Split ");
    EXPECT_EQ(cues(all, 1), "1:Start click 1 @ " + std::to_string(reg(39)) + " ");
    EXPECT_EQ(cues(all, 2), "0:Start drum 42 10:Start drum 44 20:Start drum 42 ");

    // Without the kit every note is melodic; without -click a click note
    // starts as it always did.
    WriterSettings clicksOnly;
    clicksOnly.clickPitch = true;
    EXPECT_EQ(cues(findNoteCues(score.frames, clicksOnly), 2), "0:Start 10:Start 20:Start ");
    WriterSettings kitOnly;
    kitOnly.drumKit = true;
    EXPECT_EQ(cues(findNoteCues(score.frames, kitOnly), 0), "0:Start 10:Start drum 36 13:Split ");
}

} // namespace
} // namespace notecast
