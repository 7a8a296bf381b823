#include "support/TestSupport.h"
#include "tune/PackedStream.h"
#include "tune/TuneProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using test::TuneProbe;

const std::vector<std::uint8_t> kData = {0x00, 0x10, 0xA9, 0x00, 0x60};

std::string str(const char* text) { return text ? text : "(null)"; }

// --- text info files ---------------------------------------------------------

TEST(TextInfoFile, AllKeysWithTheLoadAddressInTheData) {
    TuneProbe tune;
    const std::string info =
        "TUNEBOX INFOFILE\r\nADDRESS=0000,1000,1003\r\nSONGS=3,2\rSPEED=5\nNAME=Title\n"
        "AUTHOR=Someone\nCOPYRIGHT=1986 Firm\n";
    ASSERT_TRUE(tune.textInfo(&kData, info));
    const SidTuneInfo i = tune.getInfo();
    EXPECT_STREQ(i.formatText, "Raw plus TUNEBOX ASCII text file (SID)");
    EXPECT_EQ(i.loadAddress, 0x1000);
    EXPECT_EQ(i.initAddress, 0x1000);
    EXPECT_EQ(i.playAddress, 0x1003);
    EXPECT_EQ(tune.dataOffset(), 2u);
    EXPECT_EQ(i.songCount, 3);
    EXPECT_EQ(i.startSong, 2);
    EXPECT_EQ(tune.speedOf(1), kSpeedCia);
    EXPECT_EQ(tune.speedOf(2), kSpeedVbi);
    EXPECT_EQ(tune.speedOf(3), kSpeedCia);
    EXPECT_EQ(str(i.titleText), "Title");
    EXPECT_EQ(str(i.authorText), "Someone");
    EXPECT_EQ(str(i.copyrightText), "1986 Firm");
    EXPECT_EQ(i.infoLineCount, 3);
    EXPECT_FALSE(i.usesVudidazerPlayer);

    // Probed without data, the load address stays as written.
    ASSERT_TRUE(tune.textInfo(nullptr, info));
    EXPECT_EQ(tune.getInfo().loadAddress, 0);
    EXPECT_EQ(tune.dataOffset(), 0u);
}

TEST(TextInfoFile, SomeKeysAreEnough) {
    TuneProbe tune;
    ASSERT_TRUE(tune.textInfo(&kData, "TUNEBOX INFOFILE\nSONGS=2,1\n"));
    const SidTuneInfo i = tune.getInfo();
    EXPECT_EQ(i.loadAddress, 0x1000);
    EXPECT_EQ(i.initAddress, 0x1000);
    EXPECT_EQ(i.playAddress, 0);
    EXPECT_EQ(i.songCount, 2);
    EXPECT_EQ(str(i.titleText), "");  // missing texts are empty, not absent

    // First line only, or only unknown keys: no tune.
    EXPECT_FALSE(tune.textInfo(&kData, "TUNEBOX INFOFILE\nCOMMENT=hello\n"));
    EXPECT_EQ(tune.format(), "ERROR: SID file is truncated");
    EXPECT_FALSE(tune.textInfo(&kData, "TUNEBOX INFOFILX\nSONGS=2,1\n"));
    EXPECT_EQ(tune.format(), "");
    EXPECT_FALSE(tune.textInfo(&kData, "TUNEBOX INFOFILE"));  // shorter than 18 bytes
    // The magic ignores case.
    EXPECT_TRUE(tune.textInfo(&kData, "tunebox infofile\nsongs=4,2\n"));
    EXPECT_EQ(tune.getInfo().songCount, 4);
    EXPECT_EQ(tune.getInfo().startSong, 2);
}

TEST(TextInfoFile, CutOffAddressLineEndsTheFile) {
    TuneProbe tune;
    EXPECT_FALSE(tune.textInfo(&kData, "TUNEBOX INFOFILE\nADDRESS=1000\nSONGS=2,1\n"));
    EXPECT_EQ(tune.format(), "ERROR: SID file is truncated");

    ASSERT_TRUE(tune.textInfo(&kData, "TUNEBOX INFOFILE\nNAME=x\nADDRESS=1000,\nSONGS=2,1\n"));
    EXPECT_EQ(tune.getInfo().songCount, 0);  // the line after was never read
    EXPECT_EQ(tune.getInfo().loadAddress, 0x1000);  // from the data
    EXPECT_EQ(str(tune.getInfo().titleText), "x");
}

