// The replay of captured frames into a back end: which voice call each frame
// gets, hard sync and samples. (Whole conversions with filters and envelopes
// are compared in the golden conversions.)
#include "convert/FrameReplay.h"
#include "convert/RecordingBackEnd.h"
#include "emu/C64.h"
#include "emu/EmuEngine.h"

#include <gtest/gtest.h>

#include <vector>

namespace notecast {
namespace {

using Calls = std::vector<std::string>;

// A captured frame, written the way a play call would have left it.
struct Frame {
    FrameSnapshot f;

    Frame() { f.samples = 882; }
    Frame& reg(int r, std::uint8_t v) {
        f.sidRegisters[static_cast<std::size_t>(r)] = v;
        return *this;
    }
    Frame& freq(int voice, std::uint16_t value) {
        reg(7 * voice, value & 0xFF);
        return reg(7 * voice + 1, static_cast<std::uint8_t>(value >> 8));
    }
    // The control register as the frame ends; the play call wrote it once.
    Frame& ctrl(int voice, std::uint8_t c) {
        f.gateSet[static_cast<std::size_t>(voice)] = c & 1;
        f.gateCleared[static_cast<std::size_t>(voice)] = !(c & 1);
        return reg(7 * voice + 4, c);
    }
    Frame& sample(std::size_t r, std::uint8_t v) {
        f.sampleRegisters[r] = v;
        return *this;
    }
};

class FrameReplayTest : public ::testing::Test {
protected:
    EmuEngine engine;
    ConverterSettings settings;
    std::vector<Instrument> instruments;

    FrameReplayTest() {
        engine.reset();
        Instrument lead;
        lead.id = 0;
        lead.useCount = 2;
        lead.waveforms = {0x40};
        instruments.push_back(lead);
    }

    Calls replay(const std::vector<Frame>& frames, int voice = -1) {
        test::RecordingBackEnd out(settings);
        FrameReplay replay(out, engine.machine(), settings, instruments);
        std::uint32_t us = 0;
        for (const Frame& frame : frames) {
            FrameSnapshot f = frame.f;
            f.seconds = us / 1000000;
            f.microseconds = us % 1000000;
            replay.step(f);
            us += 20000;
        }
        return voice < 0 ? out.calls : out.forVoice(voice);
    }
};

TEST_F(FrameReplayTest, HardSyncTakesTheSourcePitchUnlessItIsAnOctaveAbove) {
    // Voice 2 (at 500) is synced by voice 1 and syncs voice 3.
    struct Case {
        const char* what;
        std::uint16_t sourceFreq;
        std::uint8_t sourceCtrl, ctrl2, ctrl3;
        int freq, sync;  // what voice 2 is played with
    };
    const Case cases[] = {
        {"source an octave above", 1000, 0x40, 0x42, 0x42, 500, 0},
        {"source less than an octave above", 999, 0x40, 0x42, 0x42, 999, 1},
        {"next voice not synced", 1000, 0x40, 0x42, 0x40, 1000, 1},
        {"source in test mode", 1000, 0x48, 0x42, 0x42, 1000, 1},
        {"source stopped", 0, 0x40, 0x42, 0x42, 0, 1},
        {"no sync bit", 0, 0x40, 0x40, 0x42, 500, 0},
    };
    for (const Case& c : cases) {
        engine.reset();
        const Frame frame =
            Frame().freq(0, c.sourceFreq).ctrl(0, c.sourceCtrl).freq(1, 500).ctrl(1, c.ctrl2).ctrl(2, c.ctrl3);
        EXPECT_EQ(replay({frame}, 1), Calls{"gateOff 1 freq=" + std::to_string(c.freq) + " sync=" +
                                            std::to_string(c.sync) + " level=0 state=14"})
            << c.what;
    }

    // Voices are synced in order, each seeing the pitches already changed.
    engine.reset();
    const Calls all = replay({Frame()
                                  .freq(0, 1000).ctrl(0, 0x42)
                                  .freq(1, 3000).ctrl(1, 0x42)
                                  .freq(2, 500).ctrl(2, 0x42)});
    EXPECT_EQ(Calls(all.begin() + 2, all.begin() + 5),
              (Calls{"gateOff 0 freq=500 sync=1 level=0 state=14",
                     "gateOff 1 freq=500 sync=1 level=0 state=14",
                     "gateOff 2 freq=500 sync=1 level=0 state=14"}));
}

TEST_F(FrameReplayTest, SampleStartIsReportedOnceAndItsEndOnEveryFrame) {
    settings.captureSamples = true;
    settings.sampleChannel = 5;
    // Channel 1: 4-bit samples from $2000 to $3000 at period 256.
    auto playing = [](std::uint8_t control) {
        return Frame().sample(0, control).sample(2, 0x20).sample(4, 0x30).sample(7, 0x01);
    };
    const Calls calls = replay({Frame(), playing(0xFF), playing(0x00), playing(0x00), playing(0xFD),
                                playing(0x00)});
    Calls samples;
    for (const std::string& c : calls)
        if (c.rfind("sample", 0) == 0 || c == "end") samples.push_back(c);
    EXPECT_EQ(samples, (Calls{"sampleOff 5 0", "end", "sampleOn 5 256", "end", "end", "end",
                              "sampleOff 5 0", "end", "sampleOff 5 0", "end"}));

    // Without -sam nothing is said about samples.
    settings.captureSamples = false;
    for (const std::string& c : replay({playing(0xFF), playing(0xFD)}))
        EXPECT_NE(c.rfind("sample", 0), 0u) << c;
}

} // namespace
} // namespace notecast
