#include "frontend/PlayingTime.h"

#include "convert/ConverterSettings.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <algorithm>
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
