// Hostile input, end to end. Real tunes and small synthetic ones are damaged
// on purpose (bit flips, header fields, truncation, random 6510 code, absurd
// addresses, timer values and song counts), loaded through the file and the
// buffer path and, where they load, converted for a second or two. The only
// expectations: nothing crashes or reads out of bounds (the sanitizer build
// watches that), every conversion ends, and what it writes is well-formed.
//
// Everything is seeded, so a failure repeats. NOTECAST_HOSTILE_SEED and
// NOTECAST_HOSTILE_ROUNDS (a multiplier) widen a local search.
#include "convert/Converter.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace notecast {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// splitmix64: small, and the same sequence on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(next() % n); }
    bool chance(std::uint32_t inN) { return below(inN) == 0; }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next()); }
    std::uint16_t word() { return static_cast<std::uint16_t>(next()); }
    template <typename T, std::size_t N>
    T pick(const T (&values)[N]) { return values[below(N)]; }

private:
    std::uint64_t state_;
};

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

std::uint64_t baseSeed() { return envNumber("NOTECAST_HOSTILE_SEED", 0x4E4F5445); }
int rounds(int base) { return base * static_cast<int>(envNumber("NOTECAST_HOSTILE_ROUNDS", 1)); }

// --- damage ------------------------------------------------------------------

// Offsets of the PSID header fields: version, data offset, the addresses,
// song counts, the speed word and the version 2 flags.
constexpr std::size_t kPsidFields[] = {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D,
                                       0x0E, 0x0F, 0x10, 0x11, 0x12, 0x15, 0x77, 0x78, 0x79};
// Offsets of the MUS voice lengths and of the PowerPacker trailer (from the end).
constexpr std::size_t kMusFields[] = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr std::uint8_t kSampleRegisters[] = {0x1D, 0x1E, 0x1F, 0x3D, 0x3E, 0x3F,
                                             0x5D, 0x5E, 0x5F, 0x7D, 0x7E, 0x7F};
constexpr std::uint8_t kEdgeBytes[] = {0x00, 0x01, 0x02, 0x03, 0x0F, 0x10, 0x1F, 0x20, 0x4F, 0x7C,
                                       0x7E, 0x7F, 0x80, 0xC0, 0xCF, 0xD0, 0xFE, 0xFF};

void damage(Bytes& bytes, Rng& rng, const std::size_t* fields, std::size_t fieldCount) {
    const int steps = 1 + static_cast<int>(rng.below(4));
    for (int i = 0; i < steps; ++i) {
        const std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
        switch (rng.below(7)) {
        case 0:  // bit flips anywhere
            for (int n = 1 + static_cast<int>(rng.below(8)); n > 0 && size > 0; --n)
                bytes[rng.below(size)] ^= static_cast<std::uint8_t>(1u << rng.below(8));
            break;
        case 1:
        case 2:  // a header field set to an edge value
            if (fieldCount > 0) {
                const std::size_t at = fields[rng.below(static_cast<std::uint32_t>(fieldCount))];
                if (at < size) bytes[at] = rng.chance(3) ? rng.byte() : rng.pick(kEdgeBytes);
            }
            break;
        case 3:  // cut off
            bytes.resize(rng.below(size + 1));
            break;
        case 4:  // garbage appended
            for (int n = static_cast<int>(rng.below(64)); n > 0; --n) bytes.push_back(rng.byte());
            break;
        case 5:  // the trailer (PowerPacker lengths and skip count live there)
            if (size > 0) bytes[size - 1 - rng.below(std::min<std::uint32_t>(size, 4))] = rng.pick(kEdgeBytes);
            break;
        default:  // a run of random bytes
            if (size > 0) {
                const std::uint32_t at = rng.below(size);
                for (std::uint32_t n = rng.below(32); n > 0 && at + n < size; --n) bytes[at + n] = rng.byte();
            }
            break;
        }
    }
}

// --- synthetic tunes -----------------------------------------------------------

