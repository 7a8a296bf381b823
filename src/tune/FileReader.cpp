#include "tune/FileReader.h"

#include <filesystem>
#include <fstream>
#include <new>

namespace notecast {

namespace {
// No tune file comes near this: C64 data fits 64 KB and a packed file
// unpacks to 16 MB at most. Larger files are refused before anything is
// allocated, so a stray disk image or video cannot eat the memory.
constexpr std::streamoff kMaxFileLength = 32 * 1024 * 1024;
} // namespace

FileReadResult readWholeFile(const char* fileName, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (fileName == nullptr || *fileName == '\0') return FileReadResult::openFailed;

    std::error_code ec;
    const std::filesystem::path path(fileName);
    if (!std::filesystem::is_regular_file(path, ec)) return FileReadResult::openFailed;

    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return FileReadResult::openFailed;

    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0 || end > kMaxFileLength) return FileReadResult::readFailed;
    in.seekg(0, std::ios::beg);

    try {
        bytes.resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
        return FileReadResult::noMemory;
    } catch (const std::length_error&) {
        return FileReadResult::noMemory;
    }
    if (!bytes.empty()) {
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        // A file that shrank while it was read is as unreadable as one that failed.
        if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
            bytes.clear();
            return FileReadResult::readFailed;
        }
    }
    return FileReadResult::ok;
}

} // namespace notecast
