#include "frontend/ConverterSettings.h"
#include "frontend/SettingsEcho.h"
#include "frontend/TuneInfoPrinter.h"
#include "tune/SidTuneInfo.h"

#include <gtest/gtest.h>

#include <sstream>

namespace notecast {
namespace {

TEST(SettingsEcho, TextModeLinesEndWithAnOpenLabel) {
    ConverterSettings s;
    s.outputMode = 1;
    s.timeFormat = 0;
    s.englishNotes = true;
    s.hideFrequency = true;
    s.frequencyChangeLimit = 0;
    s.envelopeEmulation = true;
    std::ostringstream out;
    echoSettings(out, s);
    EXPECT_EQ(out.str(),
              "Settings     : Generate simplified ASCII text output.\n"
              "             : Use Cakewalk time representation (min:sec.frm).\n"
              "             : Use English note representation.\n"
              "             : Don't display frequency values.\n"
              "             : Don't convert continuous frequency changes.\n"
              "             : Optimize note lengths by SID ADSR-envelope emulation.\n"
              "             : ");
}

TEST(TuneInfo, DescriptionLinesAndAddresses) {
    SidTuneInfo info;
    const char* lines[] = {"first", "second"};
    info.formatText = "Raw plus TUNEBOX ASCII text file (SID)";
    info.infoLineCount = 2;
    info.infoLines[0] = lines[0];
    info.infoLines[1] = lines[1];
    info.loadAddress = 0x0400;
    info.initAddress = 0xC000;
    info.playAddress = 0;
    std::ostringstream out;
    printTuneInfo(out, info, true);
    out << 255;  // decimal again afterwards
    EXPECT_EQ(out.str(),
              "File format  : Raw plus TUNEBOX ASCII text file (SID)\n"
              "Description  : first\n"
              "Description  : second\n"
              "Addresses    : $0400, $c000, $0\n"
              "255");

    info.infoLineCount = 0;
    std::ostringstream none;
    printTuneInfo(none, info, false);
    EXPECT_EQ(none.str(), "");
}

} // namespace
} // namespace notecast
