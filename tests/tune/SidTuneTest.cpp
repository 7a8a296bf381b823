#include "support/TestSupport.h"
#include "tune/PackedStream.h"
#include "tune/TuneProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using test::PsidBuilder;

const char kUnknownFormat[] = "ERROR: Could not determine file format";

std::vector<std::uint8_t> code(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return bytes;
}

PsidBuilder psid(std::size_t codeBytes = 16) {
    PsidBuilder b;
    b.code = code(codeBytes);
    return b;
}

SidTune fromBuffer(const std::vector<std::uint8_t>& file) { return SidTune(file.data(), file.size()); }

std::string str(const char* text) { return text ? text : "(null)"; }

// --- PSID header ---------------------------------------------------------

TEST(PsidHeader, TruncatedAndFutureVersionsAreRefused) {
    test::TuneProbe probe;
    auto file = psid(1).build();  // 124-byte header + 1 = 125 bytes
    ASSERT_EQ(file.size(), 125u);
    EXPECT_FALSE(probe.psid(file));
    EXPECT_EQ(probe.format(), "ERROR: PSID file is most likely truncated");
    file.push_back(0);
    EXPECT_TRUE(probe.psid(file));

    auto v3 = psid().build();
    v3[5] = 3;
    EXPECT_FALSE(probe.psid(v3));
    EXPECT_EQ(probe.format(), "");
    SidTune tune = fromBuffer(v3);
    EXPECT_FALSE(tune.status());
    EXPECT_STREQ(tune.getInfo().statusText, kUnknownFormat);
    EXPECT_STREQ(tune.getInfo().formatText, "N/A");
}

TEST(PsidHeader, FieldsAndCorrections) {
    PsidBuilder b = psid(40);
    b.load = 0x2000;
    b.init = 0;
    b.play = 0x2003;
    b.songs = 5;
    b.startSong = 3;
    b.flags = 0x08 | 0x20 | 0x02 | 0x01;  // NTSC, model 2, PSID-specific, Vudidazer
    b.name = std::string(32, 'N');
    b.author = "Author";
    b.copyright = "1987 Somebody";
    auto file = b.build();
    file[0x78] = 0x11;
    file[0x79] = 0x22;
    file[0x7A] = 0xAB;
    file[0x7B] = 0xCD;
    SidTune tune = fromBuffer(file);
    ASSERT_TRUE(tune.status());
    const SidTuneInfo info = tune.getInfo();
    EXPECT_STREQ(info.formatText, "PlaySID one-file format (PSID)");
    EXPECT_STREQ(info.statusText, "No errors");
    EXPECT_EQ(info.loadAddress, 0x2000);
    EXPECT_EQ(info.initAddress, 0x2000);  // init 0 means the load address
    EXPECT_EQ(info.playAddress, 0x2003);
    EXPECT_EQ(info.songCount, 5);
    EXPECT_EQ(info.startSong, 3);
    EXPECT_EQ(info.clock, kClockNtsc);
    EXPECT_EQ(info.sidModel, 2);
    EXPECT_TRUE(info.psidSpecific);
    EXPECT_TRUE(info.usesVudidazerPlayer);
    EXPECT_EQ(info.relocStartPage, 0x11);
    EXPECT_EQ(info.relocPageCount, 0x22);
    EXPECT_EQ(info.reservedWord, 0xABCD);
    EXPECT_EQ(str(info.titleText), std::string(31, 'N'));
    EXPECT_EQ(str(info.authorText), "Author");
    EXPECT_EQ(str(info.copyrightText), "1987 Somebody");
    EXPECT_EQ(info.infoLines[0], info.titleText);
    EXPECT_EQ(info.dataFileLength, file.size());
    EXPECT_EQ(info.c64DataLength, 40u);
    EXPECT_EQ(tune.dataOffset(), 0x7Cu);
    EXPECT_EQ(info.dataFileName, "-");
    EXPECT_EQ(info.infoFileName, "-");
    EXPECT_EQ(info.comments, std::vector<std::string>{"--- SAVED WITH TUNEBOX ---"});
    EXPECT_STREQ(info.speedText, "N/A");
}