TEST(TextInfoFile, KeysWithBlanksAndLongValues) {
    TuneProbe tune;
    ASSERT_TRUE(tune.textInfo(&kData, "TUNEBOX INFOFILE\n  name = Tune \n Add ress = 2000 , 2001 , 2002\n"));
    EXPECT_EQ(str(tune.getInfo().titleText), " Tune ");
    EXPECT_EQ(tune.getInfo().loadAddress, 0x2000);
    EXPECT_EQ(tune.getInfo().initAddress, 0x2001);
    EXPECT_EQ(tune.getInfo().playAddress, 0x2002);

    const std::string longName(100, 'L');
    ASSERT_TRUE(tune.textInfo(&kData, "TUNEBOX INFOFILE\nNAME=" + longName + "\n"));
    EXPECT_EQ(str(tune.getInfo().titleText), std::string(80, 'L'));

    // Hex digits in either case; the text ends at its first NUL.
    ASSERT_TRUE(tune.textInfo(&kData, std::string("TUNEBOX INFOFILE\nSPEED=fFfFfFfF\n\0SONGS=9,9\n", 40)));
    EXPECT_EQ(tune.speedOf(1), kSpeedCia);
    EXPECT_EQ(tune.speedOf(200), kSpeedCia);
    EXPECT_EQ(tune.getInfo().songCount, 0);
}

TEST(TextInfoFile, SidsongCountsOnlyUntilTheSixKeysAreComplete) {
    const std::string keys[] = {"ADDRESS=1000,1000,1003", "SONGS=1,1", "SPEED=0",
                                "NAME=n", "AUTHOR=a", "COPYRIGHT=c"};
    std::string before = "TUNEBOX INFOFILE\nSIDSONG=YES\n", after = "TUNEBOX INFOFILE\n";
    for (const auto& k : keys) {
        before += k + "\n";
        after += k + "\n";
    }
    after += "sidsong=yes\n";
    TuneProbe tune;
    ASSERT_TRUE(tune.textInfo(&kData, before));
    EXPECT_TRUE(tune.getInfo().usesVudidazerPlayer);
    ASSERT_TRUE(tune.textInfo(&kData, after));
    EXPECT_FALSE(tune.getInfo().usesVudidazerPlayer);
}

TEST(TextInfoFile, DataTooShortForItsLoadAddress) {
    TuneProbe tune;
    const std::vector<std::uint8_t> oneByte = {0x00};
    EXPECT_FALSE(tune.textInfo(&oneByte, "TUNEBOX INFOFILE\nADDRESS=0,1000,1003\n"));
    EXPECT_EQ(tune.format(), "ERROR: C64 data file is corrupt");
    EXPECT_TRUE(tune.textInfo(&oneByte, "TUNEBOX INFOFILE\nADDRESS=0800,1000,1003\n"));
}

// --- icon tooltype files -----------------------------------------------------

// Builds a project icon with tooltypes. Fields not given stay 0.
struct IconBuilder {
    bool images = false;
    int renders = 0;                 // 0, 1 or 2 render structures
    std::uint8_t borderPairs = 2;
    std::uint16_t width = 20, height = 3, depth = 2;
    std::uint8_t planePick = 0x03;   // two planes
    std::string defaultTool = "SYS:Player";
    std::vector<std::string> tooltypes = {"ADDRESS=1000,1000,1003", "SONGS=2,1", "SPEED=1",
                                          "NAME=Icon Tune", "AUTHOR=Someone", "COPYRIGHT=1990"};

