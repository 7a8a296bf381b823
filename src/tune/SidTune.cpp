#include "tune/SidTune.h"
#include "tune/ByteOrder.h"

#include "tune/FileReader.h"
#include "tune/PowerPacker.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace notecast {

namespace {

const char* const kDefaultExtensions[] = {
    ".sid", ".dat", ".inf", "",      ".DAT", ".SID",  ".INF",  ".c64",
    ".prg", ".C64", ".PRG", ".info", ".INFO", ".data", ".DATA", nullptr};

const char kNoErrors[] = "No errors";
const char kCannotOpen[] = "ERROR: Could not open file for binary input";
const char kCannotLoad[] = "ERROR: Could not load input file";
const char kFileEmpty[] = "ERROR: File is empty";
const char kNoMemory[] = "ERROR: Not enough free memory";
const char kUnknownFormat[] = "ERROR: Could not determine file format";
const char kNoDataFile[] = "ERROR: Did not find the corresponding data file";
const char kTooLong[] = "ERROR: Input data too long";

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The companion of `name` with `extension`: the extension replaces the name's
// own, or is appended when the name has none. Only a '.' after the last
// directory separator starts an extension, so "./tune" or "v1.2/tune" keep
// their directories.
std::string candidateName(const std::string& name, const char* extension) {
    const std::size_t dirEnd = name.find_last_of("/\\:");
    const std::size_t dot = name.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (dirEnd == std::string::npos || dot > dirEnd);
    return (hasExtension ? name.substr(0, dot) : name) + extension;
}

} // namespace

SidTune::SidTune(const char* fileName, const char* const* extensions)
    : SidTune(fileName, extensions, false) {}

SidTune::SidTune(const char* fileName, const char* const* extensions, bool slashSeparator) {
    initialise();
    slashSeparator_ = slashSeparator;
    if (extensions != nullptr) extensions_ = extensions;
    if (fileName != nullptr) loadNamedFile(fileName);
}

SidTune::SidTune(const std::uint8_t* data, std::size_t length) {
    initialise();
    loadBuffer(data, length);
}

SidTune::~SidTune() = default;

bool SidTune::load(const char* fileName) {
    initialise();
    slashSeparator_ = false;
    if (fileName == nullptr) return false;
    return loadNamedFile(fileName);
}

bool SidTune::load(const std::uint8_t* data, std::size_t length) {
    initialise();
    return loadBuffer(data, length);
}

void SidTune::initialise() {
    info_ = SidTuneInfo{};
    info_.commentCount = 1;
    info_.comments.assign(1, "--- SAVED WITH TUNEBOX ---");
    status_ = false;
    std::fill(std::begin(songSpeeds_), std::end(songSpeeds_), std::uint8_t{0});
    std::fill(std::begin(songClocks_), std::end(songClocks_), std::uint8_t{0});
    std::fill(std::begin(songLengths_), std::end(songLengths_), std::uint16_t{0});
    for (auto& slot : infoSlots_) std::fill(std::begin(slot), std::end(slot), '\0');
    cache_.clear();
    cache_.shrink_to_fit();
    dataOffset_ = 0;
    refusedRsid_ = false;
    refusalText_.clear();
    extensions_ = kDefaultExtensions;
}

void SidTune::resetTextSlots() {
    for (int i = 0; i < 3; ++i) {
        std::fill(std::begin(infoSlots_[i]), std::end(infoSlots_[i]), '\0');
        info_.infoLines[i] = infoSlots_[i];
    }
    info_.titleText = infoSlots_[0];
    info_.authorText = infoSlots_[1];
    info_.copyrightText = infoSlots_[2];
    info_.infoLineCount = 3;
}

void SidTune::clearHeaderFlags() {
    info_.psidSpecific = false;
    info_.clock = kClockUnknown;
    info_.sidModel = 0;
    info_.relocStartPage = 0;
    info_.relocPageCount = 0;
    info_.reservedWord = 0;
    info_.interruptDriven = false;
    info_.sid2Address = info_.sid3Address = 0;
    info_.sid2Model = info_.sid3Model = 0;
    info_.headerWarnings.clear();
}

bool SidTune::completeRawTune(std::uint32_t speedWord, const std::uint8_t* data,
                              std::size_t dataLength, const char* formatText) {
    speedWordToTables(speedWord);
    if (info_.loadAddress == 0 && data != nullptr) {
        if (dataLength < 2) {
            info_.formatText = "ERROR: C64 data file is corrupt";
            return false;
        }
        info_.loadAddress = readLe16(data);
        dataOffset_ = 2;
    }
    if (info_.initAddress == 0) info_.initAddress = info_.loadAddress;
    info_.infoLineCount = 3;
    info_.formatText = formatText;
    return true;
}

std::size_t SidTune::loadFile(const char* fileName, std::vector<std::uint8_t>& buffer) {
    status_ = false;
    buffer.clear();
    switch (readWholeFile(fileName, buffer)) {
    case FileReadResult::ok:
        break;
    case FileReadResult::openFailed:
        info_.statusText = kCannotOpen;
        return 0;
    case FileReadResult::readFailed:
        info_.statusText = kCannotLoad;
        return 0;
    case FileReadResult::noMemory:
        info_.statusText = kNoMemory;
        return 0;
    }

    PowerPacker unpacker;
    std::vector<std::uint8_t> unpacked;
    if (unpacker.decompress(buffer.data(), buffer.size(), unpacked)) {
        buffer.swap(unpacked);
        info_.statusText = unpacker.statusText();
    } else if (unpacker.isPowerPacker()) {
        buffer.clear();
        info_.statusText = unpacker.statusText();
        return 0;
    } else {
        info_.statusText = kNoErrors;
    }

    if (buffer.empty()) {
        info_.statusText = kFileEmpty;
        return 0;
    }
    status_ = true;
    return buffer.size();
}

