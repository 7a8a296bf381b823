#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

class SidTune;

// The song-length database: per tune, the length of each song. A database
// file is either form: "Songlengths.txt" keyed by the tune's
// fingerprint, or "Songlengths.md5" keyed by the MD5 of the whole tune file.
// lookupTune tries the fingerprint key first and then the file's MD5, so one
// call serves whichever file was loaded. Computing the fingerprint selects
// every song of the tune in turn: select the wanted song afterwards.
class SongLengthDB {
public:
    static constexpr const char* kFingerprintFile = "Songlengths.txt";
    static constexpr const char* kFileMd5File = "Songlengths.md5";

    SongLengthDB();
    virtual ~SongLengthDB();
    virtual bool load(const std::string& path);
    // Seconds of song (0 and 1 both mean the first song); false when unknown.
    virtual bool lookup(const char* key, int song, std::uint32_t& seconds);
    virtual std::size_t entryCount() const { return index_.size(); }
    virtual const char* statusText() const { return statusText_; }

    // Looks the tune up by its fingerprint key, then by the MD5 of its whole
    // (unpacked) file. The status text is that of the last key tried.
    bool lookupTune(SidTune& tune, int song, std::uint32_t& seconds);
    // The same with the two keys already made, for callers that ask about
    // every song of a tune.
    bool lookupKeys(const std::string& fingerprint, const std::string& fileMd5, int song,
                    std::uint32_t& seconds);

    // Where a database file is looked for, given the program's argument 0:
    // beside the program file when its name begins with the program's name,
    // else in the working directory.
    static std::string databasePath(const char* argument0, const char* fileName);

private:
    bool status_ = false;
    const char* statusText_;
    std::vector<char> buffer_;
    std::vector<const char*> index_;
    std::string fileName_;
};

// The tune's fingerprint key: 32 lower-case hex digits of the MD5 over its C64
// data, init and play address, song count and song speeds (and the clock of
// NTSC-only tunes). Empty when no tune is loaded. Selects every song in turn.
std::string fingerprintKey(SidTune& tune);

// The MD5 of the whole loaded file (after unpacking) as 32 lower-case hex
// digits; empty when no tune is loaded.
std::string fileMd5Key(const SidTune& tune);

} // namespace notecast
