// Runs of the built program over a folder tree of tunes under -batch -all:
// which files are inputs, the outputs, the report rows, what a second run
// keeps, and the exit code.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"
#include "tune/SongLengthDB.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The song-length keys of a built tune and of a shared one.
std::string builtTuneKey(const PsidBuilder& b) {
    const Bytes bytes = b.build();
    SidTune tune(bytes.data(), bytes.size());
    return fingerprintKey(tune);
}
std::string sharedTuneKey(const std::string& file) {
    SidTune tune(sharedFile("psid/" + file).string().c_str());
    return fingerprintKey(tune);
}

// The report's rows as text cells, the quoting of a CSV field undone.
std::vector<std::vector<std::string>> readReport(const fs::path& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                cells.emplace_back();
            } else {
                cells.back() += c;
            }
        }
        rows.push_back(cells);
    }
    return rows;
}

class BatchProgram : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"psid/Cybernoid_II.sid", "psid/Ocean_Loader_2.sid", "psid/Acme_Industries.sid",
                                 "pp20/Splatform_256_bytes.sid.pp", "mus/SHEEP.GRAZE.MUS"}) {
            if (sharedFile(name).empty()) GTEST_SKIP() << "shared test data absent";
        }
        dir = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    // The collection: its own database in DOCUMENTS, tunes of every kind,
    // and files that are no inputs or cannot be read.
    void makeCollection() {
        const fs::path root = dir / "C64Music";
        for (const char* folder : {"DOCUMENTS", "MUSICIANS", "GAMES/raw", "MUS", "broken", "dir.sid"})
            fs::create_directories(root / folder);
        fs::copy_file(sharedFile("psid/Cybernoid_II.sid"), root / "MUSICIANS/Cybernoid_II.sid");
        fs::copy_file(sharedFile("psid/Ocean_Loader_2.sid"), root / "MUSICIANS/Comma, Ocean.sid");
        fs::copy_file(sharedFile("pp20/Splatform_256_bytes.sid.pp"), root / "GAMES/Splatform.sid");
        fs::copy_file(sharedFile("mus/SHEEP.GRAZE.MUS"), root / "MUS/SHEEP.GRAZE.MUS");

        // A raw tune with a TUNEBOX info file, made from a PSID's data: the
        // PSID keeps its load address in front of the data, as raw files do.
        const Bytes psid = readFile(sharedFile("psid/Acme_Industries.sid"));
        writeFile(root / "GAMES/raw/Acme.dat", Bytes(psid.begin() + 0x7C, psid.end()));
        writeFile(root / "GAMES/raw/Acme.inf",
                  "TUNEBOX INFOFILE\nADDRESS=0000,1000,1003\nSONGS=1,1\nSPEED=0\nNAME=Acme Industries\n"
                  "AUTHOR=Someone\nCOPYRIGHT=1985\n");

        // Init and play never return; a play address past the data.
        PsidBuilder loop;
        loop.code = {0x4C, 0x00, 0x10, 0x4C, 0x03, 0x10};  // $1000 JMP $1000, $1003 JMP $1003
        writeFile(root / "dir.sid/loop.sid", loop.build());
        PsidBuilder cut;
        cut.code = {0x60, 0x60};  // $1000 RTS; play $1003 is not in the file
        writeFile(root / "cut.sid", cut.build());

        const Bytes packed = readFile(sharedFile("pp20/Splatform_256_bytes.sid.pp"));
        writeFile(root / "broken/damaged.sid", Bytes(packed.begin(), packed.begin() + 40));
        fs::create_symlink("gone.sid", root / "broken/lost.sid");
        writeFile(root / "broken/notes.txt", std::string("no tune\n"));
        // A cut-off one-file tune is reported with its own reason.
        writeFile(root / "broken/real_c64.sid", std::string("RSID") + std::string(120, '\0'));
        ASSERT_EQ(mkfifo((root / "broken/pipe.sid").c_str(), 0600), 0);

        writeFile(root / "DOCUMENTS/Songlengths.txt",
                  "[Database]\n" + sharedTuneKey("Cybernoid_II.sid") + "=0:03 0:02\n" +
                      sharedTuneKey("Ocean_Loader_2.sid") + "=0:02\n" +
                      sharedTuneKey("Acme_Industries.sid") + "=0:04\n" +
                      sharedTuneKey("Splatform_256_bytes.sid") + "=0:02\n" + builtTuneKey(loop) + "=0:02\n" +
                      builtTuneKey(cut) + "=0:01\n");
    }

    fs::path dir;
};

