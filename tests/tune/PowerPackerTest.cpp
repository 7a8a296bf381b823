#include "support/TestSupport.h"
#include "tune/PackedStream.h"
#include "tune/PowerPacker.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace notecast {
namespace {

using test::PackedStream;

const char kCorrupt[] = "PowerPacker: Packed data is corrupt";

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

struct Outcome {
    bool ok;
    bool packed;
    std::string text;
    std::vector<std::uint8_t> output;
};

Outcome unpack(const std::vector<std::uint8_t>& file) {
    PowerPacker pp;
    Outcome o;
    o.ok = pp.decompress(file.data(), file.size(), o.output);
    o.packed = pp.isPowerPacker();
    o.text = pp.statusText();
    return o;
}

TEST(PowerPackerDamage, RefusalsAndTheirTexts) {
    auto pp21 = PackedStream::packLiteral(bytesOf("hello"));
    pp21[3] = '1';
    auto unknownTable = PackedStream::packLiteral(bytesOf("hello"));
    unknownTable[5] = 10;  // 9 10 11 12
    unknownTable[6] = 11;
    unknownTable[7] = 12;
    PackedStream offset;  // a copy from one byte past the end of the output
    offset.literal(bytesOf("a"));
    offset.bits(0, 2);
    offset.bits(1, 9);
    auto skip = PackedStream::packLiteral(bytesOf("abcdef"));
    skip.back() = 33;
    PackedStream dry;  // more output claimed than the stream codes
    dry.literal(bytesOf("abc"));
    PackedStream over;  // a literal run longer than the output
    over.literal(bytesOf("abcdef"));
    auto huge = PackedStream::packLiteral(bytesOf("abc"));
    huge[huge.size() - 4] = 0xFF;  // no file of this size unpacks to 16 MB
    const struct {
        const char* what;
        std::vector<std::uint8_t> file;
        bool packed;
        const char* text;
    } cases[] = {
        {"PP21", pp21, false, "Not compressed with PowerPacker (PP20)"},
        {"unknown table", unknownTable, false, "PowerPacker: Unrecognized compression method"},
        {"no room for the trailer", {'P', 'P', '2', '0', 9, 10, 12, 12, 0, 0}, true, kCorrupt},
        {"offset before the output", offset.file(3), true, kCorrupt},
        {"skip count above 32", skip, true, kCorrupt},
        {"stream runs dry", dry.file(40), true, kCorrupt},
        {"run beyond the output", over.file(4), true, kCorrupt},
        {"impossible length", huge, true, kCorrupt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = unpack(c.file);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.packed, c.packed);
        EXPECT_EQ(o.text, c.text);
    }
}

// The packed files of the shared data with their originals: NAME.sid.pp holds
// psid/NAME.sid, NAME.pp holds pp20/NAME.raw.
std::vector<std::pair<std::filesystem::path, std::filesystem::path>> packedPairs() {
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> result;
    const auto dir = test::sharedFile("pp20");
    if (dir.empty()) return result;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".pp") continue;
        const std::string stem = entry.path().stem().string();
        result.emplace_back(entry.path(), stem.ends_with(".sid") ? test::sharedFile("psid/" + stem)
                                                                 : test::sharedFile("pp20/" + stem + ".raw"));
    }
    std::sort(result.begin(), result.end());
    return result;
}

TEST(SharedPackedFiles, UnpackToTheirOriginalsAndLoad) {
    const auto files = packedPairs();
    if (files.empty()) GTEST_SKIP() << "shared test data absent";
    for (const auto& [packed, original] : files) {
        SCOPED_TRACE(packed);
        ASSERT_FALSE(original.empty());
        const Outcome o = unpack(test::readFile(packed));
        ASSERT_TRUE(o.ok) << o.text;
        EXPECT_EQ(o.output, test::readFile(original));
        EXPECT_NE(std::string(o.text).find("compression"), std::string::npos);
        if (original.extension() != ".sid") continue;
        SidTune tune(packed.string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        EXPECT_STREQ(tune.getInfo().formatText, "PlaySID one-file format (PSID)");
        EXPECT_STREQ(tune.getInfo().statusText, "No errors");
        EXPECT_EQ(tune.cachedFile(), o.output);
    }
}

} // namespace
} // namespace notecast
