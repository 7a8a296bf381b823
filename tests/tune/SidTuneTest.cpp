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

TEST(PsidHeader, FieldsOfVersionsOneAndTwo) {
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
    std::copy_n("\x11\x22\xAB\xCD", 4, file.begin() + 0x78);
    SidTune tune = fromBuffer(file);
    ASSERT_TRUE(tune.status());
    const SidTuneInfo i = tune.getInfo();
    EXPECT_EQ(std::string(i.formatText) + "/" + i.statusText, "PlaySID one-file format (PSID)/No errors");
    EXPECT_EQ(test::layout(tune), "load $2000 init $2000 play $2003 songs 5/3 offset $7C");  // init 0: load
    EXPECT_EQ((std::vector<unsigned>{i.clock, i.sidModel, i.psidSpecific, i.usesVudidazerPlayer, i.relocStartPage,
                                     i.relocPageCount, i.reservedWord, static_cast<unsigned>(i.c64DataLength)}),
              (std::vector<unsigned>{kClockNtsc, 2, 1, 1, 0x11, 0x22, 0xABCD, 40}));
    EXPECT_EQ(str(i.titleText) + "/" + str(i.authorText) + "/" + str(i.copyrightText),
              std::string(31, 'N') + "/Author/1987 Somebody");
    EXPECT_EQ(i.dataFileLength, file.size());
    EXPECT_EQ(i.dataFileName, "-");

    // A version 1 header ends before the flags: the byte there is data.
    b.version = 1;
    b.code[1] = 0xFF;  // lands on offset 0x77
    SidTune v1 = fromBuffer(b.build());
    ASSERT_TRUE(v1.status());
    EXPECT_TRUE(v1.getInfo().clock == kClockUnknown && !v1.getInfo().usesVudidazerPlayer);
    EXPECT_EQ(test::layout(v1), "load $2000 init $2000 play $2003 songs 5/3 offset $76");
}

TEST(PsidHeader, LoadAddressFromTheData) {
    PsidBuilder b = psid(20);
    b.embedLoadAddress = true;
    b.init = 0;
    const auto file = b.build();
    SidTune tune = fromBuffer(file);
    ASSERT_TRUE(tune.status());
    EXPECT_EQ(test::layout(tune), "load $1000 init $1000 play $1003 songs 1/1 offset $7E");
    EXPECT_EQ(tune.getInfo().c64DataLength, file.size() - 0x7E);
    EXPECT_FALSE(tune.getInfo().duplicateLoadAddress);

    // Data that starts with its own load address + 2, as some rips do.
    PsidBuilder d = psid(4);
    d.code[0] = 0x02;
    d.code[1] = 0x10;
    EXPECT_TRUE(fromBuffer(d.build()).getInfo().duplicateLoadAddress);
}

TEST(PsidHeader, CutOrDamagedHeadersAreRefused) {
    const char kTruncated[] = "ERROR: PSID file is most likely truncated";
    auto v5 = psid().build();
    v5[5] = 5;
    auto beyond = psid(4).build();
    beyond[7] = static_cast<std::uint8_t>(beyond.size() + 1);  // data offset one past the end
    auto oneByte = psid(4).build();  // load address in the data, one byte left there
    oneByte[8] = oneByte[9] = 0;
    oneByte[7] = static_cast<std::uint8_t>(oneByte.size() - 1);
    const struct {
        const char* what;
        std::vector<std::uint8_t> file;
        const char* probeText;
    } cases[] = {{"125 bytes", psid(1).build(), kTruncated},
                 {"version 5", v5, ""},
                 {"data offset beyond the end", beyond, kTruncated},
                 {"half a load address", oneByte, kTruncated}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TuneProbe probe;
        EXPECT_FALSE(probe.psid(c.file));
        EXPECT_EQ(probe.format(), c.probeText);
        SidTune tune = fromBuffer(c.file);
        EXPECT_FALSE(tune.status());
        EXPECT_STREQ(tune.getInfo().statusText, kUnknownFormat);
        EXPECT_STREQ(tune.getInfo().formatText, "N/A");
    }

    // Just inside the limits: 126 bytes, and a data offset exactly at the end.
    EXPECT_TRUE(fromBuffer(psid(2).build()).status());
    auto atEnd = psid(4).build();
    atEnd[7] = static_cast<std::uint8_t>(atEnd.size());
    SidTune empty = fromBuffer(atEnd);
    ASSERT_TRUE(empty.status());
    EXPECT_EQ(empty.getInfo().c64DataLength, 0u);
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

TEST(PsidHeader, SongsAbove32TakeTheSpeedOfSong32) {
    PsidBuilder b = psid();
    b.songs = 40;
    test::TuneProbe probe;
    b.speed = 0x00000001;
    ASSERT_TRUE(probe.psid(b.build()));
    EXPECT_EQ(probe.speeds(1, 40), "C" + std::string(39, 'V'));
    b.speed = 0x80000000;
    ASSERT_TRUE(probe.psid(b.build()));
    EXPECT_EQ(probe.speeds(1, 40), std::string(31, 'V') + std::string(9, 'C'));
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
    EXPECT_TRUE(tune.getInfo().songSpeed == kSpeedCia && tune.getInfo().currentSong == 1);
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

    // Nothing loaded: nothing to select, nothing read.
    SidTune none(static_cast<const char*>(nullptr));
    EXPECT_EQ(none.selectSong(1), 0);
    EXPECT_EQ(none.selectSongClocked(0), 0);
}

// --- placement in C64 memory -----------------------------------------------

TEST(Placement, WrapsPastTheTopAndTakesAtMostAllOfMemory) {
    PsidBuilder b = psid(0x200);
    b.load = 0xFF00;
    std::vector<std::uint8_t> memory(0x10000, 0xEE);
    ASSERT_TRUE(fromBuffer(b.build()).placeInC64Memory(memory.data()));
    const auto data = code(0x200);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 0x100, memory.begin() + 0xFF00));
    EXPECT_TRUE(std::equal(data.begin() + 0x100, data.end(), memory.begin()));
    EXPECT_EQ(memory[0x100], 0xEE);
    EXPECT_EQ(memory[0xFEFF], 0xEE);

    b = psid(0x10000);
    b.load = 0x0801;
    ASSERT_TRUE(fromBuffer(b.build()).placeInC64Memory(memory.data()));
    EXPECT_EQ(memory[0x0801], code(1)[0]);
    EXPECT_EQ(memory[0x0800], code(0x10000)[0xFFFF]);

    b.code.push_back(0);
    SidTune tooBig = fromBuffer(b.build());
    ASSERT_TRUE(tooBig.status());
    EXPECT_FALSE(tooBig.placeInC64Memory(memory.data()));
    EXPECT_FALSE(tooBig.status());
    EXPECT_STREQ(tooBig.getInfo().statusText, "ERROR: Music data size exceeds C64 memory");

    // A buffer beyond the largest possible tune is not looked at.
    SidTune tooLong = fromBuffer(std::vector<std::uint8_t>(SidTune::kMaxBufferLength + 1, 0));
    EXPECT_FALSE(tooLong.status());
    EXPECT_STREQ(tooLong.getInfo().statusText, "ERROR: Input data too long");

    SidTune none(static_cast<const char*>(nullptr));
    EXPECT_FALSE(none.placeInC64Memory(memory.data()));
}