TEST_F(BatchProgram, ConvertsEverySongOfACollectionAndKeepsWhatExists) {
    makeCollection();
    const std::vector<std::string> command = {"-batch", "-all", "-csv=report.csv", "C64Music", "missing.sid"};
    ProgramResult r = runProgram(command, dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_CONTAINS(r.out, "Song lengths : ");
    EXPECT_CONTAINS(r.out, "DOCUMENTS/Songlengths.txt\n");
    EXPECT_CONTAINS(r.out, "Converted    : 8\nSkipped      : 0\nRefused      : 4\nFailed       : 0\n");
    EXPECT_CONTAINS(r.err, "Refused: C64Music/broken/lost.sid: ERROR: Could not open file for binary input\n");

    const std::string m = "C64Music/";
    const struct {
        std::string input, song, status, output, seconds;
    } expected[] = {
        {m + "GAMES/Splatform.sid", "1", "converted", m + "GAMES/Splatform_subtune1.mid", "3"},
        {m + "GAMES/raw/Acme.dat", "1", "converted", m + "GAMES/raw/Acme_subtune1.mid", "5"},
        {m + "MUS/SHEEP.GRAZE.MUS", "1", "converted", m + "MUS/SHEEP.GRAZE_subtune1.mid", "90"},
        {m + "MUSICIANS/Comma, Ocean.sid", "1", "converted", m + "MUSICIANS/Comma, Ocean_subtune1.mid", "3"},
        {m + "MUSICIANS/Cybernoid_II.sid", "1", "converted", m + "MUSICIANS/Cybernoid_II_subtune1.mid", "4"},
        {m + "MUSICIANS/Cybernoid_II.sid", "2", "converted", m + "MUSICIANS/Cybernoid_II_subtune2.mid", "3"},
        {m + "broken/damaged.sid", "", "refused", "", ""},
        {m + "broken/lost.sid", "", "refused", "", ""},
        {m + "broken/real_c64.sid", "", "refused", "", ""},
        {m + "cut.sid", "1", "converted", m + "cut_subtune1.mid", "2"},
        {m + "dir.sid/loop.sid", "1", "converted", m + "dir.sid/loop_subtune1.mid", "3"},
        {"missing.sid", "", "refused", "", ""},
    };
    // The info file, the text file, the pipe and the folder named like a
    // tune make no rows of their own.
    auto rows = readReport(dir / "report.csv");
    ASSERT_EQ(rows.size(), std::size(expected) + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"input", "song", "status", "text", "output", "seconds",
                                                  "notes", "tempo"}));
    std::map<std::string, Bytes> outputs;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& e = expected[i];
        const std::vector<std::string>& row = rows[i + 1];
        ASSERT_EQ(row.size(), 8u);
        EXPECT_EQ((std::vector<std::string>{row[0], row[1], row[2], row[4], row[5]}),
                  (std::vector<std::string>{e.input, e.song, e.status, e.output, e.seconds}));
        if (e.status != "converted") continue;
        outputs[e.output] = readFile(dir / e.output);
        EXPECT_EQ(std::string(outputs[e.output].begin(), outputs[e.output].begin() + 4), "MThd");
        EXPECT_FALSE(row[7].empty());  // a MIDI file has a tempo
    }
    EXPECT_NE(rows[5][6], "0");  // notes of Cybernoid II, song 1
    EXPECT_EQ(rows[7][3], "PowerPacker: Packed data is corrupt");
    EXPECT_EQ(rows[9][3], "ERROR: RSID file is most likely truncated");
    EXPECT_EQ(rows[12][3], "ERROR: Could not open file for binary input");
    EXPECT_CONTAINS(rows[10][3], "The play address $1003 lies outside the tune's data ($1000-$1001)");
    EXPECT_CONTAINS(rows[11][3], "The init routine did not return and was stopped.");

    // A song converts as a single run converts it (there the database is
    // found in the working directory).
    const ProgramResult single =
        runProgram({"-o2", "../MUSICIANS/Cybernoid_II.sid", "../../single.mid"}, dir / "C64Music/DOCUMENTS");
    ASSERT_EQ(single.exitCode, 0) << single.err;
    EXPECT_EQ(readFile(dir / "single.mid"), outputs[m + "MUSICIANS/Cybernoid_II_subtune2.mid"]);

    // The second run keeps every output and asks nothing.
    r = runProgram(command, dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_CONTAINS(r.out, "Converted    : 0\nSkipped      : 8\nRefused      : 4\n");
    rows = readReport(dir / "report.csv");
    ASSERT_EQ(rows.size(), std::size(expected) + 1);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(rows[i + 1][2], expected[i].status == "converted" ? "skipped" : "refused") << rows[i + 1][0];
        EXPECT_EQ(rows[i + 1][4], expected[i].output);
    }
    for (const auto& [output, bytes] : outputs) EXPECT_EQ(readFile(dir / output), bytes) << output;
}

