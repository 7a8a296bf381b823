#include "frontend/BatchRun.h"

#include "frontend/BatchInputs.h"
#include "frontend/BatchProgress.h"
#include "frontend/BatchReport.h"
#include "frontend/BatchSong.h"
#include "frontend/Options.h"
#include "frontend/OutputName.h"
#include "frontend/PlayingTime.h"
#include "frontend/WorkerPool.h"
#include "tune/SongLengthDB.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <numeric>
#include <ostream>
#include <set>

namespace notecast {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kDefaultPlaySeconds = 90;
constexpr auto kTickInterval = std::chrono::milliseconds(200);
// More threads than this gain nothing on any machine and cost memory.
constexpr std::int32_t kMaxJobs = 256;

std::string identity(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? fs::absolute(path, ec).lexically_normal().string() : canonical.string();
}

std::string withoutHead(const std::string& warning) {
    const std::string head = "WARNING: ";
    return warning.rfind(head, 0) == 0 ? warning.substr(head.size()) : warning;
}

// The songs a tune gives: all with -all, else the one asked for with -o (a
// number beyond the tune plays its start song, as in a single run) or the
// start song.
std::vector<int> songsOf(const BatchInput& tune, const RunOptions& run) {
    if (!run.collection.allSongs) return {run.songNumber != 0 ? run.songNumber : tune.startSong};
    std::vector<int> songs(static_cast<std::size_t>(tune.songCount));
    std::iota(songs.begin(), songs.end(), 1);
    return songs;
}

std::string outputName(const BatchInput& tune, int song, const RunOptions& run) {
    const std::string& folder = run.collection.outputDirectory;
    const std::string base = folder.empty() ? tune.path : (fs::path(folder) / tune.relative).string();
    return defaultOutputName(base, song, folder.empty() && run.outputInWorkingDirectory,
                             run.settings.outputMode);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int runBatch(const RunOptions& run, const char* argument0, std::ostream& out, std::ostream& err,
             bool errIsTerminal) {
    const Clock::time_point start = Clock::now();
    const CollectionOptions& options = run.collection;

    SongLengthDB database;
    const std::string databasePath = loadBatchSongLengths(database, argument0, options.inputs);
    out << "Song lengths : " << (databasePath.empty() ? "none found" : databasePath) << std::endl;

    // Look at every file; the loading is the costly part, so it runs in parallel too.
    const std::vector<BatchCandidate> candidates = findCandidates(options.inputs);
    std::vector<BatchInput> examined(candidates.size());
    const unsigned threads =
        options.jobs > 0 ? static_cast<unsigned>(std::min(options.jobs, kMaxJobs)) : processorCount();
    BatchProgress progress(err, errIsTerminal);
    std::atomic<std::size_t> looked{0};
    runInParallel(
        candidates.size(), threads,
        [&](std::size_t i) {
            examined[i] = examineCandidate(candidates[i], !databasePath.empty());
            ++looked;
        },
        [&] { progress.searching(looked, candidates.size(), secondsSince(start)); }, kTickInterval);
    progress.searched();

    std::vector<SongRow> rows;
    std::vector<const BatchInput*> tunes;
    std::set<std::string> inputFiles, tuneIdentities;
    for (const BatchInput& input : examined) {
        if (input.kind == BatchInput::Kind::NoTune) continue;
        if (input.kind == BatchInput::Kind::Refused) {
            SongRow row;
            row.input = input.path;
            row.text = input.refusal;
            rows.push_back(row);
            continue;
        }
        for (const std::string& file : input.files) inputFiles.insert(identity(file));
        // A tune found by its data file and by its info file is one input.
        if (tuneIdentities.insert(identity(input.path)).second) tunes.push_back(&input);
    }

    // Nothing may overwrite an input: the report file is checked before
    // anything is written, each output below.
    if (!options.reportFile.empty() && inputFiles.count(identity(options.reportFile)) != 0) {
        err << "ERROR: The report file is an input file: " << options.reportFile << std::endl;
        return -1;
    }

    // The songs, their playing times and their outputs.
    std::vector<SongTask> tasks;
    std::map<std::string, std::string> outputs;  // identity -> who writes it
    if (!options.reportFile.empty()) outputs[identity(options.reportFile)] = "the report";
    std::vector<std::size_t> fileOfTask;
    for (std::size_t f = 0; f < tunes.size(); ++f) {
        const BatchInput& tune = *tunes[f];
        for (int song : songsOf(tune, run)) {
            SongTask task;
            task.input = tune.path;
            task.song = song;
            task.output = outputName(tune, song, run);
            task.tuneWarning = withoutHead(tune.warning);
            std::uint32_t seconds = run.settings.playSeconds;
            std::uint32_t known = 0;
            if (seconds == 0 && !databasePath.empty() &&
                database.lookupKeys(tune.fingerprint, tune.fileMd5, song, known)) {
                seconds = known + 1;
            }
            task.seconds = seconds != 0 ? seconds : kDefaultPlaySeconds;

            const std::string target = identity(task.output);
            std::string refusal;
            if (inputFiles.count(target) != 0) {
                refusal = "ERROR: The output file is an input file.";
            } else if (const auto [it, fresh] = outputs.emplace(target, tune.path + ", song " + std::to_string(song));
                       !fresh) {
                refusal = "ERROR: The output file is also the output of " + it->second + ".";
            }
            if (!refusal.empty()) {
                SongRow row;
                row.input = task.input;
                row.song = song;
                row.output = task.output;
                row.text = refusal;
                rows.push_back(row);
                continue;
            }
            tasks.push_back(task);
            fileOfTask.push_back(f);
        }
    }

    // Longest first, so that no long song is left to run alone at the end;
    // the report keeps its own order.
    std::vector<std::size_t> order(tasks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return tasks[a].seconds > tasks[b].seconds; });

    BatchCounts counts;
    counts.files = tunes.size();
    counts.songs = tasks.size();
    std::vector<std::atomic<std::size_t>> songsLeft(tunes.size());
    for (std::atomic<std::size_t>& left : songsLeft) left = 0;
    for (std::size_t f : fileOfTask) ++songsLeft[f];
    for (const SongTask& t : tasks) counts.seconds += t.seconds;
    // Tunes whose every song was refused count as done from the start.
    for (const std::atomic<std::size_t>& left : songsLeft) counts.filesDone += left == 0 ? 1 : 0;
    std::atomic<std::size_t> filesDone{counts.filesDone}, songsDone{0}, failed{0};
    std::atomic<std::uint64_t> secondsDone{0};

    out << "Inputs       : " << tunes.size() << " tunes, " << tasks.size() << " songs" << std::endl;
    const Clock::time_point conversions = Clock::now();
    const auto current = [&] {
        counts.filesDone = filesDone;
        counts.songsDone = songsDone;
        counts.failed = failed;
        counts.secondsDone = secondsDone;
        return counts;
    };
    std::vector<SongRow> done(tasks.size());
    const bool createFolders = !options.outputDirectory.empty();
    runInParallel(
        tasks.size(), threads,
        [&](std::size_t i) {
            const std::size_t t = order[i];
            done[t] = convertSong(tasks[t], run.settings, options.replaceOutputs, createFolders);
            if (done[t].status == SongStatus::Failed) ++failed;
            secondsDone += tasks[t].seconds;
            ++songsDone;
            if (--songsLeft[fileOfTask[t]] == 0) ++filesDone;
        },
        [&] { progress.show(current(), secondsSince(conversions)); }, kTickInterval);
    progress.finish(current(), secondsSince(conversions));

    for (SongRow& row : done) rows.push_back(std::move(row));
    std::stable_sort(rows.begin(), rows.end(), [](const SongRow& a, const SongRow& b) {
        return a.input != b.input ? a.input < b.input : a.song < b.song;
    });

    printProblems(err, rows);
    bool reportWritten = true;
    if (!options.reportFile.empty()) {
        std::ofstream csv(options.reportFile, std::ios::out | std::ios::trunc | std::ios::binary);
        if (csv) writeReport(csv, rows);
        csv.close();
        reportWritten = !csv.fail();
        if (!reportWritten) err << "ERROR: Could not write the report file: " << options.reportFile << std::endl;
    }
    std::set<std::string> files;
    for (const SongRow& row : rows) files.insert(row.input);
    printSummary(out, rows, files.size(), secondsSince(start));
    if (reportWritten && !options.reportFile.empty()) out << "Report       : " << options.reportFile << std::endl;
    return failed == 0 && reportWritten ? 0 : 1;
}

} // namespace notecast
