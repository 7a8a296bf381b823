#pragma once
// Register traces of real tunes recorded with an independent emulator: a
// head line, then per play call the frame number and, in hex, per voice
// freq, pw, ctrl, ad, sr, then $D417 and $D418 & $7F.
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

} // namespace notecast::test
