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
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace notecast::emu;

namespace {

struct Registers {
    unsigned pc = 0, s = 0, a = 0, x = 0, y = 0, p = 0;
};

struct Poke {
    std::uint16_t address;
    std::uint8_t value;
};

struct Case {
    std::string name;
    Registers before, after;
    std::vector<Poke> ramBefore, ramAfter;
};

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::optional<unsigned> parseHex(const std::string& s, unsigned maxValue) {
    if (s.empty() || s.size() > 4) return std::nullopt;
    unsigned v = 0;
    for (char ch : s) {
        int d;
        if (ch >= '0' && ch <= '9') d = ch - '0';
        else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        else return std::nullopt;
        v = v * 16 + static_cast<unsigned>(d);
    }
    if (v > maxValue) return std::nullopt;
    return v;
}

bool parseRegisters(const std::string& field, Registers& r) {
    std::istringstream in(field);
    std::string token;
    int seen = 0;
    while (in >> token) {
        const auto eq = token.find('=');
        if (eq == std::string::npos) return false;
        const std::string key = token.substr(0, eq);
        const bool wide = key == "pc";
        const auto v = parseHex(token.substr(eq + 1), wide ? 0xFFFF : 0xFF);
        if (!v) return false;
        unsigned* slot = key == "pc" ? &r.pc : key == "s" ? &r.s : key == "a" ? &r.a
                       : key == "x" ? &r.x : key == "y" ? &r.y : key == "p" ? &r.p : nullptr;
        if (!slot) return false;
        *slot = *v;
        ++seen;
    }
    return seen == 6;
}

bool parseRam(const std::string& field, std::vector<Poke>& out) {
    std::istringstream in(field);
    std::string token;
    while (in >> token) {
        const auto colon = token.find(':');
        if (colon == std::string::npos) return false;
        const auto address = parseHex(token.substr(0, colon), 0xFFFF);
        const auto value = parseHex(token.substr(colon + 1), 0xFF);
        if (!address || !value) return false;
        out.push_back({static_cast<std::uint16_t>(*address), static_cast<std::uint8_t>(*value)});
    }
    return true;
}

bool parseCase(const std::string& line, Case& c) {
    std::vector<std::string> fields;
    std::string::size_type from = 0;
    for (;;) {
        const auto bar = line.find('|', from);
        fields.push_back(trim(line.substr(from, bar == std::string::npos ? std::string::npos : bar - from)));
        if (bar == std::string::npos) break;
        from = bar + 1;
    }
    if (fields.size() != 5) return false;
    c.name = fields[0];
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
    return "pc=" + hex(r.pc, 4) + " s=" + hex(r.s, 2) + " a=" + hex(r.a, 2) + " x=" + hex(r.x, 2) +
           " y=" + hex(r.y, 2) + " p=" + hex(r.p, 2);
}

// Runs one case in one run model; returns an empty string when it passes,
// else what differed. `cycles` < 0: no count to check.
std::string runCase(C64& m, const Case& c, bool machine, long cycles) {
    std::memset(m.ram, 0, sizeof m.ram);
    for (const Poke& p : c.ramBefore) m.ram[p.address] = p.value;
    m.cpu.pc = static_cast<std::uint16_t>(c.before.pc);
    m.cpu.a = static_cast<std::uint8_t>(c.before.a);
    m.cpu.x = static_cast<std::uint8_t>(c.before.x);
    m.cpu.y = static_cast<std::uint8_t>(c.before.y);
    m.cpu.sp = static_cast<std::uint16_t>(0x0100 + c.before.s);
    // This CPU keeps B in its status register and pushes it as stored; the
    // reference always pushes it set.
    m.cpu.sr = static_cast<std::uint8_t>(c.before.p | 0x10);
    m.cpu.stackInRange = true;
    m.cycles = 0;
    const std::uint32_t took = machine ? m.stepMachine() : (m.execute(1), 0u);

    const Registers got{m.cpu.pc, m.cpu.sp & 0xFFu, m.cpu.a, m.cpu.x, m.cpu.y, m.cpu.sr};
    std::string diff;
    const Registers& want = c.after;
    if (got.pc != want.pc || got.s != want.s || got.a != want.a || got.x != want.x ||
        got.y != want.y || (got.p & 0xCFu) != (want.p & 0xCFu))
        diff += "  registers: want " + describe(want) + "\n             got  " + describe(got) + "\n";
    for (const Poke& p : c.ramAfter) {
        if (m.ram[p.address] != p.value)
            diff += "  ram " + hex(p.address, 4) + ": want " + hex(p.value, 2) + " got " +
                    hex(m.ram[p.address], 2) + "\n";
    }
    if (machine && cycles >= 0 && took != static_cast<unsigned long>(cycles))
        diff += "  cycles: want " + std::to_string(cycles) + " got " + std::to_string(took) + "\n";
    return diff.empty() ? diff : (machine ? "  (whole machine)\n" : "  (routine call)\n") + diff;
}

} // namespace

int main(int argc, char** argv) {
    bool skipMissing = false;
    std::vector<fs::path> files;
    bool missing = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--skip-missing") {
            skipMissing = true;
            continue;
        }
        std::error_code ec;
        const fs::path path(arg);
        if (fs::is_directory(path, ec)) {
            std::vector<fs::path> found;
            for (const auto& entry : fs::directory_iterator(path, ec))
                if (entry.is_regular_file(ec) && entry.path().extension() == ".txt") found.push_back(entry.path());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(path, ec)) {
            files.push_back(path);
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
        std::ifstream in(file);
        std::vector<long> counts;
        std::ifstream countFile(file.parent_path() / "cycles" / file.filename());
        for (std::string line; std::getline(countFile, line);)
            if (!trim(line).empty()) counts.push_back(std::strtol(line.c_str(), nullptr, 10));
        std::string line;
        unsigned lineNumber = 0, caseNumber = 0;
        while (std::getline(in, line)) {
            ++lineNumber;
            if (trim(line).empty() || trim(line)[0] == '#') continue;
            const long cycles = caseNumber < counts.size() ? counts[caseNumber] : -1;
            ++caseNumber;
            if (cycles >= 0) ++cyclesChecked;
            Case c;
            if (!parseCase(line, c)) {
                std::cout << file.filename().string() << ':' << lineNumber << ": malformed case\n";
                ++failed;
                continue;
            }
            const std::string diff = runCase(*machine, c, false, -1) + runCase(*machine, c, true, cycles);
            if (diff.empty()) {
                ++passed;
            } else {
                std::cout << file.filename().string() << ':' << lineNumber << ": " << c.name << "\n  from "
                          << describe(c.before) << '\n' << diff;
                ++failed;
            }
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
