#include "frontend/TuneInfoPrinter.h"

#include "tune/SidTuneInfo.h"

#include <iomanip>
#include <ostream>

namespace notecast {

namespace {

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

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
    }
}

} // namespace notecast
