#pragma once
// Register traces of real tunes recorded with an independent emulator: a
// head line, then per play call the frame number and, in hex, per voice
// freq, pw, ctrl, ad, sr, then $D417 and $D418 & $7F.
#include "convert/ConversionRecords.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace notecast::test {

using TraceRow = std::array<std::uint32_t, 17>;

inline std::vector<TraceRow> readTrace(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<TraceRow> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::vector<std::uint32_t> values;
        for (std::string cell; std::getline(cells, cell, ',');)
            values.push_back(static_cast<std::uint32_t>(std::stoul(cell, nullptr, 16)));
        if (values.size() != 18) continue;
        TraceRow& r = rows.emplace_back();
        std::copy(values.begin() + 1, values.end(), r.begin());  // after the frame number
    }
    return rows;
}

// What a captured frame says in the trace's terms.
inline TraceRow traceRowOf(const FrameSnapshot& f) {
    const auto reg = [&](int i) { return static_cast<std::uint32_t>(f.sidRegisters[static_cast<std::size_t>(i)]); };
    TraceRow r;
    for (int v = 0; v < 3; ++v) {
        const int b = 7 * v;
        const std::size_t k = 5 * static_cast<std::size_t>(v);
        r[k] = reg(b) | reg(b + 1) << 8;
        r[k + 1] = (reg(b + 2) | reg(b + 3) << 8) & 0xFFF;
        for (int i = 2; i < 5; ++i) r[k + static_cast<std::size_t>(i)] = reg(b + 2 + i);
    }
    r[15] = reg(0x17);
    r[16] = reg(0x18) & 0x7F;
    return r;
}

} // namespace notecast::test
