#pragma once
// Whole conversions in the convert tests: an interrupt-driven tune built
// around test code, a run into a file, and that file's lines.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace notecast::test {

// An RSID whose data loads at `load` (the address embedded in front of it);
// init starts there, play is 0. `pad` fills the data up to that length.
inline std::vector<std::uint8_t> rsidFile(std::vector<std::uint8_t> code, std::uint16_t load = 0x1000,
                                          std::uint16_t version = 2, std::size_t pad = 0) {
    if (code.size() < pad) code.resize(pad, 0xEA);
    PsidBuilder b{.version = version, .load = load, .init = 0, .play = 0, .embedLoadAddress = true, .code = code};
    std::vector<std::uint8_t> file = b.build();
    file[0] = 'R';
    return file;
}

inline ConverterSettings settingsFor(OutputMode mode, std::uint32_t seconds) {
    ConverterSettings settings;
    settings.outputMode = mode;
    settings.playSeconds = seconds;
    return settings;
}

// Configures `converter` with `settings`, initialises `song` and converts it into `out`.
inline void convertSong(Converter& converter, SidTune& tune, const ConverterSettings& settings,
                        const std::filesystem::path& out, int song = 1) {
    converter.configure(settings);
    converter.initSong(tune, song);
    converter.run(out.string(), true, nullptr);
}

inline std::vector<std::string> fileLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

} // namespace notecast::test
