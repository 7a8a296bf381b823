// The song-length database file: which lines are entries, the time tokens,
// the lookups by key and by tune, and failed loads. (The public databases
// themselves are looked up by the collection test.)
#include "support/TestSupport.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace notecast {
namespace {

namespace fs = std::filesystem;

const std::string kKey = "0123456789abcdef0123456789abcdef";
const char kTooHigh[] = "Requested song number too high! Wrong songlengths file version?";
const char kNoEntry[] = "No database entry for this sidtune!";

std::string keyOf(char c) { return std::string(32, c); }

fs::path database(const std::string& name, const std::string& content) {
    const fs::path dir = test::scratchDir("db-" + name);
    test::writeFile(dir / "Songlengths.txt", content);
    return dir / "Songlengths.txt";
}

// found, seconds and status text of a lookup, on one line.
std::string look(SongLengthDB& db, const std::string& key, int song) {
    std::uint32_t seconds = 12345;
    const bool found = db.lookup(key.c_str(), song, seconds);
    return (found ? "found " : "not found ") + std::to_string(seconds) + " " + db.statusText();
}

TEST(SongLengthFile, EntryLinesOnly) {
    SongLengthDB db;
    const std::string content = "[Database]\r\n; " + keyOf('a') + "=1:00\r\n[" + keyOf('b').substr(1) + "=1:00\r\n" +
                                keyOf('c').substr(1) + "=1:00\n" +  // 31 digits
                                keyOf('d') + "d=1:00\n" +           // 33 digits
                                " " + keyOf('e') + "=1:00\n" +      // not in the first column
                                kKey + "=1:30 2:00\n\n\r\n" +
                                keyOf('F') + "=0:10\n" +            // upper case: never matches a key
                                keyOf('9') + "=3:25";               // no line end at the end
    ASSERT_TRUE(db.load(database("lines", content).string()));
    EXPECT_STREQ(db.statusText(), "No error.");
    EXPECT_EQ(db.entryCount(), 3u);
    for (char c : {'a', 'c', 'd', 'f'}) EXPECT_EQ(look(db, keyOf(c), 1), std::string("not found 0 ") + kNoEntry) << c;
    EXPECT_EQ(look(db, keyOf('9'), 1), "found 205 No error.");
    // A longer or shorter key compares all its characters.
    EXPECT_EQ(look(db, kKey + "0", 1), std::string("not found 0 ") + kNoEntry);
    EXPECT_EQ(look(db, kKey.substr(1), 1), std::string("not found 0 ") + kNoEntry);
    std::uint32_t seconds = 7;
    EXPECT_FALSE(db.lookup(nullptr, 1, seconds));
    EXPECT_EQ(seconds, 0u);
}

TEST(SongLengthFile, SongNumbersAndTimeTokens) {
    SongLengthDB db;
    ASSERT_TRUE(db.load(
        database("tokens", kKey + "= 1:30(G)  2:00 45 0:00 1:02:03 (x) 3:25.500 0:01.999 99999999999999\n").string()));
    const std::pair<int, std::uint32_t> songs[] = {{0, 90}, {1, 90},   {2, 120}, {3, 45}, {4, 1},
                                                   {5, 3720}, {6, 0}, {7, 205}, {8, 1}, {9, 4294967295u}};
    for (const auto& [song, seconds] : songs)
        EXPECT_EQ(look(db, kKey, song), "found " + std::to_string(seconds) + " No error.") << song;
    for (int song : {10, 1000}) EXPECT_EQ(look(db, kKey, song), std::string("not found 0 ") + kTooHigh) << song;
}

TEST(SongLengthFile, LoadFailuresAndTunes) {
    SongLengthDB db;
    EXPECT_STREQ(db.statusText(), "Failed to open Songlengths.txt!");
    const fs::path dir = test::scratchDir("db-failures");
    test::writeFile(dir / "empty.txt", std::string());
    const std::pair<fs::path, const char*> failures[] = {{dir / "absent.md5", "Failed to open Songlengths.txt!"},
                                                         {dir, "Failed to open Songlengths.txt!"},
                                                         {dir / "empty.txt", "Failed to read Songlengths.txt!"}};
    for (const auto& [path, text] : failures) {
        EXPECT_FALSE(db.load(path.string()));
        EXPECT_STREQ(db.statusText(), text);
    }
    // A failed load forgets the database loaded before.
    ASSERT_TRUE(db.load(database("reload", kKey + "=1:00\n").string()));
    EXPECT_EQ(look(db, kKey, 1), "found 60 No error.");
    EXPECT_FALSE(db.load((dir / "absent.txt").string()));
    EXPECT_EQ(db.entryCount(), 0u);
    EXPECT_EQ(look(db, kKey, 1), std::string("not found 0 ") + kNoEntry);

    // A tune is found by its fingerprint; a song beyond its entry does not
    // fall back to the whole file's key. Without a tune there is no key.
    test::PsidBuilder b;
    b.code = {0xA9, 0x00, 0x60};
    b.songs = 2;
    const auto file = b.build();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    std::uint32_t seconds = 0;
    ASSERT_TRUE(db.load(database("fp", fingerprintKey(tune) + "=0:10 0:20\n" + fileMd5Key(tune) + "=0:30 0:40 0:50\n")
                            .string()));
    EXPECT_TRUE(db.lookupTune(tune, 2, seconds));
    EXPECT_EQ(seconds, 20u);
    EXPECT_FALSE(db.lookupTune(tune, 3, seconds));
    EXPECT_STREQ(db.statusText(), kTooHigh);
    SidTune none(static_cast<const char*>(nullptr));
    EXPECT_EQ(fingerprintKey(none) + fileMd5Key(none), "");
    EXPECT_FALSE(db.lookupTune(none, 1, seconds));
}

} // namespace
} // namespace notecast
