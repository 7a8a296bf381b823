#include "support/TestSupport.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace notecast::test {

void expectGolden(const std::string& name, const std::string& text) {
    // The version in a MIDI file's notice is kept as "<version>".
    std::string seen = text;
    const std::string version = "NOTECAST " NOTECAST_VERSION "\"";
    if (const auto at = seen.find(version); at != std::string::npos) seen.replace(at, version.size(), "NOTECAST <version>\"");
    const std::filesystem::path golden =
        std::filesystem::path(NOTECAST_SOURCE_DIR) / "tests" / "golden" / (name + ".txt");
    if (std::getenv("NOTECAST_UPDATE_GOLDEN") != nullptr) writeFile(golden, seen);
    const auto expected = readFile(golden);
    ASSERT_FALSE(expected.empty()) << golden << " is missing";
    // Line by line, so that a difference names its first line.
    std::istringstream a(seen), b(std::string(expected.begin(), expected.end()));
    std::string lineSeen, lineExpected;
    for (int n = 1; std::getline(b, lineExpected); ++n) {
        ASSERT_TRUE(std::getline(a, lineSeen)) << name << " ends before line " << n;
        ASSERT_EQ(lineSeen, lineExpected) << name << " line " << n;
    }
    EXPECT_FALSE(std::getline(a, lineSeen)) << name << " goes on after the listing: " << lineSeen;
}

} // namespace notecast::test