void append(Bytes& code, std::initializer_list<std::uint8_t> bytes) { code.insert(code.end(), bytes); }

// Random 6510 code with a bias towards what tunes do: SID and CIA writes,
// bank switching, stack games, jumps and returns. Mostly it returns soon
// (BRK, RTS, RTI are common), but loops that never end are in the mix.
Bytes randomCode(Rng& rng, std::uint16_t origin, std::size_t length) {
    Bytes code;
    while (code.size() < length) {
        const auto here = static_cast<std::uint16_t>(origin + code.size());
        switch (rng.below(13)) {
        case 0:  // a SID register
            append(code, {0xA9, rng.byte(), 0x8D, static_cast<std::uint8_t>(rng.below(0x20)), 0xD4});
            break;
        case 1:  // CIA 1 timer A (long enough that a run that loops stays short)
            append(code, {0xA9, rng.byte(), 0x8D, 0x04, 0xDC,
                          0xA9, static_cast<std::uint8_t>(0x30 + rng.below(0xD0)), 0x8D, 0x05, 0xDC});
            break;
        case 2:  // banking
            append(code, {0xA9, static_cast<std::uint8_t>(rng.below(8) | (rng.chance(4) ? 0x30 : 0)),
                          0x85, 0x01});
            break;
        case 3:  // stack: pushes, a new stack pointer, pulls
            append(code, {rng.chance(2) ? std::uint8_t{0x48} : std::uint8_t{0x68}, 0xA2, rng.byte(),
                          rng.chance(4) ? std::uint8_t{0x9A} : std::uint8_t{0xEA}});
            break;
        case 4:  // a call or jump somewhere
            append(code, {rng.chance(2) ? std::uint8_t{0x20} : std::uint8_t{0x4C}, rng.byte(), rng.byte()});
            break;
        case 5:  // an indirect jump through the vectors
            append(code, {0x6C, rng.chance(2) ? std::uint8_t{0x14} : std::uint8_t{0xFE},
                          rng.chance(2) ? std::uint8_t{0x03} : std::uint8_t{0xFF}});
            break;
        case 6:  // a counted loop
            append(code, {0xA2, rng.byte(), 0xCA, 0xD0, 0xFD});
            break;
        case 7:  // the sample registers
            append(code, {0xA9, rng.byte(), 0x8D, rng.pick(kSampleRegisters), 0xD4});
            break;
        case 8:  // a return (now and then a BRK)
            append(code, {rng.pick(kEdgeBytes) == 0 ? std::uint8_t{0x00} : std::uint8_t{0x60}});
            break;
        case 9:  // indirect stores through the zero page
            append(code, {0xA0, rng.byte(), 0x91, rng.byte(), 0x81, rng.byte()});
            break;
        case 11:  // a register that changes on every call: new notes, slides
            if (rng.chance(2))
                append(code, {0xEE, static_cast<std::uint8_t>(rng.below(0x19)), 0xD4});
            else
                append(code, {0xAD, rng.chance(2) ? std::uint8_t{0x1B} : std::uint8_t{0x1C}, 0xD4,
                              0x8D, static_cast<std::uint8_t>(rng.below(0x19)), 0xD4});
            break;
        case 10:  // a jump to itself: never returns
            if (rng.chance(8)) {
                append(code, {0x4C, static_cast<std::uint8_t>(here), static_cast<std::uint8_t>(here >> 8)});
                break;
            }
            [[fallthrough]];
        default:  // anything at all
            for (int n = 1 + static_cast<int>(rng.below(6)); n > 0; --n) code.push_back(rng.byte());
            break;
        }
    }
    code.resize(length);
    return code;
}

