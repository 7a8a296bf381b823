// Hostile input, end to end: real and synthetic inputs damaged on purpose, loaded
// every way they can be named and, where they load, converted for a second or two.
// Nothing may crash or read out of bounds (the sanitizer build watches), every
// conversion ends, and what it writes is well-formed. Seeded, so a failure repeats;
// NOTECAST_HOSTILE_SEED and NOTECAST_HOSTILE_ROUNDS (a multiplier) widen a search.
#include "convert/ConvertRun.h"
#include "emu/Code6510.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// splitmix64: small, and the same sequence on every platform.
struct Rng {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(next() % n); }
    bool chance(std::uint32_t inN) { return below(inN) == 0; }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next()); }
    std::uint16_t word() { return static_cast<std::uint16_t>(next()); }
    template <typename T, std::size_t N> T pick(const T (&values)[N]) { return values[below(N)]; }
};

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

constexpr std::uint8_t kEdgeBytes[] = {0x00, 0x01, 0x02, 0x03, 0x0F, 0x10, 0x1F, 0x20, 0x4F, 0x7C,
                                       0x7E, 0x7F, 0x80, 0xC0, 0xCF, 0xD0, 0xFE, 0xFF};

// Fields worth hitting: the PSID header (version, data offset, addresses, songs,
// speed, flags), the MUS voice lengths; every kind gets its trailer hit (packer).
constexpr std::size_t kPsidFields[] = {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D,
                                       0x0E, 0x0F, 0x10, 0x11, 0x12, 0x15, 0x77, 0x78, 0x79};
constexpr std::size_t kMusFields[] = {0, 1, 2, 3, 4, 5, 6, 7};
// RSID and PSID v3/v4 also: the flags word, the further chips, the load address in the data.
constexpr std::size_t kRsidFields[] = {0x04, 0x05, 0x07, 0x08, 0x0A, 0x0B, 0x0C, 0x0E, 0x0F, 0x11,
                                       0x15, 0x76, 0x77, 0x7A, 0x7B, 0x7C, 0x7D};
using Fields = std::span<const std::size_t>;

void damage(Bytes& bytes, Rng& rng, Fields fields = {}) {
    for (int step = 1 + static_cast<int>(rng.below(4)); step > 0; --step) {
        const std::size_t size = bytes.size();
        const std::uint32_t kind = rng.below(7);
        if (size == 0 && kind != 4) continue;
        switch (kind) {
        case 0:  // bit flips anywhere
            for (int n = 1 + static_cast<int>(rng.below(8)); n > 0; --n) bytes[rng.below(size)] ^= 1 << rng.below(8);
            break;
        case 1:
        case 2:  // a header field set to an edge value
            if (const std::size_t at = fields.empty() ? size : fields[rng.below(fields.size())]; at < size)
                bytes[at] = rng.chance(3) ? rng.byte() : rng.pick(kEdgeBytes);
            break;
        case 3: bytes.resize(rng.below(size + 1)); break;  // cut off
        case 4: for (int n = static_cast<int>(rng.below(64)); n > 0; --n) bytes.push_back(rng.byte()); break;
        case 5: bytes[size - 1 - rng.below(std::min<std::size_t>(size, 4))] = rng.pick(kEdgeBytes); break;
        default:  // a run of random bytes
            for (std::size_t at = rng.below(size), n = rng.below(32); n > 0 && at + n < size; --n)
                bytes[at + n] = rng.byte();
        }
    }
}