TEST(PsidHeader, VersionOneIgnoresTheFlagByte) {
    PsidBuilder b = psid();
    b.version = 1;
    b.code[1] = 0xFF;  // lands on offset 0x77
    const auto file = b.build();
    ASSERT_EQ(file[0x77], 0xFF);
    SidTune tune = fromBuffer(file);
    ASSERT_TRUE(tune.status());
    EXPECT_EQ(tune.getInfo().clock, kClockUnknown);
    EXPECT_FALSE(tune.getInfo().usesVudidazerPlayer);
    EXPECT_EQ(tune.dataOffset(), 0x76u);
}

TEST(PsidHeader, LoadAddressFromTheData) {
    PsidBuilder b = psid(20);
    b.embedLoadAddress = true;
    b.init = 0;
    const auto file = b.build();
    SidTune tune = fromBuffer(file);
    ASSERT_TRUE(tune.status());
    EXPECT_EQ(tune.getInfo().loadAddress, 0x1000);
    EXPECT_EQ(tune.getInfo().initAddress, 0x1000);
    EXPECT_EQ(tune.dataOffset(), 0x7Eu);
    EXPECT_EQ(tune.getInfo().c64DataLength, file.size() - 0x7E);
    EXPECT_FALSE(tune.getInfo().duplicateLoadAddress);

    // Data that starts with its own load address + 2, as some rips do.
    PsidBuilder d = psid(4);
    d.code[0] = 0x02;
    d.code[1] = 0x10;
    EXPECT_TRUE(fromBuffer(d.build()).getInfo().duplicateLoadAddress);
}

TEST(PsidHeader, OffsetsOutsideTheFileAreRefused) {
    // A data offset past the end of the file.
    auto beyond = psid(4).build();
    beyond[6] = 0x01;
    beyond[7] = 0x00;  // 0x100 > 128 bytes
    test::TuneProbe probe;
    EXPECT_FALSE(probe.psid(beyond));
    SidTune tune = fromBuffer(beyond);
    EXPECT_FALSE(tune.status());
    EXPECT_STREQ(tune.getInfo().statusText, kUnknownFormat);

    // Load address in the data, but only one byte left at the data offset.
    auto oneByte = psid(4).build();
    oneByte[8] = oneByte[9] = 0;
    oneByte[7] = static_cast<std::uint8_t>(oneByte.size() - 1);
    EXPECT_FALSE(probe.psid(oneByte));
    // An offset exactly at the end is a tune without data.
    auto atEnd = psid(4).build();
    atEnd[7] = static_cast<std::uint8_t>(atEnd.size());
    SidTune empty = fromBuffer(atEnd);
    ASSERT_TRUE(empty.status());
    EXPECT_EQ(empty.getInfo().c64DataLength, 0u);

    // The same through a file: the container then tries companion files.
    const fs::path dir = test::scratchDir("psid-beyond");
    test::writeFile(dir / "tune.sid", beyond);
    SidTune fromFile((dir / "tune.sid").c_str());
    EXPECT_FALSE(fromFile.status());
    EXPECT_STREQ(fromFile.getInfo().statusText, kUnknownFormat);
    EXPECT_STREQ(fromFile.getInfo().formatText, "N/A");
}

TEST(PsidHeader, SongCountAndStartSongLimits) {
    struct Case {
        std::uint16_t songs, start, wantSongs, wantStart;
    } cases[] = {{0, 0, 1, 1}, {1000, 5, 256, 5}, {300, 0, 256, 1}, {300, 257, 256, 1}, {4, 5, 4, 1}};
    for (const Case& c : cases) {
        PsidBuilder b = psid();
        b.songs = c.songs;
        b.startSong = c.start;
        SidTune tune = fromBuffer(b.build());
        ASSERT_TRUE(tune.status());
        EXPECT_EQ(tune.getInfo().songCount, c.wantSongs) << c.songs;
        EXPECT_EQ(tune.getInfo().startSong, c.wantStart) << c.songs << "/" << c.start;
    }
}

