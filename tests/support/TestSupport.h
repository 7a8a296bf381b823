#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace notecast::test {

// Directory of the shared, read-only test data; empty path when absent.
std::filesystem::path sharedDir();
// Path below the shared directory, or empty when it does not exist.
std::filesystem::path sharedFile(const std::string& relative);

// A fresh, empty directory for one test; removed at process exit.
std::filesystem::path scratchDir(const std::string& name);

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void writeFile(const std::filesystem::path& path, const std::string& text);

// Compares a conversion's listing with tests/golden/NAME.txt (the version in
// a MIDI notice kept as "<version>"); with the environment variable
// NOTECAST_UPDATE_GOLDEN set, writes it there first.
void expectGolden(const std::string& name, const std::string& text);

// Builds a PSID file in memory. Defaults: version 2, load $1000, init $1000,
// play $1003, one song, PAL.
struct PsidBuilder {
    std::uint16_t version = 2, load = 0x1000, init = 0x1000, play = 0x1003;
    std::uint16_t songs = 1, startSong = 1;
    std::uint32_t speed = 0;
    std::uint8_t flags = 0x04;  // PAL
    std::string name = "Test Tune";
    std::string author = "NOTECAST";
    std::string copyright = "2026 NOTECAST";
    bool embedLoadAddress = false;  // header load 0, address in front of the data
    std::vector<std::uint8_t> code;  // C64 data

    std::vector<std::uint8_t> build() const;
};

} // namespace notecast::test

// Expects `part` in `text`, showing the whole text when it is missing.
#define EXPECT_CONTAINS(text, part) EXPECT_NE((text).find(part), std::string::npos) << (text)

#define NOTECAST_REQUIRE_SHARED(path)                                    \
    do {                                                                 \
        if ((path).empty()) GTEST_SKIP() << "shared test data absent";   \
    } while (0)
