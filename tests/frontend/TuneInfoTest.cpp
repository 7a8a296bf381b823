#include "frontend/TuneInfoPrinter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace notecast {
namespace {

namespace fs = std::filesystem;

// One row of the collection's index: the columns used here.
struct IndexRow {
    std::string file, load, init, play, songs, startSong, name, author, copyright;
};

// The index writes the header's Latin-1 bytes as UTF-8.
std::string latin1(const std::string& utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            bytes += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

std::vector<IndexRow> readIndex(const fs::path& index) {
    std::vector<IndexRow> rows;
    std::ifstream csv(index);
    std::string line;
    std::getline(csv, line);  // column names
    while (std::getline(csv, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> f;
        std::string field;
        std::istringstream in(line);
        while (std::getline(in, field, ',')) f.push_back(field);
        if (line.back() == ',') f.emplace_back();
        if (f.size() != 17) {
            ADD_FAILURE() << "malformed index line: " << line;
            continue;
        }
        rows.push_back({f[0], f[3], f[4], f[5], f[6], f[7], latin1(f[14]), latin1(f[15]),
                        latin1(f[16])});
    }
    return rows;
}

std::string expectedInfo(const IndexRow& row) {
    return "File format  : PlaySID one-file format (PSID)\n"
           "Name         : " + row.name + "\n"
           "Author       : " + row.author + "\n"
           "Copyright    : " + row.copyright + "\n"
           "Addresses    : $" + row.load + ", $" + row.init + ", $" + row.play + "\n";
}

TEST(TuneInfo, EveryCollectionTuneShowsItsHeader) {
    const fs::path index = test::sharedFile("psid/index.csv");
    NOTECAST_REQUIRE_SHARED(index);
    const std::vector<IndexRow> rows = readIndex(index);
    ASSERT_FALSE(rows.empty());
    for (const IndexRow& row : rows) {
        SidTune tune((index.parent_path() / row.file).string().c_str());
        ASSERT_TRUE(tune.status()) << row.file;
        std::ostringstream out;
        printTuneInfo(out, tune.getInfo(), true);
        EXPECT_EQ(out.str(), expectedInfo(row)) << row.file;
    }
}

TEST(TuneInfo, DescriptionLinesAndAddresses) {
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
    EXPECT_EQ(out.str(),
              "File format  : Raw plus TUNEBOX ASCII text file (SID)\n"
              "Description  : first\n"
              "Description  : second\n"
              "Addresses    : $0400, $c000, $0\n"
              "255");

    info.infoLineCount = 0;
    std::ostringstream none;
    printTuneInfo(none, info, false);
    EXPECT_EQ(none.str(), "");
}

} // namespace
} // namespace notecast
