// The text SID dump: the time column at its carries. (Whole dumps, their
// header lines in both time formats, are compared in the golden conversions.)
#include "backend/TextDumpWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <vector>

namespace notecast {
namespace {

// The lines of a dump with one silent frame at the given time.
std::vector<std::string> dump(const WriterSettings& settings, std::int64_t microseconds) {
    const auto path = test::scratchDir("textdump") / "out.txt";
    TextDumpWriter w(settings);
    EXPECT_TRUE(w.open(path.string(), "Cybernoid II"));
    w.clock().setTime(static_cast<std::uint32_t>(microseconds / 1000000),
                      static_cast<std::uint32_t>(microseconds % 1000000));
    w.beginFrame();
    w.setFilter(0x7F0, 15, 5, 0x10);
    for (int v = 0; v < 3; ++v) w.voiceGateOff(emu::SidVoice{}, v);
    w.endFrame();
    EXPECT_TRUE(w.close());
    const auto bytes = test::readFile(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TextDump, TimeColumnAndUncreatableFiles) {
    WriterSettings settings;
    const std::tuple<TimeFormat, std::int64_t, const char*> times[] = {
        {TimeFormat::Hundredths, 4999, "00:00.00  "},      {TimeFormat::Hundredths, 5000, "00:00.01  "},
        {TimeFormat::Hundredths, 119996000, "02:00.00  "}, {TimeFormat::Hundredths, 59995000, "01:00.00  "},
        {TimeFormat::Hundredths, 6000000000, "100:00.00  "}, {TimeFormat::Frames, 12330000, "00:12.09  "},
        {TimeFormat::Frames, 12995000, "00:13.00  "},       {TimeFormat::Frames, 12985000, "00:12.29  "}};
    for (auto [format, us, text] : times) {
        settings.timeFormat = format;
        const auto lines = dump(settings, us);
        ASSERT_EQ(lines.size(), 18u);
        EXPECT_EQ(lines[17].substr(0, std::string(text).size()), text) << us;
    }

    TextDumpWriter w(settings);
    std::string warnings = "stale";
    w.getWarnings(warnings);
    EXPECT_EQ(warnings, "");
    EXPECT_FALSE(w.open((test::scratchDir("textdump-missing") / "no" / "dir.txt").string(), "T"));
    EXPECT_TRUE(w.close());
}

} // namespace
} // namespace notecast
