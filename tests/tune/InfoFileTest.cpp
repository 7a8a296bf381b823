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
using Bytes = std::vector<std::uint8_t>;

const Bytes kData = {0x00, 0x10, 0xA9, 0x00, 0x60};
const Bytes kOneByte = {0x00};

std::string str(const char* text) { return text ? text : "(null)"; }
Bytes bytes(const std::string& s) { return {s.begin(), s.end()}; }

// --- text info files ---------------------------------------------------------

TEST(TextInfoFile, AllKeysWithTheLoadAddressInTheData) {
    TuneProbe tune;
    const std::string info =
        "TUNEBOX INFOFILE\r\nADDRESS=0000,1000,1003\r\nSONGS=3,2\rSPEED=5\nNAME=Title\n"
        "AUTHOR=Someone\nCOPYRIGHT=1986 Firm\n";
    ASSERT_TRUE(tune.textInfo(&kData, info));
    const SidTuneInfo i = tune.getInfo();
    EXPECT_STREQ(i.formatText, "Raw plus TUNEBOX ASCII text file (SID)");
    EXPECT_EQ(test::layout(tune), "load $1000 init $1000 play $1003 songs 3/2 offset $2");
    EXPECT_EQ(tune.speeds(1, 3), "CVC");
    EXPECT_EQ(str(i.titleText) + "/" + str(i.authorText) + "/" + str(i.copyrightText), "Title/Someone/1986 Firm");
    EXPECT_EQ(i.infoLineCount, 3);
    EXPECT_FALSE(i.usesVudidazerPlayer);

    // Probed without data, the load address stays as written.
    ASSERT_TRUE(tune.textInfo(nullptr, info));
    EXPECT_EQ(test::layout(tune), "load $0000 init $1000 play $1003 songs 3/2 offset $0");

    // SIDSONG counts only until the six keys are complete.
    const std::string keys = "ADDRESS=1000,1000,1003\nSONGS=1,1\nSPEED=0\nNAME=n\nAUTHOR=a\nCOPYRIGHT=c\n";
    ASSERT_TRUE(tune.textInfo(&kData, "TUNEBOX INFOFILE\nSIDSONG=YES\n" + keys));
    EXPECT_TRUE(tune.getInfo().usesVudidazerPlayer);
    ASSERT_TRUE(tune.textInfo(&kData, "TUNEBOX INFOFILE\n" + keys + "sidsong=yes\n"));
    EXPECT_FALSE(tune.getInfo().usesVudidazerPlayer);
}

TEST(TextInfoFile, PartialKeysAndOddLines) {
    const struct {
        const char* what;
        const Bytes* data;
        std::string info, layout, title;  // missing texts are empty, not absent
    } cases[] = {
        {"songs only", &kData, "TUNEBOX INFOFILE\nSONGS=2,1\n",
         "load $1000 init $1000 play $0000 songs 2/1 offset $2", ""},
        {"lower case", &kData, "tunebox infofile\nsongs=4,2\n",
         "load $1000 init $1000 play $0000 songs 4/2 offset $2", ""},
        {"address cut after its first number ends the lines", &kData,
         "TUNEBOX INFOFILE\nNAME=x\nADDRESS=1000,\nSONGS=2,1\n",
         "load $1000 init $1000 play $0000 songs 0/0 offset $2", "x"},
        {"blanks inside keys", &kData, "TUNEBOX INFOFILE\n  name = Tune \n Add ress = 2000 , 2001 , 2002\n",
         "load $2000 init $2001 play $2002 songs 0/0 offset $0", " Tune "},
        {"100-character name", &kData, "TUNEBOX INFOFILE\nNAME=" + std::string(100, 'L') + "\n",
         "load $1000 init $1000 play $0000 songs 0/0 offset $2", std::string(80, 'L')},
        {"address given, one data byte", &kOneByte, "TUNEBOX INFOFILE\nADDRESS=0800,1000,1003\n",
         "load $0800 init $1000 play $1003 songs 0/0 offset $0", ""},
    };
    TuneProbe tune;  // one probe: nothing may leak from the one before
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(tune.textInfo(c.data, c.info));
        EXPECT_EQ(test::layout(tune), c.layout);
        EXPECT_EQ(str(tune.getInfo().titleText), c.title);
    }

    // Hex digits in either case; the text ends at its first NUL.
    ASSERT_TRUE(tune.textInfo(&kData, std::string("TUNEBOX INFOFILE\nSPEED=fFfFfFfF\n\0SONGS=9,9\n", 40)));
    EXPECT_EQ(tune.speeds(1, 256), std::string(256, 'C'));
    EXPECT_EQ(tune.getInfo().songCount, 0);
}

// --- icon tooltype files -----------------------------------------------------