using test::stores;
void append(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
std::uint8_t either(Rng& rng, std::uint8_t a, std::uint8_t b) { return rng.chance(2) ? a : b; }

// Random 6510 code biased to what tunes do: SID (sample registers, changing notes and
// the pages further chips lie in included) and CIA writes, banking, stack games,
// jumps and returns; a few never end.
Bytes randomCode(Rng& rng, std::uint16_t origin, std::size_t length) {
    static constexpr std::uint8_t kSidPages[] = {0xD4, 0xD4, 0xD4, 0xD5, 0xDE, 0xDF};
    Bytes code;
    while (code.size() < length) {
        const auto voiceReg = static_cast<std::uint8_t>(rng.below(0x19));
        const auto sampleReg = static_cast<std::uint8_t>(0x1D + rng.below(3) + 0x20 * rng.below(4));  // and mirrors
        switch (rng.below(12)) {
        case 0:
            append(code, {0xA9, rng.byte(), 0x8D,
                          std::uint8_t((rng.chance(2) ? voiceReg : sampleReg) + 0x20 * rng.below(2)), rng.pick(kSidPages)});
            break;
        case 1:  // CIA 1 timer A, long enough that a run that loops stays short
            append(code, stores({{0xDC04, rng.byte()}, {0xDC05, std::uint8_t(0x30 + rng.below(0xD0))}}));
            break;
        case 2: append(code, {0xA9, std::uint8_t(rng.below(8) | (rng.chance(4) ? 0x30 : 0)), 0x85, 0x01}); break;
        case 3: append(code, {either(rng, 0x48, 0x68), 0xA2, rng.byte(), either(rng, 0x9A, 0xEA)}); break;
        case 4: append(code, {either(rng, 0x20, 0x4C), rng.byte(), rng.byte()}); break;
        case 5: append(code, {0x6C, either(rng, 0x14, 0xFE), either(rng, 0x03, 0xFF)}); break;  // through the vectors
        case 6: append(code, {0xA2, rng.byte(), 0xCA, 0xD0, 0xFD}); break;  // a counted loop
        case 7: code.push_back(rng.pick(kEdgeBytes) == 0 ? 0x00 : 0x60); break;  // RTS, now and then BRK
        case 8: append(code, {0xA0, rng.byte(), 0x91, rng.byte(), 0x81, rng.byte()}); break;
        case 9:  // a register that changes on every call: new notes, slides
            rng.chance(2) ? append(code, {0xEE, voiceReg, 0xD4})
                          : append(code, {0xAD, either(rng, 0x1B, 0x1C), 0xD4, 0x8D, voiceReg, 0xD4});
            break;
        case 10:  // now and then a jump to itself: never returns
            if (const auto here = origin + code.size(); rng.chance(8)) {
                append(code, {0x4C, std::uint8_t(here), std::uint8_t(here >> 8)});
                break;
            }
            [[fallthrough]];
        default:
            for (int n = 1 + static_cast<int>(rng.below(6)); n > 0; --n) code.push_back(rng.byte());
        }
    }
    code.resize(length);
    return code;
}

// Init at `origin` sets the CIA timer (short ones mean thousands of
// emulated play calls a second) and returns; play at origin + 11 is random.
Bytes tuneCode(Rng& rng, std::uint16_t origin, std::size_t length) {
    static constexpr std::uint16_t kTimers[] = {0x0000, 0x0001, 0x000F, 0x0010, 0x0011, 0x00FF,
                                                0x0400, 0x3000, 0x4025, 0x4CC7, 0x8000, 0xFFFF};
    const std::uint16_t timer = rng.chance(2) ? static_cast<std::uint16_t>(0x3000 + rng.below(0xD000))
                                : rng.chance(4) ? kTimers[rng.below(7)] : kTimers[7 + rng.below(5)];
    return test::join({stores({{0xDC04, std::uint8_t(timer)}, {0xDC05, std::uint8_t(timer >> 8)}}), {0x60},
                       randomCode(rng, std::uint16_t(origin + 11), std::max<std::size_t>(length, 12) - 11)});
}

Bytes randomPsid(Rng& rng) {
    static constexpr std::uint16_t kLoads[] = {0, 1, 2, 0xFE, 0x100, 0x1F0, 0x314, 0x801, 0x1000, 0x9FFF, 0xA000,
                                               0xCFF0, 0xD000, 0xD400, 0xDFFE, 0xE000, 0xFFF0, 0xFFFE, 0xFFFF};
    static constexpr std::uint16_t kSongs[] = {0, 1, 2, 3, 31, 32, 33, 255, 256, 257, 1000, 0xFFFF};
    test::PsidBuilder psid;
    psid.version = static_cast<std::uint16_t>(rng.below(5));
    psid.embedLoadAddress = rng.chance(3);
    psid.load = rng.chance(4) ? rng.word() : rng.pick(kLoads);
    if (psid.load == 0 && !psid.embedLoadAddress) psid.load = 0x1000;
    // Now and then long enough to wrap through all of memory.
    const std::size_t length = rng.chance(20) ? 0xFF00 + rng.below(0x200) : 1 + rng.below(300);
    psid.code = rng.chance(20) ? randomCode(rng, psid.load, length) : tuneCode(rng, psid.load, length);
    psid.init = rng.chance(6) ? static_cast<std::uint16_t>(rng.chance(2) ? 0 : rng.word()) : psid.load;
    psid.play = static_cast<std::uint16_t>(rng.chance(6) ? (rng.chance(2) ? 0 : rng.word()) : psid.load + 11);
    psid.songs = rng.pick(kSongs);
    psid.startSong = rng.chance(2) ? 1 : rng.pick(kSongs);
    psid.speed = rng.chance(2) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rng.next());
    psid.flags = rng.chance(3) ? rng.byte() : static_cast<std::uint8_t>(rng.below(4) << 2);
    for (std::string* text : {&psid.name, &psid.author, &psid.copyright})
        for (std::uint32_t n = (text->clear(), rng.below(40)); n > 0; --n) text->push_back(char(rng.byte()));
    Bytes bytes = psid.build();
    if (psid.version >= 3) {  // further chips, valid or not
        static constexpr std::uint8_t kChips[] = {0x42, 0x44, 0x50, 0x60, 0xE0, 0xF0, 0xFE};
        bytes[0x7A] = rng.chance(4) ? rng.pick(kEdgeBytes) : rng.pick(kChips);
        bytes[0x7B] = rng.chance(4) ? rng.pick(kEdgeBytes) : rng.pick(kChips);
    }
    if (rng.chance(4)) damage(bytes, rng, kPsidFields);
    return bytes;
}

