#include "frontend/TuneInfoPrinter.h"

#include "tune/SidTuneInfo.h"

#include <iomanip>
#include <ostream>

namespace notecast {

namespace {

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

const char* modelName(std::uint8_t model) {
    static const char* const kNames[4] = {"unknown model", "6581", "8580", "6581 or 8580"};
    return kNames[model & 3u];
}

// "$D400 (6581), $D420 (8580)": every chip of a tune for more than one, a
// further chip of unstated model being the first one's.
void printChips(std::ostream& out, const SidTuneInfo& info) {
    out << "SID chips    : $D400 (" << modelName(info.sidModel) << ")";
    const std::uint16_t addresses[2] = {info.sid2Address, info.sid3Address};
    const std::uint8_t models[2] = {info.sid2Model, info.sid3Model};
    for (int i = 0; i < 2; ++i) {
        if (addresses[i] == 0) continue;
        out << ", $" << std::uppercase << std::hex << addresses[i] << std::dec << std::nouppercase << " ("
            << modelName(models[i] != 0 ? models[i] : info.sidModel) << ")";
    }
    out << std::endl;
}

} // namespace

void printTuneInfo(std::ostream& out, const SidTuneInfo& info, bool verbose) {
    if (verbose) out << "File format  : " << orEmpty(info.formatText) << std::endl;

    if (info.infoLineCount == 3) {
        out << "Name         : " << orEmpty(info.titleText) << std::endl;
        out << "Author       : " << orEmpty(info.authorText) << std::endl;
        out << "Copyright    : " << orEmpty(info.copyrightText) << std::endl;
    } else {
        constexpr std::size_t kSlots = sizeof info.infoLines / sizeof info.infoLines[0];
        for (std::size_t i = 0; i < info.infoLineCount && i < kSlots; ++i) {
            out << "Description  : " << orEmpty(info.infoLines[i]) << std::endl;
        }
    }

    if (verbose) {
        const auto flags = out.flags();
        const auto fill = out.fill();
        out << std::hex << std::nouppercase << "Addresses    : $" << std::setfill('0') << std::setw(4)
            << info.loadAddress << ", $" << info.initAddress << ", $" << info.playAddress << std::endl;
        out.flags(flags);
        out.fill(fill);
        if (info.sid2Address != 0) {
            printChips(out, info);
            out.flags(flags);
        }
    }
}

} // namespace notecast