// Builds a project icon with tooltypes and 0, 1 or 2 render structures.
struct IconBuilder {
    bool images = false;
    int renders = 0;
    std::vector<std::string> tooltypes = {"ADDRESS=1000,1000,1003", "SONGS=2,1", "SPEED=1",
                                          "NAME=Icon Tune", "AUTHOR=Someone", "COPYRIGHT=1990"};

    Bytes build() const {
        Bytes f(0x4E, 0);
        const auto put = [&f](std::size_t value, int bytes) {
            while (bytes-- > 0) f.push_back(static_cast<std::uint8_t>(value >> 8 * bytes));
        };
        const auto putText = [&](const std::string& text) {
            put(text.size() + 1, 4);
            f.insert(f.end(), text.begin(), text.end());
            f.push_back(0);
        };
        f[0] = 0xE3; f[1] = 0x10; f[3] = 1;
        f[0x11] = images ? 0x04 : 0x00;
        if (renders >= 1) f[0x19] = 1;
        if (renders >= 2) f[0x1D] = 1;
        f[0x30] = 4;  // a project icon
        for (int r = 0; r < renders; ++r) {
            if (images) {  // 20 x 3 pixels of depth 2, both planes picked, then the bitmap
                put(0, 4), put(20, 2), put(3, 2), put(2, 2), put(0, 4), put(0x03, 1), put(0, 5);
                f.insert(f.end(), 2 * 3 * 2 * 2, 0xAA);
            } else {  // two point pairs
                put(0, 7), put(2, 1), put(0, 8);
                f.insert(f.end(), 2 * 4, 0x55);
            }
        }
        putText("SYS:Player");
        put((tooltypes.size() + 1) * 4, 4);
        for (const auto& t : tooltypes) putText(t);
        return f;
    }
};

template <typename Edit>
Bytes icon(Edit edit) {
    IconBuilder b;
    edit(b);
    return b.build();
}

TEST(TooltypeFile, BorderAndImageRenders) {
    for (bool images : {false, true}) {
        for (int renders : {0, 1, 2}) {
            TuneProbe tune;
            ASSERT_TRUE(tune.tooltype(&kData, icon([&](IconBuilder& b) {
                b.images = images;
                b.renders = renders;
            }))) << images << renders << tune.format();
            const SidTuneInfo i = tune.getInfo();
            EXPECT_STREQ(i.formatText, "Raw plus PlaySID icon tooltype file (INFO)");
            EXPECT_EQ(test::layout(tune), "load $1000 init $1000 play $1003 songs 2/1 offset $0");
            EXPECT_EQ(tune.speeds(1, 2), "CV");
            EXPECT_EQ(str(i.titleText) + "/" + str(i.copyrightText), "Icon Tune/1990");
        }
    }
}

TEST(TooltypeFile, LoadAddressFromTheDataAndLongTooltypes) {
    TuneProbe tune;
    ASSERT_TRUE(tune.tooltype(&kData, icon([](IconBuilder& b) {
        b.tooltypes[0] = "address=0,0,1003";
        b.tooltypes[1] = "songs=1,1";
    }))) << tune.format();
    EXPECT_EQ(test::layout(tune), "load $1000 init $1000 play $1003 songs 1/1 offset $2");

    // 63 characters and the NUL still fit a tooltype.
    ASSERT_TRUE(tune.tooltype(&kData, icon([](IconBuilder& b) { b.tooltypes[3] = "NAME=" + std::string(58, 'x'); })));
    EXPECT_EQ(str(tune.getInfo().titleText), std::string(31, 'x'));
}

// --- refusals of both kinds --------------------------------------------------