bool SidTune::probeSingle(bool (SidTune::*recogniser)(const std::uint8_t*, std::size_t),
                          const std::uint8_t* data, std::size_t length) {
    return (this->*recogniser)(data, length) && dataOffset_ <= length;
}

bool SidTune::probeInfo(const std::uint8_t* data, std::size_t dataLength,
                        const std::uint8_t* info, std::size_t infoLength) {
    const auto fits = [&] { return data == nullptr || dataOffset_ <= dataLength; };
    if (acceptsTextInfo(data, dataLength, info, infoLength) && fits()) return true;
    return acceptsTooltypeInfo(data, dataLength, info, infoLength) && fits();
}

bool SidTune::notATune() const {
    return !status_ && (info_.statusText == kUnknownFormat || info_.statusText == kFileEmpty);
}

bool SidTune::loadNamedFile(const char* fileName) {
    status_ = false;
    std::vector<std::uint8_t> named;
    const std::size_t length = loadFile(fileName, named);
    if (length == 0) {
        info_.formatText = "N/A";
        return false;
    }

    if (probeSingle(&SidTune::acceptsPsid, named.data(), length) ||
        probeSingle(&SidTune::acceptsRsid, named.data(), length) ||
        (!refusedRsid_ && probeSingle(&SidTune::acceptsMus, named.data(), length))) {
        return acceptTune(fileName, nullptr, named.data(), length);
    }
    if (refusedRsid_) return refuseRsid();

    const bool isDescription = probeInfo(nullptr, 0, named.data(), length);
    return searchCompanion(fileName, named, !isDescription);
}

bool SidTune::searchCompanion(const char* fileName, const std::vector<std::uint8_t>& named,
                              bool namedIsData) {
    const std::string name(fileName);
    std::vector<std::uint8_t> companion;
    for (const char* const* ext = extensions_; *ext != nullptr; ++ext) {
        const std::string candidate = candidateName(name, *ext);
        if (equalsIgnoringCase(candidate, name)) continue;
        const std::size_t length = loadFile(candidate.c_str(), companion);
        if (length == 0) continue;
        if (namedIsData) {
            if (probeInfo(named.data(), named.size(), companion.data(), length)) {
                return acceptTune(fileName, candidate.c_str(), named.data(), named.size());
            }
        } else if (probeInfo(companion.data(), length, named.data(), named.size())) {
            return acceptTune(candidate.c_str(), fileName, companion.data(), length);
        }
    }
    status_ = false;
    info_.formatText = "N/A";
    info_.statusText = namedIsData ? kUnknownFormat : kNoDataFile;
    return false;
}

bool SidTune::loadBuffer(const std::uint8_t* data, std::size_t length) {
    status_ = false;
    if (length > kMaxBufferLength) {
        info_.statusText = kTooLong;
        return false;
    }
    if (probeSingle(&SidTune::acceptsPsid, data, length) ||
        probeSingle(&SidTune::acceptsRsid, data, length) ||
        (!refusedRsid_ && probeSingle(&SidTune::acceptsMus, data, length))) {
        return acceptTune("-", "-", data, length);
    }
    if (refusedRsid_) return refuseRsid();
    info_.formatText = "N/A";
    info_.statusText = kUnknownFormat;
    return false;
}

// A refused RSID is no raw data either: its refusal is the answer.
bool SidTune::refuseRsid() {
    status_ = false;
    info_.formatText = refusalText_.c_str();
    info_.statusText = refusalText_.c_str();
    return false;
}

std::string SidTune::namePart(const std::string& name) const {
    const std::size_t sep = slashSeparator_ ? name.rfind('/') : name.find_last_of(":\\");
    return sep == std::string::npos ? name : name.substr(sep + 1);
}

bool SidTune::acceptTune(const char* dataName, const char* infoName, const std::uint8_t* data,
                         std::size_t length) {
    try {
        info_.path.clear();
        info_.dataFileName.clear();
        info_.infoFileName.clear();
        if (dataName != nullptr) {
            const std::string name(dataName);
            info_.dataFileName = namePart(name);
            info_.path = name.substr(0, name.size() - info_.dataFileName.size());
        }
        if (infoName != nullptr) info_.infoFileName = namePart(infoName);

        if (info_.songCount > kMaxSongs) info_.songCount = kMaxSongs;
        if (info_.songCount == 0) info_.songCount = 1;
        if (info_.startSong == 0 || info_.startSong > info_.songCount) info_.startSong = 1;

        info_.dataFileLength = static_cast<std::uint32_t>(length);
        info_.c64DataLength = static_cast<std::uint32_t>(length - dataOffset_);
        cache_.assign(data, data + length);
    } catch (const std::bad_alloc&) {
        cache_.clear();
        status_ = false;
        info_.statusText = kNoMemory;
        return false;
    }

    info_.duplicateLoadAddress = false;
    if (info_.c64DataLength >= 2) {
        const unsigned first = cache_[dataOffset_] | (cache_[dataOffset_ + 1] << 8);
        info_.duplicateLoadAddress = first == info_.loadAddress + 2u;
    }
    info_.statusText = kNoErrors;
    status_ = true;
    return true;
}

} // namespace notecast
