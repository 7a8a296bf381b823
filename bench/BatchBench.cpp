// A whole batch, as `notecast -batch -all -y -dir=...` runs it, over the
// shared PSID tunes: every song, each for its length in the shared
// song-length database. Run with 1 and with 2 conversions at once; the
// songs/s counters compare the throughput.
#include "frontend/BatchRun.h"
#include "frontend/Options.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace notecast;

void BM_BatchEverySong(benchmark::State& state) {
    const fs::path shared = fs::path(NOTECAST_SHARED_DIR) / "testdata";
    if (!fs::exists(shared / "psid") || !fs::exists(shared / "songlengths/Songlengths.txt")) {
        state.SkipWithError("shared test data absent");
        return;
    }
    const fs::path out = fs::temp_directory_path() / "notecast-bench-batch";
    RunOptions run;
    run.collection.batch = true;
    run.collection.allSongs = true;
    run.collection.replaceOutputs = true;
    run.collection.jobs = static_cast<std::int32_t>(state.range(0));
    run.collection.outputDirectory = out.string();
    run.collection.inputs = {(shared / "psid").string()};
    // The database is found beside "the program", as a single run finds it.
    const std::string program = (shared / "songlengths" / "notecast").string();

    std::size_t songs = 0;
    for (auto _ : state) {
        std::ostringstream text, progress;
        if (runBatch(run, program.c_str(), text, progress, false) != 0) {
            state.SkipWithError("a song failed");
            break;
        }
        const std::string summary = text.str();
        const std::size_t at = summary.find("Converted    : ");
        songs = at == std::string::npos ? 0 : std::stoul(summary.substr(at + 15));
    }
    state.counters["songs"] = static_cast<double>(songs);
    state.counters["songs/s"] =
        benchmark::Counter(static_cast<double>(songs) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    std::error_code ec;
    fs::remove_all(out, ec);
}

BENCHMARK(BM_BatchEverySong)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