// The init routine: sets the CIA timer (any value, short ones included) and
// returns; then the play routine, random code.
Bytes tuneCode(Rng& rng, std::uint16_t origin, std::size_t length, bool randomInit) {
    Bytes code;
    if (randomInit) return randomCode(rng, origin, length);
    // Short timers mean thousands of play calls a second, each emulated:
    // a few of them go a long way.
    static constexpr std::uint16_t kShortTimers[] = {0x0000, 0x0001, 0x000F, 0x0010, 0x0011, 0x00FF, 0x0400};
    static constexpr std::uint16_t kTimers[] = {0x3000, 0x4025, 0x4CC7, 0x8000, 0xFFFF};
    const std::uint16_t timer = rng.chance(8)   ? rng.pick(kShortTimers)
                                : rng.chance(2) ? rng.pick(kTimers)
                                                : static_cast<std::uint16_t>(0x3000 + rng.below(0xD000));
    append(code, {0xA9, static_cast<std::uint8_t>(timer), 0x8D, 0x04, 0xDC,
                  0xA9, static_cast<std::uint8_t>(timer >> 8), 0x8D, 0x05, 0xDC, 0x60});
    const Bytes play = randomCode(rng, static_cast<std::uint16_t>(origin + code.size()),
                                  length > code.size() ? length - code.size() : 1);
    code.insert(code.end(), play.begin(), play.end());
    return code;
}

test::PsidBuilder randomPsid(Rng& rng) {
    static constexpr std::uint16_t kLoads[] = {0x0000, 0x0001, 0x0002, 0x00FE, 0x0100, 0x01F0, 0x0314,
                                               0x0801, 0x1000, 0x9FFF, 0xA000, 0xCFF0, 0xD000, 0xD400,
                                               0xDFFE, 0xE000, 0xFFF0, 0xFFFE, 0xFFFF};
    static constexpr std::uint16_t kSongs[] = {0, 1, 2, 3, 31, 32, 33, 255, 256, 257, 1000, 0xFFFF};
    test::PsidBuilder psid;
    psid.version = static_cast<std::uint16_t>(rng.below(3));
    psid.embedLoadAddress = rng.chance(3);
    psid.load = rng.chance(4) ? rng.word() : rng.pick(kLoads);
    if (psid.load == 0 && !psid.embedLoadAddress) psid.load = 0x1000;
    const bool randomInit = rng.chance(20);
    std::size_t length = 1 + rng.below(300);
    if (rng.chance(20)) length = 0xFF00 + rng.below(0x200);  // wraps through all of memory
    psid.code = tuneCode(rng, psid.load, length, randomInit);
    psid.init = psid.load;
    psid.play = static_cast<std::uint16_t>(psid.load + 11);
    if (rng.chance(6)) psid.init = rng.chance(2) ? 0 : rng.word();
    if (rng.chance(6)) psid.play = rng.chance(2) ? 0 : rng.word();
    psid.songs = rng.pick(kSongs);
    psid.startSong = rng.chance(2) ? 1 : rng.pick(kSongs);
    psid.speed = rng.chance(2) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rng.next());
    psid.flags = rng.chance(3) ? rng.byte() : static_cast<std::uint8_t>(rng.below(4) << 2);
    for (std::string* text : {&psid.name, &psid.author, &psid.copyright}) {
        text->clear();
        for (std::uint32_t n = rng.below(40); n > 0; --n) text->push_back(static_cast<char>(rng.byte()));
    }
    return psid;
}

// A MUS file: three voices of random bytes, each ended by the halt pair,
// then random text.
Bytes randomMus(Rng& rng) {
    Bytes file = {0x00, 0x09, 0, 0, 0, 0, 0, 0};
    for (int v = 0; v < 3; ++v) {
        Bytes voice;
        for (std::uint32_t n = rng.below(120); n > 0; --n) voice.push_back(rng.byte());
        append(voice, {0x01, 0x4F});
        file[2 + 2 * v] = static_cast<std::uint8_t>(voice.size());
        file[3 + 2 * v] = static_cast<std::uint8_t>(voice.size() >> 8);
        file.insert(file.end(), voice.begin(), voice.end());
    }
    for (std::uint32_t n = rng.below(200); n > 0; --n) file.push_back(rng.chance(8) ? 0x0D : rng.byte());
    return file;
}

std::string hex(std::uint32_t value) {
    std::ostringstream s;
    s << std::hex << value;
    return s.str();
}