TEST_F(BatchProgram, OutputsUnderAFolderNeverOverwriteAnInput) {
    fs::create_directories(dir / "in/sub");
    fs::copy_file(sharedFile("psid/Ocean_Loader_2.sid"), dir / "in/sub/Ocean.sid");
    // A tune whose name is that of the other tune's output.
    fs::copy_file(sharedFile("psid/Ocean_Loader_2.sid"), dir / "in/sub/Ocean_subtune1.mid");
    writeFile(dir / "blocker", std::string("a file where a folder should be"));

    // Without -dir the output would be the second tune itself: refused, -y or not.
    ProgramResult r = runProgram({"-batch", "-y", "-t1", "-j1", "in"}, dir);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_CONTAINS(r.err, "Refused: in/sub/Ocean.sid, song 1: ERROR: The output file is an input file.\n");
    EXPECT_TRUE(fs::exists(dir / "in/sub/Ocean_subtune1_subtune1.mid"));
    EXPECT_EQ(readFile(dir / "in/sub/Ocean_subtune1.mid"), readFile(sharedFile("psid/Ocean_Loader_2.sid")));

    // Below -dir the tree of the folder argument is mirrored.
    r = runProgram({"-batch", "-t1", "-dir=out", "in"}, dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir / "out/sub/Ocean_subtune1.mid"));
    EXPECT_TRUE(fs::exists(dir / "out/sub/Ocean_subtune1_subtune1.mid"));

    // Songs that fail make the exit code 1; the report file may not be an input.
    r = runProgram({"-batch", "-t1", "-dir=blocker/out", "in"}, dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_CONTAINS(r.out, "Failed       : 2\n");
    r = runProgram({"-batch", "-t1", "-csv=in/sub/Ocean.sid", "in"}, dir);
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(r.err, "ERROR: The report file is an input file: in/sub/Ocean.sid\n");
    EXPECT_EQ(readFile(dir / "in/sub/Ocean.sid"), readFile(sharedFile("psid/Ocean_Loader_2.sid")));

    // With -svg the pictures are outputs too: a tune named as another
    // song's picture is refused as its output would be.
    fs::rename(dir / "in/sub/Ocean_subtune1.mid", dir / "in/sub/Ocean_subtune1.svg");
    r = runProgram({"-batch", "-svg", "-t1", "-dir=pictures", "-j1", "in/sub/Ocean.sid", "in/sub/Ocean_subtune1.svg"},
                   dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir / "pictures/Ocean_subtune1.svg") && fs::exists(dir / "pictures/Ocean_subtune1_subtune1.svg"));
    r = runProgram({"-batch", "-svg", "-y", "-t1", "-j1", "in"}, dir);
    EXPECT_NE(r.err.find("Refused: in/sub/Ocean.sid, song 1: ERROR: The output file is an input file.\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(dir / "in/sub/Ocean_subtune1.svg"), readFile(sharedFile("psid/Ocean_Loader_2.sid")));
    EXPECT_TRUE(fs::exists(dir / "in/sub/Ocean_subtune1_subtune1.svg"));
}

} // namespace
} // namespace notecast::test
