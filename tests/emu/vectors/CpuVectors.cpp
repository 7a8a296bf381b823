// notecast-cpu-vectors PATH...
//
// Reads single-instruction CPU vectors (one case per line:
//   NAME | pc=HHHH s=HH a=HH x=HH y=HH p=HH | AAAA:VV ... | final registers | final RAM)
// from the files given, or from every .txt file in a folder given, runs each
// case for exactly one instruction on plain 64 KB RAM, in both run models of
// the CPU (the routine call and the whole machine), prints every failing
// case and finally "N passed, M failed". Where a folder `cycles` beside a
// vector file holds a file of the same name (one count a line, a line per
// case), the machine model's cycle count must match too. Exit code 0 when
// nothing failed, 1 otherwise; with --skip-missing, 77 when a path is absent
// or no case was found.
#include "emu/C64.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace notecast::emu;

namespace {

// pc, s, a, x, y, p in the order the vectors write them.
using Registers = std::array<unsigned, 6>;
constexpr const char* kRegisterNames[6] = {"pc", "s", "a", "x", "y", "p"};
using Ram = std::vector<std::pair<std::uint16_t, std::uint8_t>>;

struct Case {
    std::string name;
    Registers before{}, after{};
    Ram ramBefore, ramAfter;
};

bool parseHex(const std::string& s, unsigned maxValue, unsigned& v) {
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    return !s.empty() && s.size() <= 4 && error == std::errc() && end == s.data() + s.size() && v <= maxValue;
}

// "pc=HHHH s=HH ...": all six, each once, in any order.
bool parseRegisters(const std::string& field, Registers& r) {
    std::istringstream in(field);
    unsigned seen = 0;
    for (std::string token; in >> token;) {
        const auto eq = token.find('=');
        const auto name = std::find(std::begin(kRegisterNames), std::end(kRegisterNames), token.substr(0, eq));
        const auto k = static_cast<std::size_t>(name - std::begin(kRegisterNames));
        if (eq == std::string::npos || k == 6 || !parseHex(token.substr(eq + 1), k == 0 ? 0xFFFF : 0xFF, r[k]))
            return false;
        seen |= 1u << k;
    }
    return seen == 0x3F;
}

// "AAAA:VV ...".
bool parseRam(const std::string& field, Ram& out) {
    std::istringstream in(field);
    for (std::string token; in >> token;) {
        const auto colon = token.find(':');
        unsigned address = 0, value = 0;
        if (colon == std::string::npos || !parseHex(token.substr(0, colon), 0xFFFF, address) ||
            !parseHex(token.substr(colon + 1), 0xFF, value))
            return false;
        out.emplace_back(static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(value));
    }
    return true;
}

bool parseCase(const std::string& line, Case& c) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '|');) fields.push_back(field);
    if (fields.size() != 5) return false;
    std::istringstream name(fields[0]);
    std::getline(name >> std::ws, c.name);
    return parseRegisters(fields[1], c.before) && parseRam(fields[2], c.ramBefore) &&
           parseRegisters(fields[3], c.after) && parseRam(fields[4], c.ramAfter);
}

// Plain RAM behind every data access: no ROM, no I/O, no SID window.
std::uint8_t plainRead(C64& m, std::uint16_t address) { return m.ram[address]; }
void plainWrite(C64& m, std::uint16_t address, std::uint8_t value) { m.ram[address] = value; }

std::string hex(unsigned v, int digits) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%0*x", digits, v);
    return buf;
}

std::string describe(const Registers& r) {
    std::string out;
    for (std::size_t k = 0; k < 6; ++k) out += std::string(k ? " " : "") + kRegisterNames[k] + "=" + hex(r[k], k ? 2 : 4);
    return out;
}

