#pragma once
#include <string>
#include <vector>

namespace notecast {

// A file that a batch looks at: one named on the command line, or one found
// in a folder named there (searched recursively; symbolic links to folders
// are not followed, so the search always ends).
struct BatchCandidate {
    std::string path;      // as named, or the folder's name joined with the way down
    std::string relative;  // below the folder it was found in; a named file's own name
    bool named = false;    // named on the command line: reported even when it is no tune
    std::string refusal;   // why it cannot be read at all, empty when it can be tried
};

// The candidates of all arguments, sorted by path, each file once (the same
// file reached twice keeps its first path). Folders that cannot be read and
// arguments that name nothing come back with a refusal.
std::vector<BatchCandidate> findCandidates(const std::vector<std::string>& arguments);

// What loading a candidate showed.
struct BatchInput {
    enum class Kind {
        Tune,     // converts: the songs below
        NoTune,   // found in a folder, but none of the formats: not an input
        Refused,  // cannot be loaded; refusal says why
    };
    Kind kind = Kind::NoTune;
    // The tune's data file. An info file leads to its data file, so that a
    // tune found by both files is one input (see findCandidates' order).
    std::string path;
    std::string relative;
    std::string refusal;
    std::vector<std::string> files;   // every file the tune is read from
    int songCount = 0;
    int startSong = 0;
    std::string fingerprint, fileMd5; // its song-length keys
    std::string warning;              // about the tune itself (addresses outside its data)
};

// Loads the candidate and settles its kind. Safe to run for several
// candidates at once.
BatchInput examineCandidate(const BatchCandidate& candidate, bool wantKeys);

} // namespace notecast
