#include "tune/SongLengthDB.h"

#include "tune/FileReader.h"
#include "tune/SidTune.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace notecast {

namespace {

const char kCannotOpen[] = "Failed to open Songlengths.txt!";
const char kCannotRead[] = "Failed to read Songlengths.txt!";
const char kNoMemory[] = "Not enough memory!";
const char kNoError[] = "No error.";
const char kNoEntry[] = "No database entry for this sidtune!";
const char kSongTooHigh[] = "Requested song number too high! Wrong songlengths file version?";

constexpr std::size_t kKeyLength = 32;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// A line that starts with exactly 32 letters or digits and then '='.
bool isEntryLine(const char* line, const char* end) {
    if (end - line < static_cast<std::ptrdiff_t>(kKeyLength + 1)) return false;
    for (std::size_t i = 0; i < kKeyLength; ++i) {
        if (!std::isalnum(static_cast<unsigned char>(line[i]))) return false;
    }
    return line[kKeyLength] == '=';
}

// Seconds of one time token: "m:ss", a plain number of seconds, anything
// after the second number (".SSS", "(G)") ignored. A zero length reads as one
// second so that a listed song never looks unknown.
std::uint32_t tokenSeconds(const char* p, const char* end) {
    constexpr std::uint64_t kCap = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t total = 0;
    bool sawDigit = false;
    for (int pass = 0; pass < 2; ++pass) {
        if (p < end && isDigit(*p)) {
            std::uint64_t number = 0;
            for (; p < end && isDigit(*p); ++p) number = std::min(kCap, number * 10 + (*p - '0'));
            total = std::min(kCap, total + number);
            sawDigit = true;
        }
        if (p < end && *p == ':') {
            total = std::min(kCap, total * 60);
            ++p;
        }
    }
    if (!sawDigit) return 0;
    return total == 0 ? 1 : static_cast<std::uint32_t>(total);
}

// The entries are sorted as whole lines, so comparing only a key-long prefix
// keeps that order and a binary search over it works.
struct PrefixLess {
    std::size_t length;
    bool operator()(const char* a, const char* b) const { return std::strncmp(a, b, length) < 0; }
};

} // namespace

SongLengthDB::SongLengthDB() : statusText_(kCannotOpen) {}

SongLengthDB::~SongLengthDB() = default;

bool SongLengthDB::load(const std::string& path) {
    index_.clear();
    buffer_.clear();
    status_ = false;
    fileName_ = path;

    std::vector<std::uint8_t> bytes;
    switch (readWholeFile(path.c_str(), bytes)) {
    case FileReadResult::ok:
        break;
    case FileReadResult::openFailed:
        statusText_ = kCannotOpen;
        return false;
    case FileReadResult::readFailed:
        statusText_ = kCannotRead;
        return false;
    case FileReadResult::noMemory:
        statusText_ = kNoMemory;
        return false;
    }
    if (bytes.empty()) {
        statusText_ = kCannotRead;
        return false;
    }

    try {
        buffer_.assign(bytes.begin(), bytes.end());
        buffer_.push_back('\0');
        bytes = {};

        // Each line end run becomes NUL bytes, so every entry is one
        // NUL-terminated text: key, '=' and the times.
        char* p = buffer_.data();
        char* const end = p + buffer_.size() - 1;
        while (p < end && *p != '\0') {
            char* lineEnd = p;
            while (lineEnd < end && !isLineEnd(*lineEnd)) ++lineEnd;
            if (*p != '[' && *p != ';' && isEntryLine(p, lineEnd)) index_.push_back(p);
            while (lineEnd < end && isLineEnd(*lineEnd)) *lineEnd++ = '\0';
            p = lineEnd;
        }
        std::sort(index_.begin(), index_.end(),
                  [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    } catch (const std::bad_alloc&) {
        index_.clear();
        buffer_.clear();
        statusText_ = kNoMemory;
        return false;
    }

    statusText_ = kNoError;
    status_ = true;
    return true;
}

bool SongLengthDB::lookup(const char* key, int song, std::uint32_t& seconds) {
    statusText_ = kNoEntry;
    seconds = 0;
    if (key == nullptr || !status_ || index_.empty()) return false;
    const std::size_t keyLength = std::strlen(key);
    if (keyLength < kKeyLength) return false;

    const PrefixLess less{keyLength};
    const auto found = std::lower_bound(index_.begin(), index_.end(), key, less);
    if (found == index_.end() || less(key, *found)) return false;

    // The entry text holds the key, so it is at least keyLength long.
    const char* p = *found + keyLength;
    const char* const end = p + std::strlen(p);
    while (p < end && (isBlank(*p) || *p == '=')) ++p;

    for (int n = song; n > 1; --n) {
        if (p == end) break;
        while (p < end && !isBlank(*p)) ++p;
        while (p < end && isBlank(*p)) ++p;
    }
    if (p == end) {
        statusText_ = kSongTooHigh;
        return false;
    }
    seconds = tokenSeconds(p, end);
    statusText_ = kNoError;
    return true;
}

bool SongLengthDB::lookupTune(SidTune& tune, int song, std::uint32_t& seconds) {
    const std::string byFingerprint = fingerprintKey(tune);
    return lookupKeys(byFingerprint, fileMd5Key(tune), song, seconds);
}

bool SongLengthDB::lookupKeys(const std::string& fingerprint, const std::string& fileMd5, int song,
                              std::uint32_t& seconds) {
    if (lookup(fingerprint.c_str(), song, seconds)) return true;
    // A known tune whose song is missing must not fall back to the other key
    // and replace the precise status text.
    if (statusText_ == kSongTooHigh) return false;
    return lookup(fileMd5.c_str(), song, seconds);
}

std::string SongLengthDB::databasePath(const char* argument0, const char* fileName) {
    static const char kProgramName[] = "NOTECAST";
    const std::string fallback(fileName);
    if (argument0 == nullptr) return fallback;
    std::string upper(argument0);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::size_t at = upper.rfind(kProgramName);
    if (at == std::string::npos) return fallback;
    return std::string(argument0, at) + fallback;
}

} // namespace notecast