TEST(InfoFileRefusals, EachLeavesItsText) {
    const char kTruncated[] = "ERROR: SID file is truncated";
    const char kCorruptData[] = "ERROR: C64 data file is corrupt";
    const char kIncomplete[] = "ERROR: Info file is incomplete or corrupt";
    const char kNoStrings[] = "ERROR: Info file does not contain required strings";
    Bytes notProject = IconBuilder().build();
    notProject[0x30] = 3;
    Bytes tooWide = icon([](IconBuilder& b) {
        b.images = true;
        b.renders = 1;
    });
    tooWide[0x4E + 4] = 0xFF;  // an image 0xFF14 pixels wide, beyond the file
    // A select render alone needs the whole 79-byte minimum plus its border.
    Bytes shortSelect = IconBuilder().build();
    shortSelect[0x1D] = 1;
    shortSelect.resize(94);
    const struct {
        const char* what;
        bool isIcon;
        const Bytes* data;
        Bytes file;
        const char* format;
    } cases[] = {
        {"only unknown keys", false, &kData, bytes("TUNEBOX INFOFILE\nCOMMENT=hello\n"), kTruncated},
        {"wrong magic", false, &kData, bytes("TUNEBOX INFOFILX\nSONGS=2,1\n"), ""},
        {"shorter than 18 bytes", false, &kData, bytes("TUNEBOX INFOFILE"), ""},
        {"ADDRESS=1000 ends the lines", false, &kData, bytes("TUNEBOX INFOFILE\nADDRESS=1000\nSONGS=2,1\n"), kTruncated},
        {"text: half a load address", false, &kOneByte, bytes("TUNEBOX INFOFILE\nADDRESS=0,1000,1003\n"), kCorruptData},
        {"icon: half a load address", true, &kOneByte, icon([](IconBuilder& b) { b.tooltypes[0] = "ADDRESS=0,0,1003"; }), kCorruptData},
        {"no COPYRIGHT", true, &kData, icon([](IconBuilder& b) { b.tooltypes.pop_back(); }), kIncomplete},
        {"no tooltypes", true, &kData, icon([](IconBuilder& b) { b.tooltypes.clear(); }), kNoStrings},
        {"only unknown tooltypes", true, &kData, icon([](IconBuilder& b) { b.tooltypes = {"FILETYPE=SID", "PLAYER=x"}; }), kNoStrings},
        {"a 65-byte tooltype", true, &kData, icon([](IconBuilder& b) { b.tooltypes[3] = "NAME=" + std::string(59, 'x'); }), ""},
        {"not a project icon", true, &kData, notProject, ""},
        {"renders beyond the file", true, &kData, tooWide, kIncomplete},
        {"a select border shorter than its minimum", true, &kData, shortSelect, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TuneProbe tune;
        EXPECT_FALSE(c.isIcon ? tune.tooltype(c.data, c.file)
                              : tune.textInfo(c.data, std::string(c.file.begin(), c.file.end())));
        EXPECT_EQ(tune.format(), c.format);
    }
}

// --- companion files through the container -------------------------------------

TEST(CompanionSearch, FindsThePairFromEitherSide) {
    const char kNoErrors[] = "No errors";
    const char kNoData[] = "ERROR: Did not find the corresponding data file";
    const Bytes info = bytes("TUNEBOX INFOFILE\nADDRESS=1000,1000,1003\nSONGS=1,1\nSPEED=0\nNAME=x\n");
    const Bytes packedInfo =
        test::PackedStream::packLiteral(bytes("TUNEBOX INFOFILE\nADDRESS=0,1002,1003\nSONGS=1,1\nNAME=Packed\n"));
    using Files = std::vector<std::pair<std::string, Bytes>>;
    const Files pair = {{"tune.sid", info}, {"tune.dat", kData}};
    const Files bare = {{"tune.inf", info}, {"tune", kData}};
    const struct {
        const char* what;
        Files files;
        std::string named, dataName, infoName;  // no names: refused
        const char* status;
    } cases[] = {
        {"data finds its description", pair, "tune.dat", "tune.dat", "tune.sid", kNoErrors},
        {"description finds its data", pair, "tune.sid", "tune.dat", "tune.sid", kNoErrors},
        {"the last extension", {{"tune.dat", kData}, {"tune.DATA", info}}, "tune.dat", "tune.dat", "tune.DATA", kNoErrors},
        {"the empty extension", bare, "tune.inf", "tune", "tune.inf", kNoErrors},
        {"a name without a dot", bare, "tune", "tune", "tune.inf", kNoErrors},
        {"a dot in the directory", {{"v1.2/song", kData}, {"v1.2/song.inf", info}}, "v1.2/song", "song", "song.inf", kNoErrors},
        {"an icon", {{"tune.info", IconBuilder().build()}, {"tune", kData}}, "tune.info", "tune", "tune.info", kNoErrors},
        {"both packed", {{"p.inf", packedInfo}, {"p.dat", test::PackedStream::packLiteral(kData)}}, "p.inf", "p.dat", "p.inf", kNoErrors},
        {"no description", {{"tune.dat", kData}}, "tune.dat", "", "", "ERROR: Could not determine file format"},
        // The named file is skipped, never read as its own data.
        {"a description alone", {{"tune.dat", info}}, "tune.dat", "", "", kNoData},
        {"a description alone, no dot", {{"song", info}}, "song", "", "", kNoData},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path dir = test::scratchDir("companion-" + std::to_string(n++));
        for (const auto& [name, content] : c.files) {
            fs::create_directories((dir / name).parent_path());
            test::writeFile(dir / name, content);
        }
        SidTune tune((dir / c.named).c_str(), nullptr, true);
        EXPECT_STREQ(tune.getInfo().statusText, c.status);
        ASSERT_EQ(tune.status(), !c.dataName.empty());
        if (!tune.status()) {
            EXPECT_STREQ(tune.getInfo().formatText, "N/A");
            continue;
        }
        EXPECT_EQ(tune.getInfo().dataFileName, c.dataName);
        EXPECT_EQ(tune.getInfo().infoFileName, c.infoName);
        EXPECT_EQ(tune.cachedFile(), kData);
        EXPECT_EQ(tune.getInfo().loadAddress, 0x1000);
    }
}

} // namespace
} // namespace notecast