// An RSID whose init installs random handlers for random interrupt sources: CIA 1
// or 2 timers (down to a cycle apart, timer B counting A), the raster, through the
// KERNAL vectors or, with the ROMs banked out, the hardware ones; it returns, loops
// or runs on into random code. Handlers acknowledge or not, and end with RTI, in
// the system's handler ends, or never. Headers get random versions, flags and chips.
Bytes randomRsid(Rng& rng) {
    constexpr std::uint16_t kLoad = 0x0900, kHandler = 0x0A00;
    const bool hardware = rng.chance(3), nmi = rng.chance(3);
    const std::uint16_t vector = nmi ? (hardware ? 0xFFFA : 0x0318) : (hardware ? 0xFFFE : 0x0314);
    Bytes init = {0x78};
    if (hardware) append(init, {0xA9, 0x35, 0x85, 0x01});
    append(init, stores({{vector, std::uint8_t(kHandler)}, {std::uint16_t(vector + 1), std::uint8_t(kHandler >> 8)}}));
    const std::uint16_t cia = nmi ? 0xDD00 : 0xDC00;
    if (!nmi && rng.chance(3)) {  // raster, CIA 1 off
        append(init, stores({{0xDC0D, 0x7F}, {0xD012, rng.byte()}, {0xD011, std::uint8_t(rng.chance(2) ? 0x1B : 0x9B)},
                             {0xD01A, 0x01}}));
    } else {
        const std::uint16_t timer = rng.chance(3) ? std::uint16_t(rng.below(40)) : rng.word();
        const auto at = [cia](unsigned r) { return static_cast<std::uint16_t>(cia + r); };
        append(init, stores({{at(4), std::uint8_t(timer)}, {at(5), std::uint8_t(timer >> 8)},
                             {at(6), std::uint8_t(rng.below(4))}, {at(7), 0x00},
                             {at(13), std::uint8_t(rng.chance(2) ? 0x81 : 0x83)},
                             {at(14), std::uint8_t(rng.chance(4) ? 0x19 : 0x11)},
                             {at(15), std::uint8_t(rng.chance(2) ? 0x51 : 0x00)}}));
    }
    init.push_back(0x58);
    const auto here = static_cast<std::uint16_t>(kLoad + init.size());
    switch (rng.below(3)) {
    case 0: init.push_back(0x60); break;
    case 1: append(init, {0x4C, std::uint8_t(here), std::uint8_t(here >> 8)}); break;
    default: append(init, randomCode(rng, here, 40));
    }
    init.resize(kHandler - kLoad, 0xEA);
    Bytes handler = randomCode(rng, kHandler, rng.below(60));
    if (!rng.chance(3)) append(handler, {0xAD, 0x0D, std::uint8_t(cia >> 8), 0xEE, 0x19, 0xD0});  // acknowledge
    static constexpr std::uint8_t kEnds[][3] = {{0x40, 0xEA, 0xEA}, {0x4C, 0x31, 0xEA}, {0x4C, 0x81, 0xEA},
                                                {0x4C, 0xBC, 0xFE}, {0x4C, 0x00, 0x0A}};
    const auto& end = kEnds[rng.below(5)];
    handler.insert(handler.end(), end, end + 3);
    append(init, handler);
    Bytes f = test::rsidFile(init, kLoad, std::uint16_t(rng.chance(8) ? rng.below(6) : 2 + rng.below(3)));
    if (rng.chance(10)) f[0x0A] = rng.byte(), f[0x0B] = rng.byte();  // init, now and then not 0
    f[0x0F] = static_cast<std::uint8_t>(1 + rng.below(3));  // songs
    f[0x76] = rng.chance(4) ? rng.byte() : 0;
    f[0x77] = rng.chance(6) ? rng.byte() : static_cast<std::uint8_t>(rng.below(4) << 2);
    f[0x7A] = rng.chance(2) ? rng.pick(kEdgeBytes) : std::uint8_t(0x42);
    f[0x7B] = rng.pick(kEdgeBytes);
    if (rng.chance(4)) damage(f, rng, kRsidFields);
    return f;
}

