// The text SID dump: the header lines that readers rely on, the time column
// and the note column's rules. (Whole dumps are compared in the golden
// conversions.)
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
using Frame = std::array<VoiceFrame, 3>;
using Lines = std::vector<std::string>;

emu::SidVoice sid(std::uint32_t freq, std::uint16_t pw, std::uint8_t control, std::uint8_t ad, std::uint8_t sr,
                  std::uint8_t level = 0) {
    emu::SidVoice v;
    std::tie(v.frequencyRegister, v.pulseWidth, v.control, v.attackDecay, v.sustainRelease, v.envLevel) =
        std::tuple{freq, pw, control, ad, sr, level};
    return v;
}
const emu::SidVoice kSilent;
VoiceFrame on(const emu::SidVoice& v) { return {Gate::On, v}; }
VoiceFrame held(const emu::SidVoice& v) { return {Gate::Held, v}; }
VoiceFrame off(const emu::SidVoice& v) { return {Gate::Off, v}; }
// A frame in which only voice 1 sounds.
Frame solo(const VoiceFrame& voice1) { return {voice1, off(kSilent), off(kSilent)}; }

class TextDumpTest : public ::testing::Test {
protected:
    WriterSettings settings;
    int cutoff = 0x7F0, resonance = 15, routing = 5, mode = 0x10;  // L__ 1_3 7f0 f

    // Writes the frames 20 ms apart from `startUs` on; returns the file's lines.
    Lines dump(const std::vector<Frame>& frames, std::uint64_t startUs = 0) {
        const auto path = test::scratchDir("textdump") / "out.txt";
        TextDumpWriter w(settings);
        EXPECT_TRUE(w.open(path.string(), "Cybernoid II"));
        for (const Frame& f : frames) {
            w.clock().setTime(static_cast<std::uint32_t>(startUs / 1000000), static_cast<std::uint32_t>(startUs % 1000000));
            w.beginFrame();
            w.setFilter(cutoff, resonance, routing, mode);
            for (int v = 0; v < 3; ++v) {
                const VoiceFrame& vf = f[static_cast<std::size_t>(v)];
                if (vf.gate == Gate::On) w.voiceGateOn(vf.voice, v);
                else if (vf.gate == Gate::Held) w.voiceHeld(vf.voice, v);
                else w.voiceGateOff(vf.voice, v);
            }
            w.endFrame();
            startUs += 20000;
        }
        EXPECT_TRUE(w.close());
        const auto bytes = test::readFile(path);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        Lines lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The frame lines, after the 17 lines of the header.
    Lines body(const std::vector<Frame>& frames, std::uint64_t startUs = 0) {
        const Lines all = dump(frames, startUs);
        return all.size() < 17 ? all : Lines(all.begin() + 17, all.end());
    }
    // The six-character note column of voice 1, one entry per frame.
    Lines noteColumn(const std::vector<Frame>& frames) {
        Lines cols;
        for (const std::string& line : body(frames)) cols.push_back(line.substr(10, 6));
        return cols;
    }
};

TEST_F(TextDumpTest, HeaderLinesTimeColumnAndUncreatableFiles) {
    for (TimeFormat format : {TimeFormat::Hundredths, TimeFormat::Frames}) {
        settings.timeFormat = format;
        const Lines header = dump({});
        ASSERT_EQ(header.size(), 17u);
        EXPECT_EQ(header[0], "Cybernoid II - NOTECAST Text/SID Dump");
        EXPECT_EQ(header[12], format == TimeFormat::Frames ? "Time format: minute:second.frame"
                                                           : "Time format: minute:second.hundredth");
        EXPECT_EQ(header[15], "Time      Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF ADSR VL  Note  Freq  PW  WF "
                              "ADSR VL  Filter");
        EXPECT_EQ(header[16], std::string(108, '='));
    }
    const std::tuple<TimeFormat, std::uint32_t, std::uint32_t, const char*> times[] = {
        {TimeFormat::Hundredths, 0, 4999, "00:00.00"},   {TimeFormat::Hundredths, 0, 5000, "00:00.01"},
        {TimeFormat::Hundredths, 119, 996000, "02:00.00"}, {TimeFormat::Hundredths, 59, 995000, "01:00.00"},
        {TimeFormat::Hundredths, 6000, 0, "100:00.00"},  {TimeFormat::Frames, 12, 330000, "00:12.09"},
        {TimeFormat::Frames, 12, 995000, "00:13.00"},    {TimeFormat::Frames, 12, 985000, "00:12.29"}};
    for (auto [format, s, us, text] : times) {
        settings.timeFormat = format;
        const std::string line = body({solo(off(kSilent))}, s * 1000000ull + us).at(0);
        EXPECT_EQ(line.substr(0, line.find("  ")), text);
    }

    TextDumpWriter w(settings);
    std::string warnings = "stale";
    w.getWarnings(warnings);
    EXPECT_EQ(warnings, "");
    EXPECT_FALSE(w.open((test::scratchDir("textdump-missing") / "no" / "dir.txt").string(), "T"));
    EXPECT_TRUE(w.close());
}

TEST_F(TextDumpTest, AGateWithoutAFrequencyStartsItsNoteWhenThePitchArrives) {
    const auto silent = sid(0, 0, 0x41, 0, 0), a = sid(7492, 0, 0x41, 0, 0);
    EXPECT_EQ(noteColumn({solo(on(silent)), solo(held(silent)), solo(held(a)), solo(held(a))}),
              (Lines{" ---  ", " ---  ", ">A-4< ", " +++  "}));
}

} // namespace
} // namespace notecast
