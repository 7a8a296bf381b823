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

struct IndexRow {
    std::string file;
    unsigned version, dataOffset, load, init, play, songs, startSong;
    std::uint32_t speed;
    unsigned flags, clock, c64Bytes;
    std::string md5Key, md5File, name, author, copyright;
};

std::vector<IndexRow> readIndex() {
    std::vector<IndexRow> rows;
    const auto path = test::sharedFile("psid/index.csv");
    if (path.empty()) return rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
        while (f.size() < 17) f.emplace_back();  // empty text fields at the end
        const auto hex = [](const std::string& s) { return static_cast<unsigned>(std::stoul(s, nullptr, 16)); };
        rows.push_back({f[0], static_cast<unsigned>(std::stoul(f[1])), static_cast<unsigned>(std::stoul(f[2])),
                        hex(f[3]), hex(f[4]), hex(f[5]), static_cast<unsigned>(std::stoul(f[6])),
                        static_cast<unsigned>(std::stoul(f[7])), static_cast<std::uint32_t>(std::stoul(f[8], nullptr, 16)),
                        hex(f[9]), static_cast<unsigned>(std::stoul(f[10])),
                        static_cast<unsigned>(std::stoul(f[11])), f[12], f[13], f[14], f[15], f[16]});
    }
    return rows;
}

// The header's texts are Latin-1; the index writes them in UTF-8.
std::string utf8(const char* latin1) {
    std::string out;
    for (const char* p = latin1; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

TEST(TuneCollection, EveryTuneLoadsWithTheIndexedHeader) {
    const auto rows = readIndex();
    if (rows.empty()) GTEST_SKIP() << "shared test data absent";
    for (const IndexRow& row : rows) {
        SCOPED_TRACE(row.file);
        SidTune tune(test::sharedFile("psid/" + row.file).string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        const SidTuneInfo info = tune.getInfo();
        EXPECT_STREQ(info.formatText, "PlaySID one-file format (PSID)");
        EXPECT_EQ(tune.dataOffset(), row.dataOffset);
        EXPECT_EQ(info.loadAddress, row.load);
        EXPECT_EQ(info.initAddress, row.init);
        EXPECT_EQ(info.playAddress, row.play);
        EXPECT_EQ(info.songCount, row.songs);
        EXPECT_EQ(info.startSong, row.startSong);
        EXPECT_EQ(info.clock, row.clock);
        EXPECT_EQ(info.sidModel, (row.flags >> 4) & 3);
        EXPECT_EQ(info.usesVudidazerPlayer, (row.flags & 1) != 0);
        EXPECT_EQ(info.c64DataLength, row.c64Bytes);
        EXPECT_EQ(utf8(info.titleText), row.name);
        EXPECT_EQ(utf8(info.authorText), row.author);
        EXPECT_EQ(utf8(info.copyrightText), row.copyright);
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
        for (unsigned song = 1; song <= row.songs; ++song) {
            std::uint32_t fromTxt = 0, fromMd5 = 0;
            ASSERT_TRUE(byFingerprint.lookup(row.md5Key.c_str(), static_cast<int>(song), fromTxt)) << song;
            ASSERT_TRUE(byFile.lookup(row.md5File.c_str(), static_cast<int>(song), fromMd5)) << song;
            EXPECT_EQ(fromTxt, fromMd5) << song;
            EXPECT_GT(fromTxt, 0u);
            ASSERT_TRUE(byFingerprint.lookupTune(tune, static_cast<int>(song), seconds));
            EXPECT_EQ(seconds, fromTxt);
            ASSERT_TRUE(byFile.lookupTune(tune, static_cast<int>(song), seconds));
            EXPECT_EQ(seconds, fromTxt);
        }
        EXPECT_FALSE(byFingerprint.lookup(row.md5Key.c_str(), static_cast<int>(row.songs) + 1, seconds));
    }
}

} // namespace
} // namespace notecast