    static void put32(std::vector<std::uint8_t>& f, std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) f.push_back(static_cast<std::uint8_t>(v >> s));
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> f(0x4E, 0);
        f[0] = 0xE3; f[1] = 0x10; f[3] = 1;
        f[0x11] = images ? 0x04 : 0x00;
        if (renders >= 1) f[0x19] = 1;
        if (renders >= 2) f[0x1D] = 1;
        f[0x30] = 4;
        for (int r = 0; r < renders; ++r) {
            if (images) {
                std::vector<std::uint8_t> image(20, 0);
                image[4] = static_cast<std::uint8_t>(width >> 8); image[5] = static_cast<std::uint8_t>(width);
                image[6] = static_cast<std::uint8_t>(height >> 8); image[7] = static_cast<std::uint8_t>(height);
                image[8] = static_cast<std::uint8_t>(depth >> 8); image[9] = static_cast<std::uint8_t>(depth);
                image[14] = planePick;
                f.insert(f.end(), image.begin(), image.end());
                f.insert(f.end(), (width + 15) / 16 * height * 2 * 2, 0xAA);  // two planes
            } else {
                std::vector<std::uint8_t> border(16, 0);
                border[7] = borderPairs;
                f.insert(f.end(), border.begin(), border.end());
                f.insert(f.end(), 4u * borderPairs, 0x55);
            }
        }
        put32(f, static_cast<std::uint32_t>(defaultTool.size() + 1));
        f.insert(f.end(), defaultTool.begin(), defaultTool.end());
        f.push_back(0);
        put32(f, static_cast<std::uint32_t>((tooltypes.size() + 1) * 4));
        for (const auto& t : tooltypes) {
            put32(f, static_cast<std::uint32_t>(t.size() + 1));
            f.insert(f.end(), t.begin(), t.end());
            f.push_back(0);
        }
        return f;
    }
};

TEST(TooltypeFile, BorderAndImageRenders) {
    for (bool images : {false, true}) {
        for (int renders : {0, 1, 2}) {
            IconBuilder icon;
            icon.images = images;
            icon.renders = renders;
            TuneProbe tune;
            ASSERT_TRUE(tune.tooltype(&kData, icon.build())) << images << renders << tune.format();
            const SidTuneInfo i = tune.getInfo();
            EXPECT_STREQ(i.formatText, "Raw plus PlaySID icon tooltype file (INFO)");
            EXPECT_EQ(i.loadAddress, 0x1000);
            EXPECT_EQ(i.playAddress, 0x1003);
            EXPECT_EQ(i.songCount, 2);
            EXPECT_EQ(tune.speedOf(1), kSpeedCia);
            EXPECT_EQ(tune.speedOf(2), kSpeedVbi);
            EXPECT_EQ(str(i.titleText), "Icon Tune");
            EXPECT_EQ(str(i.copyrightText), "1990");
            EXPECT_EQ(tune.dataOffset(), 0u);
        }
    }
}

TEST(TooltypeFile, LoadAddressFromTheData) {
    IconBuilder icon;
    icon.tooltypes[0] = "address=0,0,1003";
    icon.tooltypes[1] = "songs=1,1";
    TuneProbe tune;
    ASSERT_TRUE(tune.tooltype(&kData, icon.build())) << tune.format();
    EXPECT_EQ(tune.getInfo().loadAddress, 0x1000);
    EXPECT_EQ(tune.getInfo().initAddress, 0x1000);
    EXPECT_EQ(tune.dataOffset(), 2u);

    const std::vector<std::uint8_t> oneByte = {0x00};
    EXPECT_FALSE(tune.tooltype(&oneByte, icon.build()));
    EXPECT_EQ(tune.format(), "ERROR: C64 data file is corrupt");
}