TEST(PsidHeader, SpeedBitsPerSong) {
    PsidBuilder b = psid();
    b.songs = 3;
    b.speed = 1;
    test::TuneProbe probe;
    ASSERT_TRUE(probe.psid(b.build()));
    EXPECT_EQ(probe.speedOf(1), kSpeedCia);
    EXPECT_EQ(probe.speedOf(2), kSpeedVbi);
    EXPECT_EQ(probe.speedOf(3), kSpeedVbi);

    // Songs above 32 share the bit of song 32.
    b.songs = 40;
    b.speed = 0x00000001;
    ASSERT_TRUE(probe.psid(b.build()));
    EXPECT_EQ(probe.speedOf(1), kSpeedCia);
    EXPECT_EQ(probe.speedOf(33), kSpeedVbi);
    EXPECT_EQ(probe.speedOf(40), kSpeedVbi);
    b.speed = 0x80000000;
    ASSERT_TRUE(probe.psid(b.build()));
    EXPECT_EQ(probe.speedOf(1), kSpeedVbi);
    EXPECT_EQ(probe.speedOf(31), kSpeedVbi);
    EXPECT_EQ(probe.speedOf(32), kSpeedCia);
    EXPECT_EQ(probe.speedOf(33), kSpeedCia);
    EXPECT_EQ(probe.speedOf(40), kSpeedCia);
}

// --- song selection --------------------------------------------------------

TEST(SongSelection, SpeedTextsAndOutOfRangeSongs) {
    PsidBuilder b = psid();
    b.songs = 3;
    b.startSong = 2;
    b.speed = 1;
    SidTune tune = fromBuffer(b.build());
    ASSERT_TRUE(tune.status());

    EXPECT_EQ(tune.selectSong(1), 1);
    EXPECT_STREQ(tune.getInfo().speedText, "CIA 1 Timer A");
    EXPECT_EQ(tune.getInfo().songSpeed, kSpeedCia);
    EXPECT_EQ(tune.getInfo().currentSong, 1);
    EXPECT_EQ(tune.selectSong(0), 2);
    EXPECT_STREQ(tune.getInfo().speedText, "VBI");
    EXPECT_STREQ(tune.getInfo().statusText, "No errors");

    EXPECT_EQ(tune.selectSong(4), 2);
    EXPECT_STREQ(tune.getInfo().statusText, "WARNING: Selected song number was too high");
    EXPECT_TRUE(tune.status());

    EXPECT_EQ(tune.selectSongClocked(1), 1);
    EXPECT_STREQ(tune.getInfo().speedText, "CIA 1 Timer A (PAL)");
    EXPECT_EQ(tune.selectSongClocked(3), 3);
    EXPECT_STREQ(tune.getInfo().speedText, "50 Hz VBI (PAL)");

    b.flags = 0x08;  // NTSC
    SidTune ntsc = fromBuffer(b.build());
    ntsc.selectSongClocked(1);
    EXPECT_STREQ(ntsc.getInfo().speedText, "CIA 1 Timer A (NTSC)");
    ntsc.selectSongClocked(2);
    EXPECT_STREQ(ntsc.getInfo().speedText, "60 Hz VBI (NTSC)");
    EXPECT_EQ(ntsc.getInfo().songClock, kClockNtsc);

    // 256 songs: song 257 warns.
    b.songs = 256;
    SidTune many = fromBuffer(b.build());
    EXPECT_EQ(many.selectSong(257), 2);
    EXPECT_STREQ(many.getInfo().statusText, "WARNING: Selected song number was too high");

    // Nothing loaded: nothing to select, nothing read.
    SidTune none(static_cast<const char*>(nullptr));
    EXPECT_EQ(none.selectSong(1), 0);
    EXPECT_EQ(none.selectSongClocked(0), 0);
}

// --- placement in C64 memory -----------------------------------------------

TEST(Placement, WrapsPastTheTopOfMemory) {
    PsidBuilder b = psid(0x200);
    b.load = 0xFF00;
    SidTune tune = fromBuffer(b.build());
    std::vector<std::uint8_t> memory(0x10000, 0xEE);
    ASSERT_TRUE(tune.placeInC64Memory(memory.data()));
    const auto data = code(0x200);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 0x100, memory.begin() + 0xFF00));
    EXPECT_TRUE(std::equal(data.begin() + 0x100, data.end(), memory.begin()));
    EXPECT_EQ(memory[0x100], 0xEE);
    EXPECT_EQ(memory[0xFEFF], 0xEE);
}

