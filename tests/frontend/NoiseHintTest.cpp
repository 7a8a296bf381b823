// The hint on standard error when the default noise level leaves out more
// than a third of a tune's notes: the example tune's drums are 108 of its
// 261 notes in 20 seconds.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace notecast::test {
namespace {

TEST(NoiseHint, DefaultRunsThatDropMuchOfTheMusicSaySoOnce) {
    const std::filesystem::path tune = std::filesystem::path(NOTECAST_SOURCE_DIR) / "examples" / "lighthouse_run.sid";
    const std::filesystem::path dir = scratchDir("noise-hint");
    const std::string hint =
        "Hint: 108 of 261 notes were left out because their sound has noise in it; -daw keeps them.\n";
    const struct {
        std::vector<std::string> options;
        bool hinted;
    } cases[] = {
        {{}, true},
        {{"-env", "-sam"}, true},
        {{"-noise1"}, false},  // the mixed sounds are kept: not the default level
        {{"-daw"}, false},
        {{"-click"}, false},
        {{"-2txt"}, false},  // a text table leaves nothing out
    };
    int run = 0;
    for (const auto& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-t20", tune.string(), (dir / ("out" + std::to_string(run++))).string()});
        const ProgramResult r = runProgram(args, dir);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, c.hinted ? hint : "") << args.front();
    }
}

} // namespace
} // namespace notecast::test
