#include "frontend/BatchInputs.h"

#include "frontend/TuneChecks.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

namespace notecast {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCannotReadFolder = "ERROR: Could not read folder";
constexpr const char* kNoFileOrFolder = "ERROR: Not a file or folder";

void walk(const fs::path& folder, const fs::path& root, std::vector<BatchCandidate>& found) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    const auto refuse = [&] {
        found.push_back({folder.string(), folder.lexically_relative(root).string(), false, kCannotReadFolder});
    };
    if (ec) return refuse();
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return refuse();
        const fs::path& path = it->path();
        std::error_code statusError;
        const bool link = it->is_symlink(statusError);
        const fs::file_status target = fs::status(path, statusError);
        if (!link && fs::is_directory(target)) {
            walk(path, root, found);
        } else if (fs::is_regular_file(target) || (link && !fs::exists(target))) {
            // Files, and links that lead to one or to nothing (the loader
            // reports those); pipes and devices could block a read.
            found.push_back({path.string(), path.lexically_relative(root).string(), false, {}});
        }
    }
}

// A file in the one-file tune format, also of a version or kind the loader
// does not take: a tune that is refused, not a file that is no tune.
bool hasTuneHeader(const std::string& path) {
    char magic[4] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(magic, sizeof magic)) return false;
    return std::memcmp(magic, "PSID", 4) == 0 || std::memcmp(magic, "RSID", 4) == 0;
}

} // namespace

std::vector<BatchCandidate> findCandidates(const std::vector<std::string>& arguments) {
    std::vector<BatchCandidate> found;
    for (const std::string& argument : arguments) {
        std::error_code ec;
        const fs::path path(argument);
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            walk(path, path, found);
        } else if (fs::is_regular_file(status)) {
            found.push_back({argument, path.filename().string(), true, {}});
        } else {
            // The loader's own text for a name it cannot open.
            const SidTune missing(argument.c_str());
            found.push_back({argument, path.filename().string(), true,
                             fs::exists(status) ? kNoFileOrFolder : missing.getInfo().statusText});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const BatchCandidate& a, const BatchCandidate& b) { return a.path < b.path; });

    // The same file by two ways (two arguments, or a link): the first one.
    std::set<std::string> seen;
    std::vector<BatchCandidate> unique;
    for (BatchCandidate& c : found) {
        std::error_code ec;
        const std::string identity = fs::weakly_canonical(c.path, ec).string();
        if (seen.insert(ec ? c.path : identity).second) unique.push_back(std::move(c));
    }
    return unique;
}

BatchInput examineCandidate(const BatchCandidate& candidate, bool wantKeys) {
    BatchInput input;
    input.path = candidate.path;
    input.relative = candidate.relative;
    if (!candidate.refusal.empty()) {
        input.kind = BatchInput::Kind::Refused;
        input.refusal = candidate.refusal;
        return input;
    }

    SidTune tune(candidate.path.c_str());
    const SidTuneInfo info = tune.getInfo();
    if (!tune.status()) {
        const bool noTune = tune.notATune() && !candidate.named && !hasTuneHeader(candidate.path);
        input.kind = noTune ? BatchInput::Kind::NoTune : BatchInput::Kind::Refused;
        input.refusal = info.statusText != nullptr ? info.statusText : "";
        return input;
    }

    input.files = tuneFiles(tune);
    input.kind = BatchInput::Kind::Tune;
    const std::string dataFile = info.path + info.dataFileName;
    if (dataFile != candidate.path) {
        // An info file: the data file lies beside it.
        input.path = dataFile;
        input.relative = (fs::path(candidate.relative).parent_path() / fs::path(dataFile).filename()).string();
    }
    input.songCount = info.songCount;
    input.startSong = info.startSong;
    input.warning = addressWarning(info);
    if (wantKeys) {
        input.fileMd5 = fileMd5Key(tune);
        input.fingerprint = fingerprintKey(tune);
    }
    return input;
}

} // namespace notecast
