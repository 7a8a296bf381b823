#include "frontend/TuneChecks.h"

#include "tune/SidTune.h"

#include <cstdio>
#include <filesystem>

namespace notecast {

namespace {

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "$%04x", value & 0xFFFFu);
    return text;
}

} // namespace

std::string addressWarning(const SidTuneInfo& info) {
    if (info.usesVudidazerPlayer || info.c64DataLength == 0) return {};
    // The data may wrap round past $FFFF, as it is placed in memory.
    const auto inside = [&](unsigned address) {
        return static_cast<unsigned>((address - info.loadAddress) & 0xFFFFu) < info.c64DataLength;
    };
    const bool initOutside = !inside(info.initAddress);
    const bool playOutside = info.playAddress != 0 && !inside(info.playAddress);
    if (!initOutside && !playOutside) return {};

    std::string what;
    if (initOutside && playOutside) {
        what = "The init address " + hex4(info.initAddress) + " and the play address " +
               hex4(info.playAddress) + " lie";
    } else if (initOutside) {
        what = "The init address " + hex4(info.initAddress) + " lies";
    } else {
        what = "The play address " + hex4(info.playAddress) + " lies";
    }
    const unsigned last = info.loadAddress + (info.c64DataLength < 0x10000u ? info.c64DataLength : 0x10000u) - 1;
    return "WARNING: " + what + " outside the tune's data (" + hex4(info.loadAddress) + "-" + hex4(last) +
           "); the file is truncated or damaged and may convert to silence.";
}

std::vector<std::string> tuneFiles(const SidTune& tune) {
    const SidTuneInfo info = tune.getInfo();
    std::vector<std::string> files;
    if (!info.dataFileName.empty()) files.push_back(info.path + info.dataFileName);
    if (!info.infoFileName.empty()) files.push_back(info.path + info.infoFileName);
    return files;
}

bool isOneOf(const std::string& output, const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        std::error_code ec;
        if (std::filesystem::equivalent(output, file, ec) && !ec) return true;
    }
    return false;
}

} // namespace notecast
