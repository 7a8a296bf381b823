// The drum rules on the first frames of notes, written the way the shared
// tunes play them: "N117" is noise with frequency high byte 117, "53" a
// pulse at MIDI note 53, "." a frame without sound.
#include "convert/DrumRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

namespace notecast {
namespace {

std::vector<NoteFrame> frames(const std::string& sketch) {
    std::vector<NoteFrame> out;
    std::istringstream in(sketch);
    std::uint64_t time = 0;
    for (std::string token; in >> token; time += 20'000) {
        NoteFrame f;
        f.timeUs = time;
        if (token == ".") {
            f.control = 0x09;  // test bit: silent
        } else if (token[0] == 'N') {
            f.control = 0x81;
            f.frequency = static_cast<std::uint32_t>(std::stoi(token.substr(1))) << 8 | 0x80;
        } else {
            f.control = 0x41;
            f.frequency = static_cast<std::uint32_t>(7492.0 * std::pow(2.0, (std::stod(token) - 69) / 12.0));
        }
        out.push_back(f);
    }
    return out;
}

TEST(DrumRules, NotesOfRealTunesGetTheirDrumOrStayMelodic) {
    const struct { const char* sketch; std::uint32_t soundMs; DrumSound sound; std::uint8_t tomKey; } cases[] = {
        // Noise alone: bright and short, longer, long; dark; middle.
        {"N208 N208 N208 N208", 16, DrumSound::ClosedHiHat, 0},
        {"N134 N134 N134 N134", 200, DrumSound::OpenHiHat, 0},
        {"N134 N134 N134 N134", 800, DrumSound::Crash, 0},
        {"N2 N2 N2 N2 N2", 140, DrumSound::BassDrum, 0},
        {"N15 N15 N31 N15 N31 N15", 270, DrumSound::Snare, 0},
        // Noise, then a pitch falling by octaves: a bass drum, also when
        // the tone then holds (the bass note after it is a split).
        {"N98 53 50 46 41 34 21 .", 265, DrumSound::BassDrum, 0},
        {"N117 53 40 27 27 .", 250, DrumSound::BassDrum, 0},
        // Falling tone without noise: a tom by its start, or a bass drum
        // when it ends below C2.
        {"65 64 53 53 53 53", 200, DrumSound::Tom, 48},
        {". 50 30 28 28 28 27 28", 800, DrumSound::BassDrum, 0},
        // Noise with a tonal body, or noise and tone taking turns.
        {"N147 53 N46 N43 N43 .", 250, DrumSound::Snare, 0},
        {"60 60 N36 60 N36 60 N36 60", 300, DrumSound::Snare, 0},
        {"N5 39 N5 38 N4 37 N4 36", 300, DrumSound::BassDrum, 0},
        // Melodic: a click before a held tone, an arpeggio, a tone that
        // drops an octave at once and holds, a fall that climbs back, a
        // short slide, noise frames inside a lead.
        {"N117 39 39 39 39 .", 250, DrumSound::None, 0},
        {"N253 67 70 74 75 67 70 74", 800, DrumSound::None, 0},
        {". N253 83 71 71 71", 800, DrumSound::None, 0},
        {"56 N52 50 47 42 35 38 42", 300, DrumSound::None, 0},
        {"51 50 48 45 43 40 39 39", 500, DrumSound::None, 0},
        {"64 N21 N43 64 76 64 76 64", 300, DrumSound::None, 0},
        {". . . .", 300, DrumSound::None, 0},
    };
    for (const auto& c : cases) {
        const std::vector<NoteFrame> f = frames(c.sketch);
        const DrumVerdict v = classifyDrum(f, c.soundMs);
        EXPECT_EQ(v.sound, c.sound) << c.sketch;
        EXPECT_EQ(v.tomKey, c.tomKey) << c.sketch;
    }
}

} // namespace
} // namespace notecast