// A TUNEBOX info text: the keys in random order with random values, some
// lost, some doubled, junk between them, all three kinds of line end.
std::string randomTextInfo(Rng& rng) {
    static constexpr const char* kEnds[] = {"\n", "\r", "\r\n", "\n\r"};
    std::string text = rng.chance(10) ? "tunebox infofile" : "TUNEBOX INFOFILE";
    text += rng.pick(kEnds);
    const std::string keys[] = {
        "ADDRESS=" + hex(rng.chance(3) ? 0 : 0x1000) + "," + hex(rng.chance(4) ? rng.word() : 0x1000) +
            "," + hex(rng.chance(4) ? rng.word() : 0x100B),
        "ADDRESS=" + hex(rng.word()),
        "SONGS=" + std::to_string(rng.chance(2) ? rng.below(4) : rng.next() % 100000) + "," +
            std::to_string(rng.below(300)),
        "SPEED=" + hex(static_cast<std::uint32_t>(rng.next())),
        "NAME=" + std::string(rng.below(120), 'N'),
        "AUTHOR= x y z",
        "COPYRIGHT=" + std::string(rng.below(90), '\xA9'),
        "SIDSONG=YES",
        "  s o n g s = 2 , 1",
        "ADDRESS=",
        "=",
        std::string(rng.below(200), 'x'),
    };
    for (std::uint32_t n = 1 + rng.below(10); n > 0; --n) {
        text += keys[rng.below(std::size(keys))];
        text += rng.pick(kEnds);
    }
    if (rng.chance(5)) text.insert(text.begin() + rng.below(static_cast<std::uint32_t>(text.size())), '\0');
    return text;
}

void put32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A PlaySID icon file with the six tooltypes (and sometimes renders of
// random sizes in front of them).
Bytes randomTooltypeInfo(Rng& rng) {
    Bytes icon(0x4E, 0);
    icon[0] = 0xE3;
    icon[1] = 0x10;
    icon[3] = 1;
    icon[0x30] = 4;
    const bool images = rng.chance(2);
    if (images) icon[0x11] = 0x04;
    const bool gadget = rng.chance(3);
    const bool select = gadget && rng.chance(2);
    if (gadget) icon[0x19] = 1;
    if (select) icon[0x1D] = 1;
    for (int r = 0; r < int{gadget} + int{select}; ++r) {
        Bytes render(images ? 20 : 16, 0);
        if (images) {
            render[5] = rng.byte();   // width
            render[7] = rng.byte();   // height
            render[9] = static_cast<std::uint8_t>(rng.below(10));  // depth
            render[14] = rng.byte();  // plane pick
        } else {
            render[7] = rng.byte();   // point pairs
        }
        icon.insert(icon.end(), render.begin(), render.end());
        for (std::uint32_t n = rng.below(600); n > 0; --n) icon.push_back(rng.byte());
    }
    put32(icon, 4);  // default tool
    append(icon, {'S', 'I', 'D', 0});
    const std::string tooltypes[] = {
        "ADDRESS=" + hex(rng.chance(3) ? 0 : 0x1000) + "," + hex(0x1000) + "," + hex(0x100B),
        "SONGS=" + std::to_string(rng.next() % 70000) + "," + std::to_string(rng.below(5)),
        "SPEED=" + hex(static_cast<std::uint32_t>(rng.next())),
        "NAME=" + std::string(rng.below(60), 'n'),
        "AUTHOR=a",
        "COPYRIGHT=c",
        "SIDSONG=YES",
    };
    const std::uint32_t count = 6 + rng.below(2);
    put32(icon, rng.chance(10) ? rng.byte() : (count + 1) * 4);
    for (std::uint32_t t = 0; t < count; ++t) {
        const std::string& text = tooltypes[t];
        put32(icon, static_cast<std::uint32_t>(text.size() + 1));
        icon.insert(icon.end(), text.begin(), text.end());
        icon.push_back(0);
    }
    return icon;
}

// --- conversion and checks -----------------------------------------------------

constexpr std::size_t kTextLineLength = 107;

// Text dump: every line after the rule under the column heads is one frame
// of the fixed width.
void expectWellFormedText(const fs::path& file) {
    const Bytes bytes = test::readFile(file);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    bool frames = false;
    std::size_t lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!frames) {
            frames = line == std::string(108, '=');
            continue;
        }
        ASSERT_EQ(line.size(), kTextLineLength) << "line " << lineNumber << ": " << line;
    }
    EXPECT_TRUE(frames) << "no column heads";
}

