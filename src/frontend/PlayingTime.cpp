#include "frontend/PlayingTime.h"

#include "convert/ConverterSettings.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace notecast {

std::vector<std::string> songLengthCandidates(const char* argument0) {
    const char* const program = argument0 != nullptr ? argument0 : "";
    const char* const names[] = {SongLengthDB::kFingerprintFile, SongLengthDB::kFileMd5File};
    std::vector<std::string> candidates;
    for (const char* name : names) candidates.push_back(SongLengthDB::databasePath(program, name));
    // Then the working directory, unless that is where the program is.
    for (const char* name : names) {
        if (std::find(candidates.begin(), candidates.end(), name) == candidates.end()) {
            candidates.emplace_back(name);
        }
    }
    return candidates;
}

bool loadSongLengths(SongLengthDB& database, const char* argument0) {
    for (const std::string& path : songLengthCandidates(argument0)) {
        if (database.load(path)) return true;
    }
    return false;
}

std::vector<std::string> collectionSongLengthCandidates(const std::vector<std::string>& inputs) {
    namespace fs = std::filesystem;
    std::vector<std::string> candidates;
    for (const std::string& input : inputs) {
        std::error_code ec;
        fs::path folder = fs::absolute(input, ec).lexically_normal();
        if (ec) continue;
        if (!fs::is_directory(folder, ec)) folder = folder.parent_path();
        // Up to the root, whose parent is itself.
        for (fs::path previous; folder != previous; previous = folder, folder = folder.parent_path()) {
            for (const char* name : {SongLengthDB::kFingerprintFile, SongLengthDB::kFileMd5File}) {
                std::string candidate = (folder / "DOCUMENTS" / name).string();
                if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end())
                    candidates.push_back(std::move(candidate));
            }
        }
    }
    return candidates;
}

std::string loadBatchSongLengths(SongLengthDB& database, const char* argument0,
                                 const std::vector<std::string>& inputs) {
    std::vector<std::string> candidates = songLengthCandidates(argument0);
    for (std::string& c : collectionSongLengthCandidates(inputs)) candidates.push_back(std::move(c));
    for (const std::string& path : candidates) {
        std::error_code ec;
        // Only files: trying to read a folder or a pipe of that name is no use.
        if (!std::filesystem::is_regular_file(path, ec)) continue;
        if (database.load(path)) return path;
    }
    return {};
}

void settlePlayingTime(SongLengthDB& database, bool loaded, SidTune& tune, int songNumber,
                       bool verbose, ConverterSettings& settings, std::ostream& out,
                       std::ostream& err) {
    if (!loaded) {
        if (verbose) err << database.statusText() << std::endl;
        return;
    }
    if (verbose) out << "MD5 checksum : " << fingerprintKey(tune) << std::endl;

    // By the fingerprint, or by the whole file for the other database form.
    std::uint32_t seconds = 0;
    if (database.lookupTune(tune, songNumber, seconds) && settings.playSeconds == 0) {
        settings.playSeconds = seconds + 1;
    }
}

} // namespace notecast