TEST(TooltypeFile, MissingAndOversizedTooltypes) {
    TuneProbe tune;
    IconBuilder noCopyright;
    noCopyright.tooltypes.pop_back();
    EXPECT_FALSE(tune.tooltype(&kData, noCopyright.build()));
    EXPECT_EQ(tune.format(), "ERROR: Info file is incomplete or corrupt");

    IconBuilder none;
    none.tooltypes.clear();
    EXPECT_FALSE(tune.tooltype(&kData, none.build()));
    EXPECT_EQ(tune.format(), "ERROR: Info file does not contain required strings");

    IconBuilder unknown;
    unknown.tooltypes = {"FILETYPE=SID", "PLAYER=x"};
    EXPECT_FALSE(tune.tooltype(&kData, unknown.build()));
    EXPECT_EQ(tune.format(), "ERROR: Info file does not contain required strings");

    IconBuilder longName;
    longName.tooltypes[3] = "NAME=" + std::string(58, 'x');  // 63 characters + NUL: fits
    ASSERT_TRUE(tune.tooltype(&kData, longName.build()));
    EXPECT_EQ(str(tune.getInfo().titleText), std::string(31, 'x'));
    longName.tooltypes[3] += "y";  // 65 bytes with the NUL
    EXPECT_FALSE(tune.tooltype(&kData, longName.build()));
    EXPECT_EQ(tune.format(), "");

    // Not an icon at all, or not a project icon.
    auto wrongType = IconBuilder().build();
    wrongType[0x30] = 3;
    EXPECT_FALSE(tune.tooltype(&kData, wrongType));
    EXPECT_EQ(tune.format(), "");
}

TEST(TooltypeFile, EveryCutOfAnIconIsRefused) {
    for (bool images : {false, true}) {
        IconBuilder icon;
        icon.images = images;
        icon.renders = 2;
        const auto whole = icon.build();
        for (std::size_t n = 0; n < whole.size(); ++n) {
            TuneProbe tune;
            const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(tune.tooltype(&kData, cut)) << n;
        }
    }
    // Renders claiming more bytes than the file holds.
    IconBuilder big;
    big.images = true;
    big.renders = 1;
    auto file = big.build();
    file[0x4E + 4] = 0xFF;  // width 0xFF14
    TuneProbe tune;
    EXPECT_FALSE(tune.tooltype(&kData, file));
    EXPECT_EQ(tune.format(), "ERROR: Info file is incomplete or corrupt");
}

// --- both files through the container -------------------------------------------

TEST(InfoFilePairs, IconFindsItsDataAndPackedPairsLoad) {
    const fs::path dir = test::scratchDir("info-pairs");
    test::writeFile(dir / "tune.info", IconBuilder().build());
    test::writeFile(dir / "tune", kData);
    SidTune icon((dir / "tune.info").c_str(), nullptr, true);
    ASSERT_TRUE(icon.status()) << icon.getInfo().statusText;
    EXPECT_STREQ(icon.getInfo().formatText, "Raw plus PlaySID icon tooltype file (INFO)");
    EXPECT_EQ(icon.getInfo().dataFileName, "tune");
    EXPECT_EQ(icon.getInfo().infoFileName, "tune.info");
    EXPECT_EQ(icon.getInfo().c64DataLength, kData.size());

    const std::string text = "TUNEBOX INFOFILE\nADDRESS=0,1002,1003\nSONGS=1,1\nSPEED=0\nNAME=Packed\n";
    test::writeFile(dir / "packed.inf", test::PackedStream::packLiteral({text.begin(), text.end()}));
    test::writeFile(dir / "packed.dat", test::PackedStream::packLiteral(kData));
    SidTune packed((dir / "packed.inf").c_str(), nullptr, true);
    ASSERT_TRUE(packed.status()) << packed.getInfo().statusText;
    EXPECT_STREQ(packed.getInfo().formatText, "Raw plus TUNEBOX ASCII text file (SID)");
    EXPECT_STREQ(packed.getInfo().statusText, "No errors");
    EXPECT_EQ(packed.cachedFile(), kData);
    EXPECT_EQ(packed.getInfo().loadAddress, 0x1000);
    EXPECT_EQ(packed.getInfo().c64DataLength, kData.size() - 2);
    EXPECT_EQ(str(packed.getInfo().titleText), "Packed");

    std::vector<std::uint8_t> memory(0x10000, 0);
    ASSERT_TRUE(packed.placeInC64Memory(memory.data()));
    EXPECT_EQ(memory[0x1000], 0xA9);
    EXPECT_EQ(memory[0x1002], 0x60);
}

} // namespace
} // namespace notecast
