// Every tune of the shared collection, once, against the collection's index
// and both forms of the public song-length database: the header as loaded and
// as printed, the fingerprints, the playing time and every song's start.
// (Every tune is converted by the MIDI file check and the hostile-input test.)
#include "convert/ConverterSettings.h"
#include "emu/EmuEngine.h"
#include "frontend/PlayingTime.h"
#include "frontend/TuneInfoPrinter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace notecast {
namespace {

namespace fs = std::filesystem;

// The index writes the header's Latin-1 bytes as UTF-8.
std::string latin1(const std::string& utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size())
            bytes += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        else
            bytes += static_cast<char>(c);
    }
    return bytes;
}

// file,version,data_offset,load,init,play,songs,start_song,speed,flags,clock,
// c64_bytes,md5_key,md5_file,name,author,copyright
std::vector<std::vector<std::string>> readIndex(const fs::path& index) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream csv(index);
    std::string line;
    std::getline(csv, line);
    while (std::getline(csv, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> f;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) f.push_back(field);
        if (line.back() == ',') f.emplace_back();
        EXPECT_EQ(f.size(), 17u) << line;
        if (f.size() == 17) rows.push_back(f);
    }
    return rows;
}

unsigned number(const std::string& text, int base = 10) {
    return static_cast<unsigned>(std::stoul(text, nullptr, base));
}

TEST(Collection, EveryTuneAgainstItsIndexAndTheDatabases) {
    const fs::path index = test::sharedFile("psid/index.csv");
    const fs::path txt = test::sharedFile("songlengths/Songlengths.txt");
    const fs::path md5 = test::sharedFile("songlengths/Songlengths.md5");
    if (index.empty() || txt.empty() || md5.empty()) GTEST_SKIP() << "shared test data absent";
    SongLengthDB byFingerprint, byFile;
    ASSERT_TRUE(byFingerprint.load(txt.string()));
    ASSERT_TRUE(byFile.load(md5.string()));
    EXPECT_EQ(byFingerprint.entryCount(), 50240u);
    EXPECT_EQ(byFile.entryCount(), 50240u);
    const auto rows = readIndex(index);
    ASSERT_GT(rows.size(), 20u);

    for (const auto& f : rows) {
        SCOPED_TRACE(f[0]);
        SidTune tune((index.parent_path() / f[0]).string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        const SidTuneInfo info = tune.getInfo();
        const unsigned songs = number(f[6]), flags = number(f[9], 16), speed = number(f[8], 16);
        EXPECT_EQ(tune.dataOffset(), number(f[2]));
        EXPECT_EQ((std::vector<unsigned>{info.songCount, info.startSong, info.clock, info.sidModel,
                                         info.usesVudidazerPlayer, static_cast<unsigned>(info.c64DataLength)}),
                  (std::vector<unsigned>{songs, number(f[7]), number(f[10]), (flags >> 4) & 3, flags & 1,
                                         number(f[11])}));
        std::ostringstream printed;
        printTuneInfo(printed, info, true);
        EXPECT_EQ(printed.str(), "File format  : PlaySID one-file format (PSID)\nName         : " + latin1(f[14]) +
                                     "\nAuthor       : " + latin1(f[15]) + "\nCopyright    : " + latin1(f[16]) +
                                     "\nAddresses    : $" + f[3] + ", $" + f[4] + ", $" + f[5] + "\n");
        for (unsigned song = 1; song <= songs; ++song) {
            tune.selectSong(static_cast<std::uint16_t>(song));
            const bool cia = ((speed >> std::min(song - 1, 31u)) & 1) != 0;
            EXPECT_EQ(tune.getInfo().songSpeed, cia ? kSpeedCia : kSpeedVbi) << "song " << song;
        }
        EXPECT_EQ(fingerprintKey(tune), f[12]);
        EXPECT_EQ(fileMd5Key(tune), f[13]);
        EXPECT_EQ(tune.getInfo().currentSong, songs);  // the fingerprint leaves the last song selected

        // Both database forms know every song alike (music.sid is no
        // collection tune); the program plays a known song one second longer.
        std::uint32_t seconds = 0;
        const bool known = f[0] != "music.sid";
        for (unsigned song = 1; song <= songs + 1; ++song) {
            std::uint32_t fromTxt = 0, fromMd5 = 0;
            const bool listed = known && song <= songs;
            EXPECT_EQ(byFingerprint.lookupTune(tune, static_cast<int>(song), fromTxt), listed) << song;
            EXPECT_EQ(byFile.lookupTune(tune, static_cast<int>(song), fromMd5), listed) << song;
            EXPECT_EQ(fromTxt, fromMd5) << song;
            if (song == number(f[7])) seconds = fromTxt;
        }
        if (!known) {
            EXPECT_STREQ(byFingerprint.statusText(), "No database entry for this sidtune!");
        }
        for (SongLengthDB* db : {&byFingerprint, &byFile}) {
            ConverterSettings settings;
            std::ostringstream sink;
            settlePlayingTime(*db, true, tune, static_cast<int>(number(f[7])), false, settings, sink, sink);
            EXPECT_EQ(settings.playSeconds, known ? seconds + 1 : 0u);
        }

        // The first and the last song start, and play 50 frames, unstopped.
        EmuEngine engine;
        for (std::uint16_t song : {std::uint16_t{0}, static_cast<std::uint16_t>(songs)}) {
            ASSERT_TRUE(engine.initSong(tune, song)) << song;
            EXPECT_FALSE(engine.initStopped()) << song;
            for (int frame = 0; frame < 50; ++frame)
                ASSERT_EQ(engine.playCall(), emu::RunResult::Returned) << song << " frame " << frame;
        }
    }
}

TEST(Collection, DescriptionLinesAndAddressesOfOtherFormats) {
    SidTuneInfo info;
    const char* lines[] = {"first", "second"};
    info.formatText = "Raw plus TUNEBOX ASCII text file (SID)";
    info.infoLineCount = 2;
    info.infoLines[0] = lines[0];
    info.infoLines[1] = lines[1];
    info.loadAddress = 0x0400;
    info.initAddress = 0xC000;
    info.playAddress = 0;
    std::ostringstream out;
    printTuneInfo(out, info, true);
    out << 255;  // decimal again afterwards
    EXPECT_EQ(out.str(), "File format  : Raw plus TUNEBOX ASCII text file (SID)\nDescription  : first\n"
                         "Description  : second\nAddresses    : $0400, $c000, $0\n255");
    info.infoLineCount = 0;
    std::ostringstream none;
    printTuneInfo(none, info, false);
    EXPECT_EQ(none.str(), "");
}

} // namespace
} // namespace notecast
