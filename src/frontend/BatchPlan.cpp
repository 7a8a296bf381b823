#include "frontend/BatchPlan.h"

#include "backend/PianoRollWriter.h"
#include "frontend/Options.h"
#include "frontend/OutputName.h"
#include "tune/SongLengthDB.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>

namespace notecast {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kDefaultPlaySeconds = 90;

std::string withoutHead(const std::string& warning) {
    const std::string head = "WARNING: ";
    return warning.rfind(head, 0) == 0 ? warning.substr(head.size()) : warning;
}

// All songs with -all, else the one asked for with -o (a number beyond the
// tune plays its start song, as in a single run) or the start song.
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

std::uint32_t playSeconds(const BatchInput& tune, int song, const RunOptions& run, SongLengthDB* database) {
    std::uint32_t known = 0;
    if (run.settings.playSeconds != 0) return run.settings.playSeconds;
    if (database != nullptr && database->lookupKeys(tune.fingerprint, tune.fileMd5, song, known))
        return known + 1;
    return kDefaultPlaySeconds;
}

SongRow refusedRow(const std::string& input, int song, const std::string& output, const std::string& text) {
    SongRow row;
    row.input = input;
    row.song = song;
    row.output = output;
    row.text = text;
    return row;
}

} // namespace

std::string identity(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? fs::absolute(path, ec).lexically_normal().string() : canonical.string();
}

BatchPlan planBatch(const std::vector<BatchInput>& examined, const RunOptions& run,
                    SongLengthDB* database) {
    BatchPlan plan;
    std::vector<const BatchInput*> tunes;
    std::set<std::string> seen;
    for (const BatchInput& input : examined) {
        if (input.kind == BatchInput::Kind::NoTune) continue;
        if (input.kind == BatchInput::Kind::Refused) {
            plan.refused.push_back(refusedRow(input.path, 0, "", input.refusal));
            continue;
        }
        for (const std::string& file : input.files) plan.inputFiles.insert(identity(file));
        if (seen.insert(identity(input.path)).second) tunes.push_back(&input);
    }
    plan.tunes = tunes.size();

    std::map<std::string, std::string> outputs;  // identity -> whose output it is
    if (!run.collection.reportFile.empty()) outputs[identity(run.collection.reportFile)] = "the report";
    for (std::size_t t = 0; t < tunes.size(); ++t) {
        const BatchInput& tune = *tunes[t];
        for (int song : songsOf(tune, run)) {
            SongTask task{tune.path, song, playSeconds(tune, song, run, database), outputName(tune, song, run),
                          withoutHead(tune.warning)};
            // The files the song writes: its output, and its picture with -svg.
            std::vector<std::string> targets{identity(task.output)};
            if (run.settings.pianoRoll) targets.push_back(identity(pictureFileName(task.output)));
            const std::string owner = tune.path + ", song " + std::to_string(song);
            const auto input = [&](const std::string& target) { return plan.inputFiles.count(target) != 0; };
            const auto taken = std::find_if(targets.begin(), targets.end(),
                                            [&](const std::string& target) { return outputs.count(target) != 0; });
            if (std::any_of(targets.begin(), targets.end(), input)) {
                plan.refused.push_back(
                    refusedRow(task.input, song, task.output, "ERROR: The output file is an input file."));
            } else if (taken != targets.end()) {
                plan.refused.push_back(refusedRow(task.input, song, task.output,
                                                  "ERROR: The output file is also the output of " + outputs[*taken] + "."));
            } else {
                for (const std::string& target : targets) outputs.emplace(target, owner);
                plan.tasks.push_back(std::move(task));
                plan.tuneOfTask.push_back(t);
            }
        }
    }
    return plan;
}

} // namespace notecast
