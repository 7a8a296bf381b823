#include "support/MidiListing.h"

#include "support/TestSupport.h"

#include <cstdio>

namespace notecast::test {

namespace {

std::string hex(const std::vector<std::uint8_t>& f, std::size_t from, std::size_t to) {
    std::string s;
    char buf[4];
    for (std::size_t i = from; i < to && i < f.size(); ++i) {
        std::snprintf(buf, sizeof buf, i == from ? "%02X" : " %02X", f[i]);
        s += buf;
    }
    return s;
}

} // namespace

std::vector<std::string> midiListing(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> f = readFile(file);
    if (f.size() < 22) return {"BAD file of " + std::to_string(f.size()) + " bytes"};
    std::vector<std::string> out{"MThd " + hex(f, 4, 14), "MTrk " + hex(f, 18, 22)};
    const std::size_t declared = (std::size_t{f[18]} << 24) | (f[19] << 16) | (f[20] << 8) | f[21];
    if (declared != f.size() - 22)
        out.push_back("BAD track length, " + std::to_string(f.size() - 22) + " bytes present");
    std::size_t pos = 22;
    const std::size_t n = f.size();
    while (pos < n) {
        const std::size_t start = pos;
        while (pos < n && (f[pos] & 0x80) != 0 && pos - start < 3) ++pos;  // delta
        const std::size_t s = pos + 1;  // status byte
        std::size_t end = n + 1;        // one past the event
        std::size_t shown = 0;          // bytes shown in hex, the rest as text
        if (s < n && f[s] == 0xFF && s + 2 < n && f[s + 2] < 0x80) {
            end = s + 3 + f[s + 2];  // the writer's lengths take one byte
            shown = f[s + 1] >= 1 && f[s + 1] <= 7 ? s + 3 : end;
        } else if (s < n && f[s] >= 0x80 && f[s] < 0xF0) {
            end = shown = s + ((f[s] & 0xF0) == 0xC0 ? 2 : 3);
        }
        if (end > n) {
            out.push_back("BAD event: " + hex(f, start, n));
            break;
        }
        std::string line = hex(f, start, s) + " | " + hex(f, s, shown);
        if (shown < end)
            line += " \"" + std::string(f.begin() + static_cast<long>(shown),
                                        f.begin() + static_cast<long>(end)) + "\"";
        out.push_back(line);
        pos = end;
    }
    return out;
}

std::vector<std::string> midiBody(const std::vector<std::string>& listing) {
    std::vector<std::string> body;
    for (std::size_t i = 6; i < listing.size(); ++i) {
        const std::string& line = listing[i];
        // Program 87 and the pitch-bend sensitivity RPN of the channel set-up.
        const bool setup = line.starts_with("00 | C") ||
                           (line.starts_with("00 | B") && line.size() == 13 &&
                            (line.compare(8, 3, "65 ") == 0 || line.compare(8, 3, "64 ") == 0 ||
                             line.compare(8, 3, "06 ") == 0));
        if (!setup) body.push_back(line);
    }
    return body;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

} // namespace notecast::test
