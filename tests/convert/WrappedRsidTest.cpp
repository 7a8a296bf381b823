// Interrupt-driven versions of the traced tunes: a wrapper calls each tune's
// own init routine and drives its play routine from a real interrupt (CIA 1
// through $0314, the raster, a CIA 2 NMI, the hardware vector with the ROMs
// banked out, an init that never returns). One snapshot per handler run must
// give the register sequence of the tune's trace, as the text dump shows it.
#include "convert/ConvertRun.h"
#include "convert/FrameReplay.h"
#include "convert/TraceRows.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>

namespace notecast {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFrames = 2900;
// Frames by which the sequences may be shifted: the first interrupt may come
// a few frames late, and a play routine whose first calls write nothing is
// not known as one until it does (those calls make no frames).
constexpr int kShift = 3;
// This wrapper banks the KERNAL out for its hardware vector, but the tune's
// own play routine ends by switching it back in ($01 = $37): from the second
// interrupt on, the vector leads to the system's handler, as it would on a
// real C64, and the music stops.
constexpr const char* kCannotWork = "Last_Ninja.hwvec.sid";
constexpr std::size_t kHeaderLines = 17;
// The dump's register-to-Hz factor (register / 17.02).
constexpr double kRegisterToHz = 0.05875440658049354;

using Fields = std::array<std::string, 14>;

// The register columns of one dump line: per voice Freq, PW, WF and ADSR,
// then the filter type and voices and the resonance (the traces hold no
// cut-off).
Fields registerColumns(const std::string& line) {
    Fields f;
    if (line.size() < 107) return f;
    for (std::size_t v = 0; v < 3; ++v) {
        std::istringstream in(line.substr(10 + 28 * v + 6, 17));
        for (std::size_t k = 0; k < 4; ++k) in >> f[4 * v + k];
    }
    f[12] = line.substr(94, 7);
    f[13] = line.substr(106, 1);
    return f;
}

// The same columns from a trace row, the frequencies after the hard-sync rule.
Fields expectedColumns(const test::TraceRow& row) {
    emu::SidVoice voices[3];
    for (int v = 0; v < 3; ++v) {
        voices[v].frequencyRegister = row[5 * v];
        voices[v].control = static_cast<std::uint8_t>(row[5 * v + 2]);
    }
    applySync(voices);
    char text[64];
    std::string columns;
    for (int v = 0; v < 3; ++v) {
        std::snprintf(text, sizeof text, "%u %u %02x %02x%02x ",
                      static_cast<unsigned>(voices[v].frequencyRegister * kRegisterToHz), row[5 * v + 1] & 0xFFF,
                      row[5 * v + 2] & 0xFE, row[5 * v + 3], row[5 * v + 4]);
        columns += text;
    }
    Fields f;
    std::istringstream in(columns);
    for (std::size_t k = 0; k < 12; ++k) in >> f[k];
    const unsigned d417 = row[15], mode = row[16];
    std::snprintf(text, sizeof text, "%c%c%c %c%c%c", mode & 0x10 ? 'L' : '_', mode & 0x20 ? 'B' : '_',
                  mode & 0x40 ? 'H' : '_', d417 & 1 ? '1' : '_', d417 & 2 ? '2' : '_', d417 & 4 ? '3' : '_');
    f[12] = text;
    std::snprintf(text, sizeof text, "%x", d417 >> 4);
    f[13] = text;
    return f;
}

TEST(WrappedRsid, EveryInterruptKindGivesTheTracedRegisters) {
    const fs::path index = test::sharedFile("rsid-wrapped/index.csv");
    NOTECAST_REQUIRE_SHARED(index);
    const fs::path out = test::scratchDir("wrapped-rsid") / "dump.txt";
    std::ifstream list(index);
    std::string entry;
    std::getline(list, entry);
    int files = 0;
    while (std::getline(list, entry)) {
        const std::string file = entry.substr(0, entry.find(','));
        const std::string psid = entry.substr(file.size() + 1, entry.find(',', file.size() + 1) - file.size() - 1);
        const fs::path trace = test::sharedFile("traces/" + psid.substr(0, psid.size() - 4) + ".csv");
        if (trace.empty() || file == kCannotWork) continue;
        SCOPED_TRACE(file);
        std::vector<Fields> expected;
        for (const test::TraceRow& row : test::readTrace(trace)) expected.push_back(expectedColumns(row));
        ASSERT_GE(expected.size(), kFrames);

        SidTune tune(test::sharedFile("rsid-wrapped/" + file).string().c_str());
        ASSERT_TRUE(tune.status()) << tune.getInfo().statusText;
        ASSERT_TRUE(tune.getInfo().interruptDriven);
        Converter converter;
        test::convertSong(converter, tune, test::settingsFor(OutputMode::Text, 60), out,
                          tune.getInfo().startSong);
        EXPECT_TRUE(converter.machineWarnings().empty());
        const std::vector<std::string> lines = test::fileLines(out);
        std::vector<Fields> got;
        for (std::size_t i = kHeaderLines; i < lines.size(); ++i) got.push_back(registerColumns(lines[i]));
        ASSERT_GE(got.size(), kFrames + kShift);

        // Before the tune first writes a register, each side shows its own
        // start value: ours the SID after the reset, the trace's whatever
        // its emulator (which has no I/O area) found at $D400.
        const Fields ourStart = expectedColumns(test::TraceRow{});
        std::size_t best = 0;
        int bestShift = 0;
        for (int shift = -kShift; shift <= kShift; ++shift) {
            std::size_t same = 0;
            std::array<bool, 14> written{};
            for (std::size_t i = kShift; i < kFrames; ++i) {
                const Fields& ours = got[i + static_cast<std::size_t>(shift)];
                bool agree = true;
                for (std::size_t k = 0; k < ours.size(); ++k) {
                    written[k] = written[k] || ours[k] != ourStart[k] || expected[i][k] != expected[0][k];
                    agree = agree && (!written[k] || ours[k] == expected[i][k]);
                }
                same += agree;
            }
            if (same > best) best = same, bestShift = shift;
        }
        EXPECT_GE(best * 100, kFrames * 99) << best << " of " << kFrames << " frames agree (shifted by "
                                            << bestShift << ")";
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace
} // namespace notecast
