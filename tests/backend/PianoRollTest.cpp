// The -svg picture: its file name beside the output, the text and numbers
// of the document, and what the picture makes of the MIDI writer's events
// (a bend moves the bar at its time, drum hits go to their lane).
#include "backend/MidiWriterRun.h"
#include "backend/PianoRollWriter.h"
#include "backend/SvgText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace notecast {
namespace {

TEST(PictureFileName, BesideTheOutputAndNeverInItsPlace) {
    const struct {
        const char* output;
        const char* picture;
    } cases[] = {
        {"tune_subtune1.mid", "tune_subtune1.svg"},
        {"out/dump_subtune3.txt", "out/dump_subtune3.svg"},
        {"dir.v2/take", "dir.v2/take.svg"},     // a dot in a folder is no extension
        {"dir.v2\\take", "dir.v2\\take.svg"},
        {"picture.svg", "picture.svg.svg"},     // the output keeps its name
        {"PICTURE.SVG", "PICTURE.SVG.svg"},
        {"song.mid.bak", "song.mid.svg"},
    };
    for (const auto& c : cases) EXPECT_EQ(pictureFileName(c.output), c.picture) << c.output;
}

TEST(SvgText, TuneTextsBecomeWellFormedTextAndNumbersReadTheSameEverywhere) {
    const struct {
        std::string text;
        std::string xml;
    } texts[] = {
        {"Rock & <Roll> \"1\" 'A'", "Rock &amp; &lt;Roll&gt; &quot;1&quot; &apos;A&apos;"},
        {"a\x01\tb\x7F", "a  b "},                                    // no control characters
        {"Voice 2: pulse \xE2\x86\x92 saw", "Voice 2: pulse \xE2\x86\x92 saw"},  // UTF-8 stays
        {"Caf\xE9 \x85", "Caf\xC3\xA9  "},                            // else Latin-1
        {"\xE2\x86", "\xC3\xA2 "},                                    // a cut sequence too
        {"\xEF\xBF\xBE", "\xC3\xAF\xC2\xBF\xC2\xBE"},                 // U+FFFE is no character
    };
    for (const auto& t : texts) {
        std::string out;
        appendXmlText(out, t.text);
        EXPECT_EQ(out, t.xml) << t.text;
    }
    const struct {
        double value;
        const char* text;
    } numbers[] = {{12.0, "12"}, {12.46, "12.5"}, {-0.04, "0"}, {-0.5, "-0.5"}, {-3.25, "-3.3"},
                   {1e12, "1000000000"}, {std::numeric_limits<double>::quiet_NaN(), "0"}};
    for (const auto& n : numbers) {
        std::string out;
        appendNumber(out, n.value);
        EXPECT_EQ(out, n.text) << n.value;
    }
}

// The numbers of the first path in the group of the given colour that
// matches a part of its attributes.
std::vector<double> pathNumbers(const std::string& svg, const std::string& colour, const std::string& part) {
    const std::size_t group = svg.find("<g fill=\"" + colour + "\">");
    const std::size_t path = svg.find(part, group);
    if (group == std::string::npos || path == std::string::npos || path > svg.find("</g>", group)) return {};
    const std::size_t d = svg.find(" d=\"", path) + 4;
    std::vector<double> numbers;
    for (const char* at = svg.c_str() + d; *at != '"';) {
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        if (end == at) {
            ++at;  // a path command
        } else {
            numbers.push_back(value);
            at = end;
        }
    }
    return numbers;
}

// The y of a text's baseline, or -1.
double textY(const std::string& svg, const std::string& text) {
    const std::size_t at = svg.find(">" + text + "</text>");
    if (at == std::string::npos) return -1;
    return std::atof(svg.c_str() + svg.rfind(" y=\"", at) + 4);
}

TEST(PianoRollWriter, ABendMovesTheBarAtItsTimeAndDrumHitsHaveTheirLane) {
    test::MidiWriterRun run;
    run.channels.set(2, 0, 9);  // voice 3 plays on the drum channel
    run.writer = std::make_unique<PianoRollWriter>(run.settings, run.channels, TuneCaption{"", "Someone", 2, 3, 2});
    const std::filesystem::path file = run.file.parent_path() / "out.svg";
    ASSERT_TRUE(run.writer->open(file.string(), "Test & Tune"));
    const NoteTable table;
    const std::uint32_t a4 = table.entry(57), b4 = table.entry(59), d2 = table.entry(26);
    run.at(0).gateOn(0, a4);
    for (std::uint32_t ms = 20; ms < 1000; ms += 20) run.at(ms).held(0, a4);
    run.at(500).gateOn(2, d2);  // MIDI key 38
    for (std::uint32_t ms = 1000; ms < 1500; ms += 20) run.at(ms).held(0, b4);
    run.at(1500).released(0, 0, 0x00);  // the note ends
    run.at(2000);
    ASSERT_TRUE(run.writer->close());
    const std::vector<std::uint8_t> bytes = test::readFile(file);
    const std::string svg(bytes.begin(), bytes.end());

    EXPECT_NE(svg.find(">Test &amp; Tune</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Someone  \xC2\xB7  Song 2 of 3  \xC2\xB7  0:02  \xC2\xB7  100 bpm (given)</text>"),
              std::string::npos);
    EXPECT_NE(svg.find(">Voice 1: pulse  (channel 1)</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Drums  (channel 10)</text>"), std::string::npos);

    // Scales from the labels: 12 rows from C4 to C5, the seconds 0 and 2.
    const double row = (textY(svg, "C4") - textY(svg, "C5")) / 12.0;
    const std::size_t second0 = svg.find(">0:00</text>"), second2 = svg.find(">0:02</text>");
    ASSERT_GT(row, 0.0);
    ASSERT_NE(second2, std::string::npos);
    const double x0 = std::atof(svg.c_str() + svg.rfind("<text x=\"", second0) + 9);
    const double perSecond = (std::atof(svg.c_str() + svg.rfind("<text x=\"", second2) + 9) - x0) / 2.0;

    // The bent note: its upper edge steps up two rows at 1 s and stays
    // there to its end at 1.5 s.
    const std::vector<double> bar = pathNumbers(svg, "#1f77b4", "stroke=");
    ASSERT_GE(bar.size(), 8u);
    std::vector<std::pair<double, double>> upper;
    for (std::size_t i = 0; i + 1 < bar.size() / 2; i += 2) upper.emplace_back(bar[i], bar[i + 1]);
    EXPECT_NEAR(upper.front().first, x0, 0.1);
    EXPECT_NEAR(upper.back().first, x0 + 1.5 * perSecond, 0.1);
    EXPECT_NEAR(upper.front().second - upper.back().second, 2.0 * row, 0.1);
    for (const auto& [x, y] : upper) {
        if (std::abs(x - (x0 + perSecond)) < 0.1) continue;  // the step itself
        EXPECT_EQ(y, x < x0 + perSecond ? upper.front().second : upper.back().second) << "at " << x;
    }

    // The drum hit: a mark at 0.5 s on the row of its drum.
    const std::vector<double> hit = pathNumbers(svg, "#37474f", "<path");
    ASSERT_EQ(hit.size(), 8u);
    EXPECT_NEAR(hit[0], x0 + 0.5 * perSecond, 0.1);
    EXPECT_NEAR(hit[1] + 4.5, textY(svg, "Acoustic Snare") - 3.5, 0.1);
}

} // namespace
} // namespace notecast
