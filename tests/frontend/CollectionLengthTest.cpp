// The playing time of every collection tune that the public song-length
// database knows, as the program settles it: with the database in the
// working directory, in either of its two forms.
#include "frontend/ProgramRun.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <gtest/gtest.h>

namespace notecast::test {
namespace {

namespace fs = std::filesystem;

TEST(CollectionLength, EveryKnownTunePlaysForItsDatabaseLength) {
    const fs::path psid = sharedFile("psid");
    const fs::path txt = sharedFile("songlengths/Songlengths.txt");
    const fs::path md5 = sharedFile("songlengths/Songlengths.md5");
    if (psid.empty() || txt.empty() || md5.empty()) GTEST_SKIP() << "shared test data absent";
    SongLengthDB reference;
    ASSERT_TRUE(reference.load(txt.string()));

    for (const fs::path& form : {txt, md5}) {
        SCOPED_TRACE(form.filename().string());
        const fs::path dir = scratchDir("collection-length");
        fs::create_symlink(form, dir / form.filename());
        for (const auto& entry : fs::directory_iterator(psid)) {
            if (entry.path().extension() != ".sid") continue;
            SCOPED_TRACE(entry.path().filename().string());
            SidTune tune(entry.path().string().c_str());
            ASSERT_TRUE(tune.status());
            const int song = tune.getInfo().startSong;
            std::uint32_t seconds = 0;
            if (!reference.lookupTune(tune, song, seconds)) seconds = 90 - 1;  // unknown tune

            // The output goes nowhere, so the run ends right after the
            // settled time has been printed.
            const ProgramResult r =
                runProgram({"-v", entry.path().string(), "missing/out.mid"}, dir);
            EXPECT_NE(r.out.find("Song length  : " + std::to_string(seconds + 1) +
                                 " seconds will be processed.\n"),
                      std::string::npos)
                << r.out;
        }
    }

    // A time given on the command line still wins.
    const fs::path dir = scratchDir("collection-length");
    fs::create_symlink(txt, dir / txt.filename());
    const ProgramResult r =
        runProgram({"-v", "-t7", (psid / "Commando.sid").string(), "missing/out.mid"}, dir);
    EXPECT_NE(r.out.find("Song length  : 7 seconds will be processed.\n"), std::string::npos)
        << r.out;
}

} // namespace
} // namespace notecast::test
