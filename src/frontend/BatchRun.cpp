#include "frontend/BatchRun.h"

#include "frontend/BatchInputs.h"
#include "frontend/BatchPlan.h"
#include "frontend/BatchProgress.h"
#include "frontend/BatchReport.h"
#include "frontend/BatchSong.h"
#include "frontend/Options.h"
#include "frontend/PlayingTime.h"
#include "frontend/WorkerPool.h"
#include "tune/SongLengthDB.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <numeric>
#include <ostream>
#include <set>

namespace notecast {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTickInterval = std::chrono::milliseconds(200);
// More threads than this gain nothing on any machine and cost memory.
constexpr std::int32_t kMaxJobs = 256;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Loads every candidate, on all threads: for a big collection the loading
// takes a while of its own.
std::vector<BatchInput> examineAll(const std::vector<BatchCandidate>& candidates, bool wantKeys,
                                   unsigned threads, BatchProgress& progress) {
    const Clock::time_point start = Clock::now();
    std::vector<BatchInput> examined(candidates.size());
    std::atomic<std::size_t> looked{0};
    runInParallel(
        candidates.size(), threads,
        [&](std::size_t i) {
            examined[i] = examineCandidate(candidates[i], wantKeys);
            ++looked;
        },
        [&] { progress.searching(looked, candidates.size(), secondsSince(start)); }, kTickInterval);
    progress.searched();
    return examined;
}

// Runs the plan's conversions, longest first so that no long song is left to
// run alone at the end; the rows come back in the plan's order.
std::vector<SongRow> convertAll(const BatchPlan& plan, const RunOptions& run, unsigned threads,
                                BatchProgress& progress) {
    const std::vector<SongTask>& tasks = plan.tasks;
    std::vector<std::size_t> order(tasks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return tasks[a].seconds > tasks[b].seconds; });

    BatchCounts counts;
    counts.files = plan.tunes;
    counts.songs = tasks.size();
    std::vector<std::atomic<std::size_t>> songsLeft(plan.tunes);
    for (std::atomic<std::size_t>& left : songsLeft) left = 0;
    for (std::size_t t : plan.tuneOfTask) ++songsLeft[t];
    for (const SongTask& task : tasks) counts.seconds += task.seconds;
    // Tunes whose every song was refused are done from the start.
    std::atomic<std::size_t> filesDone{0}, songsDone{0}, failed{0};
    for (const std::atomic<std::size_t>& left : songsLeft) filesDone += left == 0 ? 1 : 0;
    std::atomic<std::uint64_t> secondsDone{0};
    const auto current = [&] {
        counts.filesDone = filesDone;
        counts.songsDone = songsDone;
        counts.failed = failed;
        counts.secondsDone = secondsDone;
        return counts;
    };

    const Clock::time_point start = Clock::now();
    std::vector<SongRow> rows(tasks.size());
    const bool createFolders = !run.collection.outputDirectory.empty();
    runInParallel(
        tasks.size(), threads,
        [&](std::size_t i) {
            const std::size_t t = order[i];
            rows[t] = convertSong(tasks[t], run.settings, run.collection.replaceOutputs, createFolders);
            if (rows[t].status == SongStatus::Failed) ++failed;
            secondsDone += tasks[t].seconds;
            ++songsDone;
            if (--songsLeft[plan.tuneOfTask[t]] == 0) ++filesDone;
        },
        [&] { progress.show(current(), secondsSince(start)); }, kTickInterval);
    progress.finish(current(), secondsSince(start));
    return rows;
}

bool writeReportFile(const std::string& path, const std::vector<SongRow>& rows) {
    std::ofstream csv(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (csv) writeReport(csv, rows);
    csv.close();
    return !csv.fail();
}

} // namespace

int runBatch(const RunOptions& run, const char* argument0, std::ostream& out, std::ostream& err,
             bool errIsTerminal) {
    const Clock::time_point start = Clock::now();
    const CollectionOptions& options = run.collection;
    const unsigned threads =
        options.jobs > 0 ? static_cast<unsigned>(std::min(options.jobs, kMaxJobs)) : processorCount();
    BatchProgress progress(err, errIsTerminal);

    SongLengthDB database;
    const std::string databasePath = loadBatchSongLengths(database, argument0, options.inputs);
    out << "Song lengths : " << (databasePath.empty() ? "none found" : databasePath) << std::endl;

    const std::vector<BatchInput> examined =
        examineAll(findCandidates(options.inputs), !databasePath.empty(), threads, progress);
    BatchPlan plan = planBatch(examined, run, databasePath.empty() ? nullptr : &database);
    // Checked before anything is written; the outputs are checked by the plan.
    if (!options.reportFile.empty() && plan.inputFiles.count(identity(options.reportFile)) != 0) {
        err << "ERROR: The report file is an input file: " << options.reportFile << std::endl;
        return -1;
    }

    out << "Inputs       : " << plan.tunes << " tunes, " << plan.tasks.size() << " songs" << std::endl;
    std::vector<SongRow> rows = convertAll(plan, run, threads, progress);
    const bool failed = std::any_of(rows.begin(), rows.end(),
                                    [](const SongRow& r) { return r.status == SongStatus::Failed; });
    rows.insert(rows.end(), plan.refused.begin(), plan.refused.end());
    // The order of the inputs and songs, whatever the order the conversions ended in.
    std::stable_sort(rows.begin(), rows.end(), [](const SongRow& a, const SongRow& b) {
        return a.input != b.input ? a.input < b.input : a.song < b.song;
    });
    printProblems(err, rows);

    bool reported = true;
    if (!options.reportFile.empty()) {
        reported = writeReportFile(options.reportFile, rows);
        if (!reported) err << "ERROR: Could not write the report file: " << options.reportFile << std::endl;
    }
    std::set<std::string> files;
    for (const SongRow& row : rows) files.insert(row.input);
    printSummary(out, rows, files.size(), secondsSince(start));
    if (reported && !options.reportFile.empty()) out << "Report       : " << options.reportFile << std::endl;
    return failed || !reported ? 1 : 0;
}

} // namespace notecast