std::uint32_t be32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// Walks the events of one track: delta times, channel messages with data
// bytes below 0x80 (running status allowed), meta and system-exclusive
// events with their lengths; the last event, and only the last, is the end
// of the track.
void expectWellFormedTrack(const Bytes& b, std::size_t at, std::size_t end) {
    const auto number = [&](std::size_t& p) {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (p >= end) return value;
            const std::uint8_t c = b[p++];
            value = (value << 7) | (c & 0x7Fu);
            if ((c & 0x80) == 0) return value;
        }
        ADD_FAILURE() << "variable-length number longer than four bytes at " << p;
        return value;
    };
    std::uint8_t status = 0;
    bool ended = false;
    while (at < end) {
        ASSERT_FALSE(ended) << "events after the end of the track at " << at;
        number(at);
        ASSERT_LT(at, end) << "delta time without an event";
        if (b[at] & 0x80) status = b[at++];
        ASSERT_NE(status, 0) << "running status without a status at " << at;
        if (status == 0xFF) {
            ASSERT_LT(at, end);
            const std::uint8_t type = b[at++];
            const std::uint32_t length = number(at);
            ASSERT_LE(length, end - at) << "meta event overruns the track at " << at;
            ended = type == 0x2F && length == 0;
            at += length;
            status = 0;
        } else if (status == 0xF0 || status == 0xF7) {
            const std::uint32_t length = number(at);
            ASSERT_LE(length, end - at);
            at += length;
            status = 0;
        } else {
            ASSERT_LT(status, 0xF0) << "system message in a track at " << at;
            const std::size_t data = (status & 0xE0) == 0xC0 ? 1 : 2;
            ASSERT_LE(data, end - at) << "channel message cut off at " << at;
            for (std::size_t i = 0; i < data; ++i) ASSERT_LT(b[at + i], 0x80) << "data byte at " << at + i;
            at += data;
        }
    }
    EXPECT_TRUE(ended) << "track without its end";
}

// MIDI file: a header chunk and as many well-formed track chunks as it
// announces, whose lengths add up to the file.
void expectWellFormedMidi(const fs::path& file) {
    const Bytes b = test::readFile(file);
    ASSERT_GE(b.size(), 14u);
    ASSERT_EQ(std::string(b.begin(), b.begin() + 4), "MThd");
    ASSERT_EQ(be32(b, 4), 6u);
    const unsigned tracks = (b[10] << 8) | b[11];
    std::size_t at = 14;
    unsigned found = 0;
    while (at < b.size()) {
        ASSERT_LE(at + 8, b.size()) << "chunk header cut off at " << at;
        ASSERT_EQ(std::string(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4)), "MTrk");
        const std::size_t length = be32(b, at + 4);
        ASSERT_LE(at + 8 + length, b.size()) << "chunk overruns the file at " << at;
        const std::size_t end = at + 8 + length;
        expectWellFormedTrack(b, at + 8, end);
        if (::testing::Test::HasFatalFailure()) return;
        at = end;
        ++found;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(found, tracks);
}

struct Tally {
    int loaded = 0;
    int refused = 0;
    int converted = 0;
    int errors = 0;
};

class HostileInput : public ::testing::Test {
protected:
    fs::path dir = test::scratchDir("hostile");
    Tally tally;

    ~HostileInput() override {
        std::cout << "[ hostile  ] loaded " << tally.loaded << ", refused " << tally.refused
                  << ", converted " << tally.converted << ", conversion errors " << tally.errors
                  << std::endl;
    }

