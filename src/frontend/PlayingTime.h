#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace notecast {

class SidTune;
class SongLengthDB;
struct ConverterSettings;

// The song-length database files to try, in order: beside the program file
// when argument 0 names it (its name begins with the program name), then the
// working directory; in each place "Songlengths.txt" (keyed by the tune's
// fingerprint) before "Songlengths.md5" (keyed by the MD5 of the whole file).
std::vector<std::string> songLengthCandidates(const char* argument0);

// Loads the first candidate that loads. Nothing is printed; the result is
// the database-loaded flag.
bool loadSongLengths(SongLengthDB& database, const char* argument0);

// For a run over a collection: where the collection keeps its own database,
// DOCUMENTS/Songlengths.txt or .md5 in the folder an input names or lies in,
// or in any folder above it; inputs in order, nearest folder first.
std::vector<std::string> collectionSongLengthCandidates(const std::vector<std::string>& inputs);

// Loads the first of songLengthCandidates, then of the collection's
// candidates, that loads; returns its path, empty when none did.
std::string loadBatchSongLengths(SongLengthDB& database, const char* argument0,
                                 const std::vector<std::string>& inputs);

// Once the song number is known: with a loaded database the tune's key is
// formed (and printed when verbose) and a known length of the song, plus one
// second, becomes the playing time unless one was given. Without a database
// a verbose run reports why on err.
void settlePlayingTime(SongLengthDB& database, bool loaded, SidTune& tune, int songNumber,
                       bool verbose, ConverterSettings& settings, std::ostream& out,
                       std::ostream& err);

} // namespace notecast
