#include "tune/SidTune.h"

#include <algorithm>
#include <cstring>

namespace notecast {

namespace {

const char kSongTooHigh[] = "WARNING: Selected song number was too high";

const char* clockedSpeedText(std::uint8_t speed, std::uint8_t clock) {
    const bool pal = clock == kClockUnknown || clock == kClockPal;
    if (speed != kSpeedVbi) return pal ? "CIA 1 Timer A (PAL)" : "CIA 1 Timer A (NTSC)";
    return pal ? "50 Hz VBI (PAL)" : "60 Hz VBI (NTSC)";
}

} // namespace

void SidTune::speedWordToTables(std::uint32_t speedWord) {
    // Every entry is filled, not just those of the current song count: an
    // earlier, refused probe must not leave stale entries behind.
    for (int s = 0; s < kMaxSongs; ++s) {
        const int bit = std::min(s, 31);
        songSpeeds_[s] = ((speedWord >> bit) & 1u) != 0 ? kSpeedCia : kSpeedVbi;
        songClocks_[s] = info_.clock;
    }
}

std::uint16_t SidTune::selectSong(std::uint16_t song) {
    if (song == 0) {
        song = info_.startSong;
    } else if (song > info_.songCount || song > kMaxSongs) {
        info_.statusText = kSongTooHigh;
        song = info_.startSong;
    }
    // Nothing loaded: there is no song whose tables could be read.
    if (song == 0 || song > kMaxSongs) return song;

    info_.songSpeed = songSpeeds_[song - 1];
    info_.songClock = songClocks_[song - 1];
    info_.lengthInSeconds = songLengths_[song - 1];
    info_.speedText = info_.songSpeed != kSpeedVbi ? "CIA 1 Timer A" : "VBI";
    info_.currentSong = song;
    return song;
}

std::uint16_t SidTune::selectSongClocked(std::uint16_t song) {
    song = selectSong(song);
    if (song == 0 || song > kMaxSongs) return song;
    info_.speedText = clockedSpeedText(info_.songSpeed, info_.songClock);
    return song;
}

void SidTune::setSongTiming(std::uint8_t speed, std::uint8_t clock, const char* speedText) {
    info_.songSpeed = speed;
    info_.songClock = clock;
    info_.speedText = speedText;
}

bool SidTune::placeInC64Memory(std::uint8_t* memory) {
    if (memory == nullptr || cache_.empty() || !status_) {
        status_ = false;
        return false;
    }
    if (info_.c64DataLength > 0x10000) {
        info_.statusText = "ERROR: Music data size exceeds C64 memory";
        status_ = false;
        return false;
    }
    const std::size_t length = info_.c64DataLength;
    if (length == 0) return true;
    const std::uint8_t* data = cache_.data() + dataOffset_;
    const std::size_t start = info_.loadAddress;
    const std::size_t below = std::min(length, std::size_t{0x10000} - start);
    std::memcpy(memory + start, data, below);
    // What does not fit below $10000 continues at $0000.
    std::memcpy(memory, data + below, length - below);
    return true;
}

} // namespace notecast