// Three voices of random bytes, each ended by the halt pair, then random text.
Bytes randomMus(Rng& rng) {
    Bytes file = {0x00, 0x09, 0, 0, 0, 0, 0, 0};
    for (int v = 0; v < 3; ++v) {
        const std::size_t start = file.size();
        for (std::uint32_t n = rng.below(120); n > 0; --n) file.push_back(rng.byte());
        append(file, {0x01, 0x4F});
        file[2 + 2 * v] = static_cast<std::uint8_t>(file.size() - start);
        file[3 + 2 * v] = static_cast<std::uint8_t>((file.size() - start) >> 8);
    }
    for (std::uint32_t n = rng.below(200); n > 0; --n) file.push_back(rng.chance(8) ? 0x0D : rng.byte());
    if (rng.chance(3)) damage(file, rng, kMusFields);
    return file;
}

std::string hex(std::uint32_t value) { return (std::ostringstream() << std::hex << value).str(); }

// Info keys with random values; the text form also gets the malformed ones after seven.
std::vector<std::string> infoKeys(Rng& rng) {
    const auto maybe = [&](std::uint32_t fallback) { return hex(rng.chance(4) ? rng.word() : fallback); };
    return {"ADDRESS=" + hex(rng.chance(3) ? 0 : 0x1000) + "," + maybe(0x1000) + "," + maybe(0x100B),
            "SONGS=" + std::to_string(rng.chance(2) ? rng.below(4) : rng.next() % 100000) + "," +
                std::to_string(rng.below(rng.chance(2) ? 5 : 300)),
            "SPEED=" + hex(static_cast<std::uint32_t>(rng.next())),
            "NAME=" + std::string(rng.below(120), 'N'), "AUTHOR= x y z",
            "COPYRIGHT=" + std::string(rng.below(90), '\xA9'), "SIDSONG=YES",
            "ADDRESS=" + hex(rng.word()), "  s o n g s = 2 , 1", "ADDRESS=", "=", std::string(rng.below(200), 'x')};
}

// A TUNEBOX text: keys lost, doubled, junk between, all line ends, now and then a NUL.
Bytes randomTextInfo(Rng& rng) {
    static constexpr const char* kEnds[] = {"\n", "\r", "\r\n", "\n\r"};
    const std::vector<std::string> keys = infoKeys(rng);
    std::string text = rng.chance(10) ? "tunebox infofile" : "TUNEBOX INFOFILE";
    text += rng.pick(kEnds);
    for (std::uint32_t n = 1 + rng.below(10); n > 0; --n) text += keys[rng.below(keys.size())] + rng.pick(kEnds);
    if (rng.chance(5)) text.insert(text.begin() + rng.below(text.size()), '\0');
    return Bytes(text.begin(), text.end());
}

void put32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

// An icon with six or seven tooltypes, maybe behind renders of random sizes.
Bytes randomIconInfo(Rng& rng) {
    Bytes icon(0x4E, 0);
    icon[0] = 0xE3, icon[1] = 0x10, icon[3] = 1, icon[0x30] = 4;
    const bool images = rng.chance(2), gadget = rng.chance(3), select = gadget && rng.chance(2);
    icon[0x11] = images ? 0x04 : 0, icon[0x19] = gadget, icon[0x1D] = select;
    for (int r = 0; r < int{gadget} + int{select}; ++r) {
        Bytes render(images ? 20 : 16, 0);
        render[7] = rng.byte();  // height, or point pairs
        if (images) render[5] = rng.byte(), render[9] = std::uint8_t(rng.below(10)), render[14] = rng.byte();
        icon.insert(icon.end(), render.begin(), render.end());
        for (std::uint32_t n = rng.below(600); n > 0; --n) icon.push_back(rng.byte());
    }
    put32(icon, 4);  // default tool
    append(icon, {'S', 'I', 'D', 0});
    const std::vector<std::string> keys = infoKeys(rng);
    const std::uint32_t count = 6 + rng.below(2);
    put32(icon, rng.chance(10) ? rng.byte() : (count + 1) * 4);
    for (std::uint32_t t = 0; t < count; ++t) {
        put32(icon, static_cast<std::uint32_t>(keys[t].size() + 1));
        icon.insert(icon.end(), keys[t].begin(), keys[t].end());
        icon.push_back(0);
    }
    if (rng.chance(3)) damage(icon, rng);
    return icon;
}

