#include "support/TestSupport.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace notecast {
namespace {

namespace fs = std::filesystem;

const char kKey[] = "0123456789abcdef0123456789abcdef";
const char kTooHigh[] = "Requested song number too high! Wrong songlengths file version?";
const char kNoEntry[] = "No database entry for this sidtune!";

std::string keyOf(char c) { return std::string(32, c); }

fs::path database(const std::string& name, const std::string& content) {
    const fs::path dir = test::scratchDir("db-" + name);
    test::writeFile(dir / "Songlengths.txt", content);
    return dir / "Songlengths.txt";
}

struct Lookup {
    bool found;
    std::uint32_t seconds;
    std::string text;
};

Lookup look(SongLengthDB& db, const std::string& key, int song) {
    Lookup l;
    l.seconds = 12345;
    l.found = db.lookup(key.c_str(), song, l.seconds);
    l.text = db.statusText();
    return l;
}

TEST(SongLengthFile, EntryLinesOnly) {
    SongLengthDB db;
    const std::string content =
        "[Database]\r\n"
        "; " + keyOf('a') + "=1:00\r\n" +
        "[" + keyOf('b').substr(1) + "=1:00\r\n" +
        keyOf('c').substr(1) + "=1:00\n" +         // 31 digits
        keyOf('d') + "d=1:00\n" +                  // 33 digits
        " " + keyOf('e') + "=1:00\n" +             // not in the first column
        std::string(kKey) + "=1:30 2:00\n\n\r\n" +
        keyOf('F') + "=0:10\n" +                   // upper case: never matches a key
        keyOf('9') + "=3:25";                      // no line end at the end
    ASSERT_TRUE(db.load(database("lines", content).string()));
    EXPECT_STREQ(db.statusText(), "No error.");
    EXPECT_EQ(db.entryCount(), 3u);

    EXPECT_FALSE(look(db, keyOf('a'), 1).found);
    EXPECT_FALSE(look(db, keyOf('c'), 1).found);
    EXPECT_FALSE(look(db, keyOf('d'), 1).found);
    EXPECT_FALSE(look(db, keyOf('f'), 1).found);
    EXPECT_EQ(look(db, keyOf('9'), 1).seconds, 205u);

    // A 33-character key compares all 33 characters.
    const Lookup longer = look(db, std::string(kKey) + "0", 1);
    EXPECT_FALSE(longer.found);
    EXPECT_EQ(longer.text, kNoEntry);
    EXPECT_EQ(longer.seconds, 0u);
    EXPECT_FALSE(look(db, std::string(kKey).substr(1), 1).found);
    std::uint32_t seconds = 7;
    EXPECT_FALSE(db.lookup(nullptr, 1, seconds));
    EXPECT_EQ(seconds, 0u);
}

TEST(SongLengthFile, SongNumbersAndTimeTokens) {
    SongLengthDB db;
    const std::string content = std::string(kKey) +
                                "= 1:30(G)  2:00 45 0:00 1:02:03 (x) 3:25.500 0:01.999 99999999999999\n";
    ASSERT_TRUE(db.load(database("tokens", content).string()));
    const std::pair<int, std::uint32_t> songs[] = {{0, 90}, {1, 90}, {2, 120}, {3, 45},  {4, 1},
                                                   {5, 3720}, {6, 0},  {7, 205}, {8, 1},
                                                   {9, 4294967295u}};
    for (const auto& [song, seconds] : songs) {
        const Lookup l = look(db, kKey, song);
        EXPECT_TRUE(l.found) << song;
        EXPECT_EQ(l.seconds, seconds) << song;
        EXPECT_EQ(l.text, "No error.");
    }
    for (int song : {10, 11, 1000}) {
        const Lookup l = look(db, kKey, song);
        EXPECT_FALSE(l.found) << song;
        EXPECT_EQ(l.text, kTooHigh) << song;
        EXPECT_EQ(l.seconds, 0u);
    }
}

TEST(SongLengthFile, ManyEntriesAreAllFound) {
    const auto key = [](int i) {
        char text[33];
        std::snprintf(text, sizeof text, "%032x", i * 7919);
        return std::string(text);
    };
    std::string content;
    for (int i = 999; i >= 0; --i) content += key(i) + "=" + std::to_string(i) + "\n";
    SongLengthDB db;
    ASSERT_TRUE(db.load(database("many", content).string()));
    EXPECT_EQ(db.entryCount(), 1000u);
    for (int i = 0; i < 1000; ++i) {
        const Lookup l = look(db, key(i), 1);
        ASSERT_TRUE(l.found) << i;
        EXPECT_EQ(l.seconds, i == 0 ? 1u : static_cast<std::uint32_t>(i));
    }
}

TEST(SongLengthFile, LoadFailures) {
    SongLengthDB db;
    EXPECT_STREQ(db.statusText(), "Failed to open Songlengths.txt!");
    EXPECT_FALSE(look(db, kKey, 1).found);

    const fs::path dir = test::scratchDir("db-failures");
    EXPECT_FALSE(db.load((dir / "absent.md5").string()));
    EXPECT_STREQ(db.statusText(), "Failed to open Songlengths.txt!");
    EXPECT_FALSE(db.load(dir.string()));
    EXPECT_STREQ(db.statusText(), "Failed to open Songlengths.txt!");
    test::writeFile(dir / "empty.txt", std::string());
    EXPECT_FALSE(db.load((dir / "empty.txt").string()));
    EXPECT_STREQ(db.statusText(), "Failed to read Songlengths.txt!");

    // A failed load forgets the database loaded before.
    ASSERT_TRUE(db.load(database("reload", std::string(kKey) + "=1:00\n").string()));
    EXPECT_TRUE(look(db, kKey, 1).found);
    EXPECT_FALSE(db.load((dir / "absent.txt").string()));
    EXPECT_EQ(db.entryCount(), 0u);
    EXPECT_EQ(look(db, kKey, 1).text, kNoEntry);
}

TEST(SongLengthFile, TunesAreFoundByFingerprintOrWholeFile) {
    test::PsidBuilder b;
    b.code = {0xA9, 0x00, 0x60};
    b.songs = 2;
    const auto file = b.build();
    SidTune tune(file.data(), file.size());
    ASSERT_TRUE(tune.status());
    std::uint32_t seconds = 0;
    SongLengthDB byFingerprint;
    ASSERT_TRUE(byFingerprint.load(database("fp", fingerprintKey(tune) + "=0:10 0:20\n").string()));
    EXPECT_TRUE(byFingerprint.lookupTune(tune, 2, seconds));
    EXPECT_EQ(seconds, 20u);
    EXPECT_FALSE(byFingerprint.lookupTune(tune, 3, seconds));
    EXPECT_STREQ(byFingerprint.statusText(), kTooHigh);

    SongLengthDB byFile;
    ASSERT_TRUE(byFile.load(database("whole", fileMd5Key(tune) + "=0:30.250 0:40\n").string()));
    EXPECT_TRUE(byFile.lookupTune(tune, 1, seconds));
    EXPECT_EQ(seconds, 30u);

    SidTune none(static_cast<const char*>(nullptr));
    EXPECT_EQ(fingerprintKey(none), "");
    EXPECT_EQ(fileMd5Key(none), "");
    EXPECT_FALSE(byFile.lookupTune(none, 1, seconds));
    EXPECT_EQ(seconds, 0u);
}

} // namespace
} // namespace notecast