    // A short conversion with random options into the scratch directory.
    void convert(SidTune& tune, Rng& rng) {
        ConverterSettings settings;
        settings.outputMode = rng.chance(2) ? 1 : 0;
        settings.playSeconds = rng.chance(4) ? 2 : 1;
        settings.envelopeEmulation = rng.chance(3);
        settings.captureSamples = rng.chance(3);
        if (rng.chance(3)) settings.pitchChangeNotes = rng.chance(2) ? -1 : static_cast<std::int32_t>(rng.below(5));
        if (rng.chance(3)) settings.noiseLevel = 3;
        settings.ntscClock = rng.chance(4);
        const SidTuneInfo info = tune.getInfo();
        const int songs[] = {0, 1, info.startSong, info.songCount, info.songCount + 1, 257};
        const int song = rng.pick(songs);
        const fs::path out = dir / (settings.outputMode == 1 ? "out.txt" : "out.mid");
        SCOPED_TRACE("song " + std::to_string(song) + (settings.outputMode == 1 ? ", text" : ", MIDI"));
        try {
            Converter converter;
            converter.configure(settings);
            converter.initSong(tune, song);
            converter.run(out.string(), true, nullptr);
            std::string warnings;
            converter.getWarnings(warnings);
        } catch (const BackEnd::Error&) {
            ++tally.errors;  // a refusal is fine; it must only not be a crash
            return;
        }
        ++tally.converted;
        if (settings.outputMode == 1)
            expectWellFormedText(out);
        else
            expectWellFormedMidi(out);
    }

    // The buffer path, and the file path through a scratch file; converts
    // what loaded (from the file path when both did).
    void loadAndConvert(const Bytes& bytes, Rng& rng, bool convertIt = true) {
        SidTune fromBuffer(bytes.data(), bytes.size());
        const fs::path file = dir / "tune.sid";
        test::writeFile(file, bytes);
        SidTune fromFile(file.string().c_str());
        for (SidTune* tune : {&fromBuffer, &fromFile}) {
            const SidTuneInfo info = tune->getInfo();
            ASSERT_NE(info.statusText, nullptr);
            ASSERT_NE(info.formatText, nullptr);
            if (tune->status()) {
                ++tally.loaded;
                ASSERT_GE(info.songCount, 1);
                ASSERT_LE(info.songCount, SidTune::kMaxSongs);
                ASSERT_LE(info.c64DataLength, info.dataFileLength);
            } else {
                ++tally.refused;
            }
        }
        if (!convertIt) return;
        if (fromFile.status())
            convert(fromFile, rng);
        else if (fromBuffer.status())
            convert(fromBuffer, rng);
    }

