#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

// Header record of a tune. Text pointers point at constant texts or into the
// tune's own storage: a copy is valid only while the tune lives and is not
// reloaded.
struct SidTuneInfo {
    const char* formatText = "N/A";
    const char* speedText = "N/A";
    std::uint16_t loadAddress = 0;
    std::uint16_t initAddress = 0;
    std::uint16_t playAddress = 0;     // 0: the tune installs its own interrupt handler
    std::uint16_t startSong = 0;       // 1-based
    std::uint16_t songCount = 0;       // 1..256 once accepted
    std::uint16_t irqAddress = 0;
    std::uint16_t currentSong = 0;
    std::uint8_t songSpeed = 0;        // 0 vertical blank, 60 CIA 1 timer A
    std::uint8_t songClock = 0;
    bool usesVudidazerPlayer = false;
    bool psidSpecific = false;
    std::uint8_t clock = 0;            // 0 unspecified, 1 PAL, 2 NTSC, 3 either
    std::uint8_t sidModel = 0;
    bool duplicateLoadAddress = false;
    std::uint16_t lengthInSeconds = 0;
    std::uint8_t relocStartPage = 0;
    std::uint8_t relocPageCount = 0;
    std::uint16_t reservedWord = 0;
    // RSID: the tune needs the whole machine around it (its own interrupt
    // handlers, CIA timers, raster interrupt) and has no play routine.
    bool interruptDriven = false;
    // Further SID chips (header version 3 on): base address, 0 when there is
    // no such chip; model coded like sidModel, 0 meaning "as chip 1".
    std::uint16_t sid2Address = 0;
    std::uint16_t sid3Address = 0;
    std::uint8_t sid2Model = 0;
    std::uint8_t sid3Model = 0;
    // Header values that were left out rather than refused, one
    // "WARNING: ..." text each.
    std::vector<std::string> headerWarnings;
    std::uint8_t infoLineCount = 0;
    const char* infoLines[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    const char* titleText = nullptr;
    const char* authorText = nullptr;
    const char* copyrightText = nullptr;
    std::uint16_t commentCount = 1;
    std::vector<std::string> comments;
    std::uint32_t dataFileLength = 0;
    std::uint32_t c64DataLength = 0;
    std::string path;
    std::string dataFileName;
    std::string infoFileName;
    const char* statusText = "N/A";
};

// Speed codes and clock codes of the record.
constexpr std::uint8_t kSpeedVbi = 0;
constexpr std::uint8_t kSpeedCia = 60;
constexpr std::uint8_t kClockUnknown = 0;
constexpr std::uint8_t kClockPal = 1;
constexpr std::uint8_t kClockNtsc = 2;
constexpr std::uint8_t kClockAny = 3;

} // namespace notecast