// Text dump: every line after the rule under the column heads is one fixed-width
// frame, one shorter than the rule (107 characters a chip and 99 for each further one).
void expectWellFormedText(const Bytes& bytes) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    std::size_t width = 0;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (width != 0) {
            ASSERT_EQ(line.size(), width) << "line " << number << ": " << line;
        } else if (line.size() % 99 == 9 && line.size() <= 306 && line == std::string(line.size(), '=')) {
            width = line.size() - 1;
        }
    }
    EXPECT_NE(width, 0u) << "no column heads";
}

// MIDI file: a header chunk and as many track chunks as it announces, whose
// lengths add up to the file, each ending with End of Track. The events
// themselves are checked strictly by the separate MIDI content test.
void expectWellFormedMidi(const Bytes& b) {
    const auto be32 = [&](std::size_t at) {
        return std::uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
    };
    const auto tail = [&](std::size_t at, std::size_t n) { return std::string(&b[at], &b[at] + n); };
    ASSERT_TRUE(b.size() >= 14 && tail(0, 4) == "MThd" && be32(4) == 6) << "no header chunk";
    unsigned found = 0;
    for (std::size_t at = 14; at < b.size(); ++found) {
        ASSERT_TRUE(at + 8 <= b.size() && tail(at, 4) == "MTrk") << "no track chunk at " << at;
        const std::size_t end = at + 8 + be32(at + 4);
        ASSERT_TRUE(end <= b.size() && end >= at + 11) << "track length wrong at " << at;
        EXPECT_EQ(tail(end - 3, 3), std::string("\xFF\x2F\x00", 3)) << "track without its end at " << at;
        at = end;
    }
    EXPECT_EQ(found, unsigned(b[10] << 8 | b[11]));
}

// Raw data at $1000, now and then cut to nothing; named by itself and by an info file.
Bytes rawData(Rng& rng) {
    Bytes bytes = tuneCode(rng, 0x1000, 1 + rng.below(200));
    bytes.insert(bytes.begin(), {0x00, 0x10});
    if (rng.chance(6)) bytes.resize(rng.below(3));
    return bytes;
}

// Shared files (damaged at `fields`) and/or a generator; the real files are
// required unless there is a generator. Damaged real code mostly means slow
// loops, so only every `convertEvery`th of those is converted.
struct Source {
    const char* name;
    std::uint64_t seed;
    int rounds, convertEvery;
    const char *folder, *suffix;
    Fields fields;
    Bytes (*make)(Rng&);
};
const Source kSources[] = {
    {"DamagedRealTunes", 1, 60, 3, "psid", ".sid", kPsidFields, nullptr},
    {"SyntheticTunesWithRandomCode", 2, 50, 1, nullptr, "", {}, randomPsid},
    {"MusSongsWithDamagedVoices", 3, 40, 1, "mus", ".MUS", kMusFields, randomMus},
    {"DamagedPackedFiles", 4, 120, 4, "pp20", ".pp", {}, nullptr},
    {"RawDataWithDamagedInfoFiles", 5, 60, 1, nullptr, "", {}, rawData},
    {"DamagedRealRsids", 6, 40, 2, "rsid", ".sid", kRsidFields, nullptr},
    {"DamagedMultiChipTunes", 8, 30, 2, "multisid", ".sid", kRsidFields, nullptr},
    {"RsidsWithRandomInterrupts", 7, 80, 1, "rsid-wrapped", ".sid", kRsidFields, randomRsid},
};