TEST(Placement, AtMostAllOfMemory) {
    PsidBuilder b = psid(0x10000);
    b.load = 0x0801;
    SidTune fits = fromBuffer(b.build());
    std::vector<std::uint8_t> memory(0x10000, 0);
    ASSERT_TRUE(fits.placeInC64Memory(memory.data()));
    EXPECT_EQ(memory[0x0801], code(1)[0]);
    EXPECT_EQ(memory[0x0800], code(0x10000)[0xFFFF]);

    b.code.push_back(0);
    SidTune tooBig = fromBuffer(b.build());
    ASSERT_TRUE(tooBig.status());
    EXPECT_FALSE(tooBig.placeInC64Memory(memory.data()));
    EXPECT_FALSE(tooBig.status());
    EXPECT_STREQ(tooBig.getInfo().statusText, "ERROR: Music data size exceeds C64 memory");

    // A buffer beyond the largest possible tune is not looked at.
    std::vector<std::uint8_t> huge(SidTune::kMaxBufferLength + 1, 0);
    SidTune tooLong = fromBuffer(huge);
    EXPECT_FALSE(tooLong.status());
    EXPECT_STREQ(tooLong.getInfo().statusText, "ERROR: Input data too long");

    SidTune none(static_cast<const char*>(nullptr));
    EXPECT_FALSE(none.placeInC64Memory(memory.data()));
}

// --- loading files -----------------------------------------------------------

TEST(FileLoading, UnreadableNamesFailWithAText) {
    const fs::path dir = test::scratchDir("unreadable");
    SidTune directory(dir.c_str());
    EXPECT_FALSE(directory.status());
    EXPECT_STREQ(directory.getInfo().statusText, "ERROR: Could not open file for binary input");
    EXPECT_STREQ(directory.getInfo().formatText, "N/A");

    SidTune missing((dir / "missing.sid").c_str());
    EXPECT_STREQ(missing.getInfo().statusText, "ERROR: Could not open file for binary input");

    test::writeFile(dir / "empty.sid", std::string());
    SidTune empty((dir / "empty.sid").c_str());
    EXPECT_STREQ(empty.getInfo().statusText, "ERROR: File is empty");

    test::writeFile(dir / "empty.pp", std::vector<std::uint8_t>{'P', 'P', '2', '0', 9, 9, 9, 9, 0, 0, 0, 0});
    SidTune packedEmpty((dir / "empty.pp").c_str());
    EXPECT_STREQ(packedEmpty.getInfo().statusText, "ERROR: File is empty");

    auto corrupt = test::PackedStream::packLiteral(psid().build());
    corrupt.back() = 40;
    test::writeFile(dir / "corrupt.pp", corrupt);
    SidTune packedCorrupt((dir / "corrupt.pp").c_str());
    EXPECT_FALSE(packedCorrupt.status());
    EXPECT_STREQ(packedCorrupt.getInfo().statusText, "PowerPacker: Packed data is corrupt");
}

