#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

// The song-length database ("Songlengths.txt"): per tune fingerprint, the
// length of each song.
class SongLengthDB {
public:
    SongLengthDB();
    virtual ~SongLengthDB();
    virtual bool load(const std::string& path);
    // Seconds of song (0 and 1 both mean the first song); false when unknown.
    virtual bool lookup(const char* key, int song, std::uint32_t& seconds);
    virtual std::size_t entryCount() const { return index_.size(); }
    virtual const char* statusText() const { return statusText_; }

    // Where the database is looked for, given the program's argument 0.
    static std::string databasePath(const char* argument0);

private:
    bool status_ = false;
    const char* statusText_;
    std::vector<char> buffer_;
    std::vector<const char*> index_;
    std::string fileName_;
};

} // namespace notecast
