#include "frontend/Progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace notecast {
namespace {

// The line printed for a run of `total` seconds updated once per second for
// `updates` seconds; with secondsPerMark, the marks shown after each update
// are checked too.
std::string progressLine(std::uint32_t total, std::uint32_t updates, std::uint32_t secondsPerMark = 0) {
    std::ostringstream out;
    ConsoleProgress progress(out);
    progress.begin(total);
    for (std::uint32_t s = 1; s <= updates; ++s) {
        progress.update(s);
        if (secondsPerMark) {
            EXPECT_EQ(progress.marks(), static_cast<std::int32_t>(s / secondsPerMark)) << s;
        }
    }
    progress.end();
    return out.str();
}

TEST(ConsoleProgress, ThirtyMarksAtMostOnePerCallAndEndAddsOneWhenShort) {
    EXPECT_EQ(progressLine(180, 180, 6), std::string(30, '#') + " (100%)\n");
    EXPECT_EQ(progressLine(10, 10), std::string(11, '#') + " (100%)\n");
    EXPECT_EQ(progressLine(0, 3), std::string(4, '#') + " (100%)\n");

    // Huge playing times do not overflow.
    std::ostringstream out;
    ConsoleProgress progress(out);
    progress.begin(4'000'000'000u);
    progress.update(100'000'000u);
    EXPECT_EQ(progress.marks(), 0);
    progress.update(140'000'000u);
    EXPECT_EQ(progress.marks(), 1);
}

TEST(AskOverwrite, AnswersAndRepeatedPrompts) {
    const struct {
        const char* input;
        bool answer;
        const char* prompts;
    } cases[] = {
        {"Y\n", true, ""},
        {"No\n", false, ""},
        {"  yes\n", true, ""},
        {"1\ny\n", true, "What ?!@#? "},
        {"ok\ny\n", true, "What ?!@#? What ?!@#? "},
        {"", false, ""},          // end of input counts as no
        {"ok", false, "What ?!@#? What ?!@#? "},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out;
        EXPECT_EQ(askOverwrite(in, out), c.answer) << "input " << c.input;
        EXPECT_EQ(out.str(), std::string("Overwrite the existing file (y/n)? ") + c.prompts)
            << "input " << c.input;
    }
}

} // namespace
} // namespace notecast
