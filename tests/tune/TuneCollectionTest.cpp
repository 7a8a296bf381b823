// Real tunes of the public collection and its song-length databases.
#include "support/TestSupport.h"
#include "tune/Md5.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace notecast {
namespace {

// The columns this file checks; the header's texts and addresses are checked
// where the program prints them.
struct IndexRow {
    std::string file;
    unsigned dataOffset, songs, startSong, flags, clock, c64Bytes;
    std::uint32_t speed;
    std::string md5Key, md5File;
};

std::vector<IndexRow> readIndex() {
    std::vector<IndexRow> rows;
    const auto path = test::sharedFile("psid/index.csv");
    if (path.empty()) return rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; f.size() < 14 && std::getline(fields, field, ',');) f.push_back(field);
        const auto num = [&](std::size_t i, int base = 10) {
            return static_cast<unsigned>(std::stoul(f.at(i), nullptr, base));
        };
        rows.push_back({f[0], num(2), num(6), num(7), num(9, 16), num(10), num(11), num(8, 16), f.at(12), f.at(13)});
    }
    return rows;
}

TEST(TuneCollection, EveryTuneLoadsWithTheIndexedHeader) {
    const auto rows = readIndex();
    if (rows.empty()) GTEST_SKIP() << "shared test data absent";
    for (const IndexRow& row : rows) {
        SCOPED_TRACE(row.file);
        SidTune tune(test::sharedFile("psid/" + row.file).string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        const SidTuneInfo info = tune.getInfo();
        EXPECT_EQ(tune.dataOffset(), row.dataOffset);
        EXPECT_EQ(info.songCount, row.songs);
        EXPECT_EQ(info.startSong, row.startSong);
        EXPECT_EQ(info.clock, row.clock);
        EXPECT_EQ(info.sidModel, (row.flags >> 4) & 3);
        EXPECT_EQ(info.usesVudidazerPlayer, (row.flags & 1) != 0);
        EXPECT_EQ(info.c64DataLength, row.c64Bytes);
        for (unsigned song = 1; song <= row.songs; ++song) {
            tune.selectSong(static_cast<std::uint16_t>(song));
            const bool cia = ((row.speed >> std::min(song - 1, 31u)) & 1) != 0;
            EXPECT_EQ(tune.getInfo().songSpeed, cia ? kSpeedCia : kSpeedVbi) << "song " << song;
        }
        EXPECT_EQ(fingerprintKey(tune), row.md5Key);
        EXPECT_EQ(fileMd5Key(tune), row.md5File);
        // The fingerprint leaves the last song selected.
        EXPECT_EQ(tune.getInfo().currentSong, row.songs);
    }
}

TEST(TuneCollection, EveryCutOfRealTunesIsSafe) {
    const auto rows = readIndex();
    if (rows.empty()) GTEST_SKIP() << "shared test data absent";
    for (const char* name : {"Werner-Mach_hin.sid", "music.sid", "Splatform_256_bytes.sid"}) {
        const auto whole = test::readFile(test::sharedFile(std::string("psid/") + name));
        ASSERT_FALSE(whole.empty()) << name;
        const unsigned headerOffset = (whole[6] << 8) | whole[7];
        const bool embedded = whole[8] == 0 && whole[9] == 0;
        const std::size_t minimum = std::max<std::size_t>(0x7E, headerOffset + (embedded ? 2 : 0));
        std::vector<std::uint8_t> memory(0x10000);
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            SidTune tune(whole.data(), n);
            ASSERT_EQ(tune.status(), n >= minimum) << name << " cut at " << n;
            if (!tune.status()) continue;
            EXPECT_EQ(tune.getInfo().c64DataLength, n - tune.dataOffset());
            EXPECT_TRUE(tune.placeInC64Memory(memory.data()));
            EXPECT_EQ(fingerprintKey(tune).size(), 32u);
        }
    }
}

TEST(TuneCollection, BothDatabaseFormsKnowTheTunes) {
    const auto rows = readIndex();
    const auto txt = test::sharedFile("songlengths/Songlengths.txt");
    const auto md5 = test::sharedFile("songlengths/Songlengths.md5");
    if (rows.empty() || txt.empty() || md5.empty()) GTEST_SKIP() << "shared test data absent";
    SongLengthDB byFingerprint, byFile;
    ASSERT_TRUE(byFingerprint.load(txt.string()));
    ASSERT_TRUE(byFile.load(md5.string()));
    EXPECT_EQ(byFingerprint.entryCount(), 50240u);
    EXPECT_EQ(byFile.entryCount(), 50240u);

    for (const IndexRow& row : rows) {
        SCOPED_TRACE(row.file);
        SidTune tune(test::sharedFile("psid/" + row.file).string().c_str());
        ASSERT_TRUE(tune.status());
        std::uint32_t seconds = 0;
        if (row.file == "music.sid") {  // not in the collection
            EXPECT_FALSE(byFingerprint.lookupTune(tune, 1, seconds));
            EXPECT_STREQ(byFingerprint.statusText(), "No database entry for this sidtune!");
            continue;
        }
        for (int song = 1; song <= static_cast<int>(row.songs); ++song) {
            std::uint32_t fromTxt = 0, fromMd5 = 0;
            ASSERT_TRUE(byFingerprint.lookupTune(tune, song, fromTxt)) << song;
            ASSERT_TRUE(byFile.lookupTune(tune, song, fromMd5)) << song;
            EXPECT_EQ(fromTxt, fromMd5) << song;
            EXPECT_GT(fromTxt, 0u);
        }
        EXPECT_FALSE(byFingerprint.lookupTune(tune, static_cast<int>(row.songs) + 1, seconds));
    }
}

} // namespace
} // namespace notecast
