#pragma once
#include <cstdint>
#include <vector>

namespace notecast {

enum class FileReadResult { ok, openFailed, readFailed, noMemory };

// Reads a whole regular file into `bytes` (replacing its content). Opens the
// file for reading only, so read-only collections load. Anything that is not
// a regular file (a directory, a device, a pipe) counts as not openable: such
// names can only hang or fail later, and none of them holds a tune. A file
// larger than any tune can be (32 MB) is a read failure.
FileReadResult readWholeFile(const char* fileName, std::vector<std::uint8_t>& bytes);

} // namespace notecast
