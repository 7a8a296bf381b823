#pragma once
#include <string>
#include <vector>

namespace notecast {

class SidTune;
struct SidTuneInfo;

// A warning line (without line end) when the tune's init address, or its
// play address other than 0, lies outside the C64 data the file loads: the
// tune is truncated or damaged and would run code that is not there. Empty
// for a sound tune, and for tunes played by the built-in MUS player.
std::string addressWarning(const SidTuneInfo& info);

// The files a loaded tune was read from: its data file and, for a tune
// described by an info file, that file too.
std::vector<std::string> tuneFiles(const SidTune& tune);

// Whether output names an existing file that is one of files (the same file
// under any name: links and other spellings of the path count).
bool isOneOf(const std::string& output, const std::vector<std::string>& files);

} // namespace notecast