TEST(FileLoading, ReadOnlyFilesLoad) {
    const fs::path dir = test::scratchDir("read-only");
    test::writeFile(dir / "tune.sid", psid().build());
    fs::permissions(dir / "tune.sid", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    SidTune tune((dir / "tune.sid").c_str());
    EXPECT_TRUE(tune.status()) << tune.getInfo().statusText;
}

TEST(FileLoading, PackedFilesAndNameParts) {
    const fs::path dir = test::scratchDir("packed-psid");
    const auto file = psid(64).build();
    test::writeFile(dir / "tune.sid", test::PackedStream::packLiteral(file));
    const std::string name = (dir / "tune.sid").string();

    SidTune tune(name.c_str(), nullptr, true);
    ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
    EXPECT_EQ(tune.cachedFile(), file);
    EXPECT_EQ(tune.getInfo().dataFileLength, file.size());
    EXPECT_EQ(tune.getInfo().dataFileName, "tune.sid");
    EXPECT_EQ(tune.getInfo().path, dir.string() + "/");
    EXPECT_EQ(tune.getInfo().infoFileName, "");

    // Without the flag only ':' and '\' separate directories.
    SidTune plain(name.c_str());
    EXPECT_EQ(plain.getInfo().dataFileName, name);
    EXPECT_EQ(plain.getInfo().path, "");

    // Magic with an unknown efficiency table: plain data, not a packing error.
    auto unknownTable = test::PackedStream::packLiteral(file);
    unknownTable[7] = 12;
    test::writeFile(dir / "odd.sid", unknownTable);
    SidTune odd((dir / "odd.sid").c_str());
    EXPECT_STREQ(odd.getInfo().statusText, kUnknownFormat);

    // A reload starts from scratch.
    test::writeFile(dir / "bad.sid", std::string("not a tune"));
    EXPECT_FALSE(tune.load((dir / "bad.sid").c_str()));
    EXPECT_TRUE(tune.cachedFile().empty());
    EXPECT_EQ(tune.getInfo().songCount, 0);
    EXPECT_EQ(tune.getInfo().titleText, nullptr);
    EXPECT_TRUE(tune.load(file.data(), file.size()));
}

// --- companion files ---------------------------------------------------------

const std::string kInfo = "TUNEBOX INFOFILE\nADDRESS=1000,1000,1003\nSONGS=1,1\nSPEED=0\nNAME=x\n";

TEST(CompanionSearch, RawDataWithoutADescriptionTriesEveryExtension) {
    const fs::path dir = test::scratchDir("search-exhausted");
    test::writeFile(dir / "tune.dat", code(50));
    SidTune none((dir / "tune.dat").c_str());
    EXPECT_FALSE(none.status());
    EXPECT_STREQ(none.getInfo().statusText, kUnknownFormat);
    EXPECT_STREQ(none.getInfo().formatText, "N/A");

    // The last extension of the list is still tried.
    test::writeFile(dir / "tune.DATA", kInfo);
    SidTune last((dir / "tune.dat").c_str());
    ASSERT_TRUE(last.status()) << last.getInfo().statusText;
    EXPECT_EQ(last.getInfo().infoFileName, (dir / "tune.DATA").string());
}

TEST(CompanionSearch, BothDirectionsFindTheSamePair) {
    const fs::path dir = test::scratchDir("search-both");
    test::writeFile(dir / "tune.sid", kInfo);
    test::writeFile(dir / "tune.dat", code(50));
    for (const char* named : {"tune.sid", "tune.dat"}) {
        SidTune tune((dir / named).c_str(), nullptr, true);
        ASSERT_TRUE(tune.status()) << named << ": " << tune.getInfo().statusText;
        EXPECT_EQ(tune.getInfo().dataFileName, "tune.dat") << named;
        EXPECT_EQ(tune.getInfo().infoFileName, "tune.sid") << named;
        EXPECT_EQ(tune.cachedFile(), code(50)) << named;
        EXPECT_STREQ(tune.getInfo().formatText, "Raw plus TUNEBOX ASCII text file (SID)");
    }
}

TEST(CompanionSearch, TheNamedFileIsNeverItsOwnCompanion) {
    // A description named tune.dat: tune.dat and tune.DAT are skipped, so no
    // data file is found rather than the description read as its own data.
    const fs::path dir = test::scratchDir("search-skip");
    test::writeFile(dir / "tune.dat", kInfo);
    SidTune tune((dir / "tune.dat").c_str());
    EXPECT_FALSE(tune.status());
    EXPECT_STREQ(tune.getInfo().statusText, "ERROR: Did not find the corresponding data file");
    EXPECT_STREQ(tune.getInfo().formatText, "N/A");

    // The same for a name without any extension: the empty extension gives
    // the name itself.
    test::writeFile(dir / "song", kInfo);
    SidTune bare((dir / "song").c_str());
    EXPECT_STREQ(bare.getInfo().statusText, "ERROR: Did not find the corresponding data file");
}

TEST(CompanionSearch, EmptyExtensionAndNamesWithoutADot) {
    const fs::path dir = test::scratchDir("search-empty");
    test::writeFile(dir / "tune.inf", kInfo);
    test::writeFile(dir / "tune", code(8));
    SidTune byInfo((dir / "tune.inf").c_str(), nullptr, true);
    ASSERT_TRUE(byInfo.status()) << byInfo.getInfo().statusText;
    EXPECT_EQ(byInfo.getInfo().dataFileName, "tune");

    SidTune byData((dir / "tune").c_str(), nullptr, true);
    ASSERT_TRUE(byData.status()) << byData.getInfo().statusText;
    EXPECT_EQ(byData.getInfo().infoFileName, "tune.inf");

    // A dot in a directory name does not start an extension.
    const fs::path versioned = test::scratchDir("v1.2");
    test::writeFile(versioned / "song", code(8));
    test::writeFile(versioned / "song.inf", kInfo);
    SidTune nested((versioned / "song").c_str(), nullptr, true);
    ASSERT_TRUE(nested.status()) << nested.getInfo().statusText;
    EXPECT_EQ(nested.getInfo().infoFileName, "song.inf");
}

} // namespace
} // namespace notecast