// Runs one case in one run model; returns an empty string when it passes,
// else what differed. `cycles` < 0: no count to check.
std::string runCase(C64& m, const Case& c, bool machine, long cycles) {
    std::memset(m.ram, 0, sizeof m.ram);
    for (const auto& [address, value] : c.ramBefore) m.ram[address] = value;
    const auto& [pc, s, a, x, y, p] = c.before;
    m.cpu.pc = static_cast<std::uint16_t>(pc);
    m.cpu.a = static_cast<std::uint8_t>(a);
    m.cpu.x = static_cast<std::uint8_t>(x);
    m.cpu.y = static_cast<std::uint8_t>(y);
    m.cpu.sp = static_cast<std::uint16_t>(0x0100 + s);
    // This CPU keeps B in its status register and pushes it as stored; the
    // reference always pushes it set.
    m.cpu.sr = static_cast<std::uint8_t>(p | 0x10);
    m.cpu.stackInRange = true;
    m.cycles = 0;
    const std::uint32_t took = machine ? m.stepMachine() : (m.execute(1), 0u);

    Registers got{m.cpu.pc, m.cpu.sp & 0xFFu, m.cpu.a, m.cpu.x, m.cpu.y, m.cpu.sr & 0xCFu};
    Registers want = c.after;
    want[5] &= 0xCFu;  // B and the unused bit are not compared
    std::string diff;
    if (got != want) diff += "  registers: want " + describe(want) + "\n             got  " + describe(got) + "\n";
    for (const auto& [address, value] : c.ramAfter)
        if (m.ram[address] != value)
            diff += "  ram " + hex(address, 4) + ": want " + hex(value, 2) + " got " + hex(m.ram[address], 2) + "\n";
    if (machine && cycles >= 0 && took != static_cast<unsigned long>(cycles))
        diff += "  cycles: want " + std::to_string(cycles) + " got " + std::to_string(took) + "\n";
    return diff.empty() ? diff : (machine ? "  (whole machine)\n" : "  (routine call)\n") + diff;
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t\r\n") == std::string::npos; }

} // namespace

int main(int argc, char** argv) {
    bool skipMissing = false, missing = false;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::error_code ec;
        if (arg == "--skip-missing") {
            skipMissing = true;
        } else if (fs::is_directory(arg, ec)) {
            std::vector<fs::path> found;
            for (const auto& entry : fs::directory_iterator(arg, ec))
                if (entry.is_regular_file(ec) && entry.path().extension() == ".txt") found.push_back(entry.path());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(arg, ec)) {
            files.push_back(arg);
        } else {
            std::cerr << "not found: " << arg << '\n';
            missing = true;
        }
    }
    if (argc < 2 || (files.empty() && !missing)) {
        if (skipMissing && argc >= 2) return 77;
        std::cerr << "usage: notecast-cpu-vectors [--skip-missing] PATH...\n";
        return 2;
    }
    if (missing && skipMissing) return 77;

    // The memory mode without ROM supplies the jump handlers; the data
    // accesses get plain RAM.
    auto machine = std::make_unique<C64>();
    machine->installMemoryMode(MemoryMode::Romless);
    machine->readData = plainRead;
    machine->writeData = plainWrite;

    unsigned passed = 0, failed = 0, cyclesChecked = 0;
    for (const fs::path& file : files) {
        std::vector<long> counts;
        std::ifstream countFile(file.parent_path() / "cycles" / file.filename());
        for (std::string line; std::getline(countFile, line);)
            if (!blank(line)) counts.push_back(std::strtol(line.c_str(), nullptr, 10));
        std::ifstream in(file);
        unsigned lineNumber = 0, caseNumber = 0;
        for (std::string line; std::getline(in, line);) {
            ++lineNumber;
            if (blank(line) || line[line.find_first_not_of(" \t")] == '#') continue;
            const long cycles = caseNumber < counts.size() ? counts[caseNumber] : -1;
            ++caseNumber;
            cyclesChecked += cycles >= 0;
            const std::string where = file.filename().string() + ':' + std::to_string(lineNumber) + ": ";
            Case c;
            const bool parsed = parseCase(line, c);
            const std::string diff = parsed ? runCase(*machine, c, false, -1) + runCase(*machine, c, true, cycles) : "";
            if (parsed && diff.empty()) {
                ++passed;
                continue;
            }
            ++failed;
            std::cout << where << (parsed ? c.name + "\n  from " + describe(c.before) + "\n" + diff : "malformed case\n");
        }
        if (!counts.empty() && counts.size() != caseNumber) {
            std::cout << file.filename().string() << ": " << counts.size() << " cycle counts for " << caseNumber
                      << " cases\n";
            ++failed;
        }
    }
    if (passed + failed == 0 && skipMissing) return 77;
    if (cyclesChecked == 0) std::cout << "no cycle counts found beside the vectors\n";
    std::cout << passed << " passed, " << failed << " failed\n";
    return failed == 0 && !missing ? 0 : 1;
}