    std::vector<fs::path> sharedFiles(const std::string& folder, const std::string& suffix) {
        std::vector<fs::path> files;
        const fs::path path = test::sharedFile(folder);
        if (path.empty()) return files;
        for (const auto& entry : fs::directory_iterator(path)) {
            const std::string name = entry.path().filename().string();
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(HostileInput, DamagedRealTunesLoadOrAreRefused) {
    const auto tunes = sharedFiles("psid", ".sid");
    if (tunes.empty()) GTEST_SKIP() << "shared test data absent";
    Rng rng(baseSeed() + 1);
    for (int i = 0; i < rounds(60); ++i) {
        const fs::path& source = tunes[rng.below(static_cast<std::uint32_t>(tunes.size()))];
        Bytes bytes = test::readFile(source);
        damage(bytes, rng, kPsidFields, std::size(kPsidFields));
        SCOPED_TRACE("round " + std::to_string(i) + ": " + source.filename().string());
        // Only every third one is converted: damage to the code of a real
        // tune mostly means slow loops, and those are covered below.
        loadAndConvert(bytes, rng, i % 3 == 0);
        if (HasFatalFailure()) return;
    }
}

TEST_F(HostileInput, SyntheticTunesWithRandomCodeConvert) {
    Rng rng(baseSeed() + 2);
    for (int i = 0; i < rounds(50); ++i) {
        test::PsidBuilder psid = randomPsid(rng);
        Bytes bytes = psid.build();
        if (rng.chance(4)) damage(bytes, rng, kPsidFields, std::size(kPsidFields));
        SCOPED_TRACE("round " + std::to_string(i));
        loadAndConvert(bytes, rng);
        if (HasFatalFailure()) return;
    }
}

TEST_F(HostileInput, MusSongsWithDamagedVoicesConvert) {
    auto songs = sharedFiles("mus", ".MUS");
    Rng rng(baseSeed() + 3);
    for (int i = 0; i < rounds(40); ++i) {
        Bytes bytes;
        if (!songs.empty() && rng.chance(2)) {
            bytes = test::readFile(songs[rng.below(static_cast<std::uint32_t>(songs.size()))]);
            damage(bytes, rng, kMusFields, std::size(kMusFields));
        } else {
            bytes = randomMus(rng);
            if (rng.chance(3)) damage(bytes, rng, kMusFields, std::size(kMusFields));
        }
        SCOPED_TRACE("round " + std::to_string(i));
        loadAndConvert(bytes, rng);
        if (HasFatalFailure()) return;
    }
}

TEST_F(HostileInput, DamagedPackedFilesAreRefusedOrUnpacked) {
    const auto packed = sharedFiles("pp20", ".pp");
    if (packed.empty()) GTEST_SKIP() << "shared test data absent";
    Rng rng(baseSeed() + 4);
    const fs::path file = dir / "packed.sid";
    for (int i = 0; i < rounds(120); ++i) {
        const fs::path& source = packed[rng.below(static_cast<std::uint32_t>(packed.size()))];
        Bytes bytes = test::readFile(source);
        damage(bytes, rng, nullptr, 0);
        SCOPED_TRACE("round " + std::to_string(i) + ": " + source.filename().string());
        test::writeFile(file, bytes);
        SidTune tune(file.string().c_str());
        if (!tune.status()) {
            ++tally.refused;
            continue;
        }
        ++tally.loaded;
        if (i % 4 == 0) convert(tune, rng);
        if (HasFatalFailure()) return;
    }
}

TEST_F(HostileInput, RawDataWithDamagedInfoFilesConverts) {
    Rng rng(baseSeed() + 5);
    const fs::path data = dir / "tune.dat";
    const fs::path text = dir / "tune.inf";
    const fs::path icon = dir / "tune.info";
    for (int i = 0; i < rounds(60); ++i) {
        fs::remove(text);
        fs::remove(icon);
        Bytes c64 = {0x00, 0x10};
        const Bytes code = tuneCode(rng, 0x1000, 1 + rng.below(200), false);
        c64.insert(c64.end(), code.begin(), code.end());
        if (rng.chance(6)) c64.resize(rng.below(3));
        test::writeFile(data, c64);
        const bool useIcon = rng.chance(2);
        if (useIcon) {
            Bytes info = randomTooltypeInfo(rng);
            if (rng.chance(3)) damage(info, rng, nullptr, 0);
            test::writeFile(icon, info);
        } else {
            test::writeFile(text, randomTextInfo(rng));
        }
        SCOPED_TRACE("round " + std::to_string(i) + (useIcon ? ": icon" : ": text"));
        // Named by its data file and by its description.
        SidTune byData(data.string().c_str());
        SidTune byInfo((useIcon ? icon : text).string().c_str());
        for (SidTune* tune : {&byData, &byInfo}) {
            if (!tune->status()) {
                ++tally.refused;
                continue;
            }
            ++tally.loaded;
            EXPECT_GE(tune->getInfo().songCount, 1);
            EXPECT_LE(tune->getInfo().c64DataLength, tune->getInfo().dataFileLength);
        }
        if (byData.status()) convert(byData, rng);
        if (HasFatalFailure()) return;
    }
}

} // namespace
} // namespace notecast