// --- loading files -----------------------------------------------------------

TEST(FileLoading, UnloadableFilesFailWithAText) {
    const fs::path dir = test::scratchDir("unreadable");
    auto corrupt = test::PackedStream::packLiteral(psid().build());
    corrupt.back() = 40;  // skip count above 32
    test::writeFile(dir / "corrupt.pp", corrupt);
    test::writeFile(dir / "empty.pp", std::vector<std::uint8_t>{'P', 'P', '2', '0', 9, 9, 9, 9, 0, 0, 0, 0});
    test::writeFile(dir / "empty.sid", std::string());
    test::writeFile(dir / "huge.sid", std::string("PSID"));
    fs::resize_file(dir / "huge.sid", 32 * 1024 * 1024 + 1);  // sparse: larger than any tune
    const std::pair<fs::path, std::string> cases[] = {
        {dir / "huge.sid", "ERROR: Could not load input file"},
        {dir, "ERROR: Could not open file for binary input"},
        {dir / "missing.sid", "ERROR: Could not open file for binary input"},
        {dir / "empty.sid", "ERROR: File is empty"},
        {dir / "empty.pp", "ERROR: File is empty"},
        {dir / "corrupt.pp", "PowerPacker: Packed data is corrupt"},
    };
    for (const auto& [path, text] : cases) {
        SidTune tune(path.c_str());
        EXPECT_FALSE(tune.status()) << path;
        EXPECT_EQ(text, tune.getInfo().statusText) << path;
        EXPECT_STREQ(tune.getInfo().formatText, "N/A") << path;
    }
}

TEST(FileLoading, PackedFilesNamePartsAndReloads) {
    const fs::path dir = test::scratchDir("packed-psid");
    const auto file = psid(64).build();
    test::writeFile(dir / "tune.sid", test::PackedStream::packLiteral(file));
    const std::string name = (dir / "tune.sid").string();

    SidTune tune(name.c_str(), nullptr, true);
    ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
    EXPECT_EQ(tune.cachedFile(), file);
    EXPECT_EQ(tune.getInfo().dataFileLength, file.size());
    EXPECT_EQ(tune.getInfo().path + "|" + tune.getInfo().dataFileName + "|" + tune.getInfo().infoFileName,
              dir.string() + "/|tune.sid|");

    // Without the flag only ':' and '\' separate directories.
    SidTune plain(name.c_str());
    EXPECT_EQ(plain.getInfo().path + "|" + plain.getInfo().dataFileName, "|" + name);

    // A reload starts from scratch.
    test::writeFile(dir / "bad.sid", std::string("not a tune"));
    EXPECT_FALSE(tune.load((dir / "bad.sid").c_str()));
    EXPECT_TRUE(tune.cachedFile().empty() && tune.getInfo().songCount == 0 && tune.getInfo().titleText == nullptr);
    EXPECT_TRUE(tune.load(file.data(), file.size()));
}

} // namespace
} // namespace notecast