std::vector<fs::path> sharedFiles(const char* folder, const char* suffix) {
    std::vector<fs::path> files;
    if (const fs::path path = folder ? test::sharedFile(folder) : fs::path(); !path.empty())
        for (const auto& entry : fs::directory_iterator(path))
            if (entry.path().filename().string().ends_with(suffix)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class HostileInput : public ::testing::TestWithParam<Source> {
protected:
    fs::path dir = test::scratchDir("hostile");
    int loaded = 0, refused = 0, converted = 0, errors = 0;

    ~HostileInput() override {
        std::cout << "[ hostile  ] loaded " << loaded << ", refused " << refused << ", converted " << converted
                  << ", conversion errors " << errors << "\n";
    }

    // A short conversion with random options and song number.
    void convert(SidTune& tune, Rng& rng) {
        ConverterSettings settings;
        const bool text = rng.chance(2);
        settings.outputMode = text ? OutputMode::Text : OutputMode::Midi;
        settings.playSeconds = rng.chance(4) ? 2 : 1;
        settings.envelopeEmulation = rng.chance(3), settings.captureSamples = rng.chance(3);
        settings.ntscClock = rng.chance(4);
        if (rng.chance(3)) settings.pitchChangeNotes = rng.chance(2) ? -1 : static_cast<std::int32_t>(rng.below(5));
        if (rng.chance(3)) settings.noiseLevel = 3;
        const SidTuneInfo info = tune.getInfo();
        const int songs[] = {0, 1, info.startSong, info.songCount, info.songCount + 1, 257};
        const int song = rng.pick(songs);
        const fs::path out = dir / (text ? "out.txt" : "out.mid");
        SCOPED_TRACE("song " + std::to_string(song) + (text ? ", text" : ", MIDI"));
        try {
            Converter converter;
            test::convertSong(converter, tune, settings, out, song);
            std::string warnings;
            converter.getWarnings(warnings);
        } catch (const BackEnd::Error&) {
            ++errors;  // a refusal is fine; it must only not be a crash
            return;
        }
        ++converted;
        text ? expectWellFormedText(test::readFile(out)) : expectWellFormedMidi(test::readFile(out));
    }
};

TEST_P(HostileInput, LoadsOrIsRefusedAndConverts) {
    const Source& source = GetParam();
    const auto shared = sharedFiles(source.folder, source.suffix);
    if (shared.empty() && source.make == nullptr) GTEST_SKIP() << "shared test data absent";
    Rng rng{envNumber("NOTECAST_HOSTILE_SEED", 0x4E4F5445) + source.seed};
    const int rounds = source.rounds * static_cast<int>(envNumber("NOTECAST_HOSTILE_ROUNDS", 1));
    for (int i = 0; i < rounds; ++i) {
        std::string trace = "round " + std::to_string(i);
        Bytes bytes;
        if (!shared.empty() && (source.make == nullptr || rng.chance(2))) {
            const fs::path& file = shared[rng.below(shared.size())];
            trace += ": " + file.filename().string();
            bytes = test::readFile(file);
            damage(bytes, rng, source.fields);
        } else {
            bytes = source.make(rng);
        }
        const bool icon = rng.chance(2);
        fs::path info = source.make != rawData ? fs::path() : dir / (icon ? "tune.info" : "tune.inf");
        if (!info.empty()) {
            fs::remove(dir / (icon ? "tune.inf" : "tune.info"));
            test::writeFile(info, icon ? randomIconInfo(rng) : randomTextInfo(rng));
            trace += icon ? ": icon" : ": text";
        }
        const fs::path file = dir / (info.empty() ? "tune.sid" : "tune.dat");
        test::writeFile(file, bytes);
        SidTune byFile(file.string().c_str());
        SidTune other = info.empty() ? SidTune(bytes.data(), bytes.size()) : SidTune(info.string().c_str());
        SCOPED_TRACE(trace);
        for (SidTune* tune : {&byFile, &other}) {
            const SidTuneInfo got = tune->getInfo();
            ASSERT_TRUE(got.statusText != nullptr && got.formatText != nullptr);
            ++(tune->status() ? loaded : refused);
            if (!tune->status()) continue;
            ASSERT_TRUE(got.songCount >= 1 && got.songCount <= SidTune::kMaxSongs) << got.songCount;
            ASSERT_LE(got.c64DataLength, got.dataFileLength);
        }
        // The first way that loaded is converted.
        SidTune& tune = byFile.status() ? byFile : other;
        if (tune.status() && i % source.convertEvery == 0) convert(tune, rng);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(converted, 0) << "nothing survived to be converted: the run tests nothing";
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileInput, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace notecast