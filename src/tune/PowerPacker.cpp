#include "tune/PowerPacker.h"

#include "tune/ByteOrder.h"

#include <cstring>
#include <new>

namespace notecast {

namespace {

const char kCorrupt[] = "PowerPacker: Packed data is corrupt";
const char kNoMemory[] = "Not enough free memory";

struct Efficiency {
    std::uint8_t widths[4];
    const char* text;
};

const Efficiency kEfficiencies[] = {
    {{9, 9, 9, 9}, "PowerPacker: fast compression"},
    {{9, 10, 10, 10}, "PowerPacker: mediocre compression"},
    {{9, 10, 11, 11}, "PowerPacker: good compression"},
    {{9, 10, 12, 12}, "PowerPacker: very good compression"},
    {{9, 10, 12, 13}, "PowerPacker: best compression"},
};

// Magic, efficiency table, and the trailer with the unpacked length and the
// unused bits of the first stream word.
constexpr std::size_t kHeaderLength = 8;
constexpr std::size_t kTrailerLength = 4;

// Reads the packed stream backwards in 32-bit big-endian words, taking bits
// from the low end of each word. Once the stream is exhausted it reports the
// error and yields zero bits, so every loop that waits for a particular bit
// pattern ends.
class BitReader {
public:
    BitReader(const std::uint8_t* file, std::size_t streamEnd) : file_(file), position_(streamEnd) {}

    void start(unsigned skip) {
        if (!load()) return;
        if (skip >= 32) {
            bitsLeft_ = 0;
        } else {
            word_ >>= skip;
            bitsLeft_ = 32 - skip;
        }
    }

    bool failed() const { return failed_; }

    unsigned bit() {
        if (bitsLeft_ == 0) {
            if (!load()) return 0;
        }
        const unsigned b = word_ & 1u;
        word_ >>= 1;
        --bitsLeft_;
        return b;
    }

    // n bits, the first one taken as the most significant.
    unsigned bits(unsigned n) {
        unsigned value = 0;
        while (n-- > 0) value = (value << 1) | bit();
        return value;
    }

private:
    bool load() {
        if (failed_ || position_ < 4) {
            failed_ = true;
            return false;
        }
        position_ -= 4;
        word_ = readBe32(file_ + position_);
        bitsLeft_ = 32;
        return true;
    }

    const std::uint8_t* file_;
    std::size_t position_;
    std::uint32_t word_ = 0;
    unsigned bitsLeft_ = 0;
    bool failed_ = false;
};

} // namespace

bool PowerPacker::decompress(const std::uint8_t* file, std::size_t length,
                             std::vector<std::uint8_t>& output) {
    isPowerPacker_ = false;
    decompressedLength_ = 0;
    if (file == nullptr || length < 4 || std::memcmp(file, "PP20", 4) != 0) {
        statusText_ = "Not compressed with PowerPacker (PP20)";
        return false;
    }
    const Efficiency* efficiency = nullptr;
    if (length >= kHeaderLength) {
        for (const Efficiency& e : kEfficiencies) {
            if (std::memcmp(file + 4, e.widths, 4) == 0) efficiency = &e;
        }
    }
    if (efficiency == nullptr) {
        statusText_ = "PowerPacker: Unrecognized compression method";
        return false;
    }

    isPowerPacker_ = true;
    if (length < kHeaderLength + kTrailerLength) {
        statusText_ = kCorrupt;
        return false;
    }
    const std::size_t unpackedLength = (std::size_t{file[length - 4]} << 16) |
                                       (std::size_t{file[length - 3]} << 8) | file[length - 2];
    // The cheapest code (a long copy) takes 3 bits for 7 bytes, so a file
    // cannot unpack to more than 8 * 7 / 3 bytes per packed byte. A larger
    // claim comes from a damaged trailer and is not worth allocating.
    if (unpackedLength / 19 > length) {
        statusText_ = kCorrupt;
        return false;
    }
    std::vector<std::uint8_t> out;
    try {
        out.resize(unpackedLength);
    } catch (const std::bad_alloc&) {
        statusText_ = kNoMemory;
        return false;
    }
    statusText_ = efficiency->text;
    if (!unpack(file, length, efficiency->widths, out)) {
        statusText_ = kCorrupt;
        return false;
    }
    decompressedLength_ = out.size();
    output.swap(out);
    return true;
}

bool PowerPacker::unpack(const std::uint8_t* file, std::size_t length,
                         const std::uint8_t* widths, std::vector<std::uint8_t>& out) {
    const std::size_t size = out.size();
    if (size == 0) return true;
    const unsigned skip = file[length - 1];
    if (skip > 32) return false;

    BitReader in(file, length - kTrailerLength);
    in.start(skip);

    // The output fills from its end towards its start.
    std::size_t write = size;
    bool overflow = false;
    const auto store = [&](std::uint8_t byte) {
        if (write == 0) {
            overflow = true;
            return;
        }
        out[--write] = byte;
    };
    const auto failed = [&] { return overflow || in.failed(); };

    while (!failed()) {
        if (in.bit() == 0) {
            std::size_t count = in.bits(2);
            if (count == 3) {
                unsigned more;
                do {
                    more = in.bits(2);
                    count += more;
                } while (more == 3);
            }
            for (std::size_t i = 0; i <= count && !failed(); ++i) {
                store(static_cast<std::uint8_t>(in.bits(8)));
            }
        }
        if (write > 0 && !failed()) {
            const unsigned n = in.bits(2);
            unsigned width = widths[n];
            std::size_t count = n + 2;
            std::size_t offset;
            if (n == 3) {
                if (in.bit() == 0) width = 7;
                offset = in.bits(width);
                unsigned more;
                do {
                    more = in.bits(3);
                    count += more;
                } while (more == 7);
            } else {
                offset = in.bits(width);
            }
            // The copy reads bytes already written; one that reaches past the
            // end of the output comes from a damaged stream.
            if (write + offset >= size) return false;
            for (std::size_t i = 0; i < count && !failed(); ++i) store(out[write + offset]);
        }
        if (failed()) return false;
        if (write == 0) return true;
    }
    return false;
}

} // namespace notecast
