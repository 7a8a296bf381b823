// RSID headers and the further-chip fields of header versions 3 and 4.
#include "support/TestSupport.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace notecast {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A well-formed RSID: version 2, load address $1000 in front of 16 bytes of
// data, init 0 (the load address), PAL.
struct Rsid {
    std::uint16_t version = 2;
    std::uint16_t load = 0x1000;
    std::uint16_t init = 0;
    std::size_t dataBytes = 16;
    std::uint16_t flags = 0x0004;
    std::uint8_t chip2 = 0, chip3 = 0;

    Bytes build() const {
        test::PsidBuilder b;
        b.version = version;
        b.load = load;
        b.init = init;
        b.play = 0;
        b.embedLoadAddress = true;
        b.code.assign(dataBytes, 0xEA);
        Bytes f = b.build();
        f[0] = 'R';
        f[0x76] = static_cast<std::uint8_t>(flags >> 8);
        f[0x77] = static_cast<std::uint8_t>(flags);
        f[0x7A] = chip2;
        f[0x7B] = chip3;
        return f;
    }
};

SidTune load(const Bytes& file) { return SidTune(file.data(), file.size()); }

TEST(RsidHeader, EveryRefusalHasItsText) {
    const auto with = [](auto change) {
        Rsid r;
        change(r);
        return r.build();
    };
    const auto patched = [](std::size_t at, std::uint8_t value) {
        Bytes f = Rsid{}.build();
        f[at] = value;
        return f;
    };
    Bytes truncated = Rsid{}.build();
    truncated.resize(0x7D);
    const struct {
        Bytes file;
        const char* text;
    } cases[] = {
        {truncated, "ERROR: RSID file is most likely truncated"},
        {with([](Rsid& r) { r.version = 1; }), "ERROR: RSID version 1 is not valid"},
        {with([](Rsid& r) { r.version = 5; }), "ERROR: RSID version 5 is not valid"},
        {patched(0x09, 0x10), "ERROR: RSID header field load address must be 0"},
        {patched(0x0D, 0x03), "ERROR: RSID header field play address must be 0"},
        {patched(0x15, 0x01), "ERROR: RSID header field speed must be 0"},
        {with([](Rsid& r) { r.flags = 0x0016; }), "ERROR: RSID tune needs the C64 BASIC interpreter (not supported)"},
        {with([](Rsid& r) { r.flags = 0x0001; }), "ERROR: RSID tune with MUS data is not supported"},
        {patched(0x07, 0x76), "ERROR: RSID data offset must be $007C"},
        {with([](Rsid& r) { r.load = 0x0333, r.init = 0x1000, r.dataBytes = 0x1000; }),
         "ERROR: RSID load range $0333-$1332 is not valid"},
        {with([](Rsid& r) { r.load = 0xFFF8; }), "ERROR: RSID load range $FFF8-$10007 is not valid"},
        {with([](Rsid& r) { r.init = 0x1010; }), "ERROR: RSID init address $1010 is not valid"},
        {with([](Rsid& r) { r.load = 0x0FFF, r.init = 0x0FFE; }), "ERROR: RSID init address $0FFE is not valid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SidTune tune = load(c.file);
        EXPECT_FALSE(tune.status());
        EXPECT_STREQ(tune.getInfo().statusText, c.text);
        EXPECT_STREQ(tune.getInfo().formatText, c.text);
    }

    // The lowest load address, init at the last loaded byte, under a ROM or
    // in the I/O area, and the top of memory are all fine.
    for (const Rsid& r : {Rsid{.load = 0x0334}, Rsid{.init = 0x100F}, Rsid{.load = 0x9FC3, .init = 0xA000, .dataBytes = 0x100},
                          Rsid{.load = 0xC000, .init = 0xDFC3, .dataBytes = 0x4000}}) {
        SidTune tune = load(r.build());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        EXPECT_TRUE(tune.getInfo().interruptDriven);
        EXPECT_EQ(tune.getInfo().playAddress, 0);
    }
}

TEST(RsidHeader, RefusalEndsTheSearchForAnInfoFile) {
    const auto dir = test::scratchDir("rsid-refusal");
    test::writeFile(dir / "basic.sid", Rsid{.flags = 0x0002}.build());
    test::writeFile(dir / "basic.inf", std::string("TUNEBOX INFOFILE\nADDRESS=1000,1000,1003\n"));
    SidTune tune((dir / "basic.sid").string().c_str());
    EXPECT_FALSE(tune.status());
    EXPECT_STREQ(tune.getInfo().statusText, "ERROR: RSID tune needs the C64 BASIC interpreter (not supported)");
}

TEST(RsidHeader, SongLengthKeyMatchesTheCollections) {
    const auto file = test::sharedFile("rsid/MUSICIANS__T__Tel_Kees__Kween.sid");
    NOTECAST_REQUIRE_SHARED(file);
    SidTune tune(file.string().c_str());
    ASSERT_TRUE(tune.status());
    // The key of this tune in the collection's song-length database.
    EXPECT_EQ(fingerprintKey(tune), "7c6a42763d762269fadb75a210f80139");
}

TEST(ExtraChips, AddressBytesModelsAndWhatIsLeftOut) {
    const struct {
        std::uint16_t version;
        std::uint8_t second, third;
        std::uint16_t wantSecond, wantThird;
        std::uint8_t wantModel2, wantModel3;
        int warnings;
    } cases[] = {
        {3, 0x42, 0x00, 0xD420, 0, 2, 0, 0},
        {3, 0x50, 0x60, 0xD500, 0, 2, 0, 0},  // version 3 has no third chip
        {4, 0xE0, 0xFE, 0xDE00, 0xDFE0, 2, 1, 0},
        {4, 0x42, 0x44, 0xD420, 0xD440, 2, 1, 0},
        {3, 0x41, 0x00, 0, 0, 0, 0, 1},
        {3, 0x43, 0x00, 0, 0, 0, 0, 1},
        {3, 0x80, 0x00, 0, 0, 0, 0, 1},
        {4, 0x42, 0x42, 0xD420, 0, 2, 0, 1},
        {4, 0x00, 0x50, 0xD500, 0, 1, 0, 1},  // the third moves up, with its model
        {4, 0xDE, 0x50, 0xD500, 0, 1, 0, 2},
        {2, 0x42, 0x44, 0, 0, 0, 0, 0},       // version 2: reserved bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "v" << c.version << " $" << std::hex << int{c.second} << " $"
                                        << int{c.third});
        // Chip 1 6581, chip 2 8580, chip 3 6581.
        Bytes psid = test::PsidBuilder{.version = c.version, .code = Bytes(16, 0x60)}.build();
        psid[0x76] = 0x01;
        psid[0x77] = 0x94;
        psid[0x7A] = c.second;
        psid[0x7B] = c.third;
        Bytes rsid = Rsid{.version = std::max<std::uint16_t>(c.version, 2), .flags = 0x0194,
                          .chip2 = c.second, .chip3 = c.third}.build();
        for (const Bytes& file : {psid, rsid}) {
            SidTune tune = load(file);
            ASSERT_TRUE(tune.status());
            const SidTuneInfo i = tune.getInfo();
            EXPECT_EQ((std::vector<unsigned>{i.sidModel, i.sid2Address, i.sid3Address, i.sid2Model, i.sid3Model,
                                             static_cast<unsigned>(i.headerWarnings.size())}),
                      (std::vector<unsigned>{1, c.wantSecond, c.wantThird, c.wantModel2, c.wantModel3,
                                             static_cast<unsigned>(c.warnings)}));
        }
    }
}

} // namespace
} // namespace notecast
