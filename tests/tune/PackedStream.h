#pragma once
#include <cstdint>
#include <vector>

namespace notecast::test {

// Writes PowerPacker "PP20" files bit by bit, for tests that need packed data
// with exactly known codes. Bits are given in the order the unpacker reads
// them; file() lays them out backwards in 32-bit words as the format wants.
class PackedStream {
public:
    void bit(unsigned b) { bits_.push_back(b & 1u); }
    // n bits of value, most significant first.
    void bits(std::uint32_t value, unsigned n) {
        while (n-- > 0) bit((value >> n) & 1u);
    }

    // A literal run of `bytes` (in output order), written as one run.
    void literal(const std::vector<std::uint8_t>& bytes) {
        bit(0);
        std::size_t count = bytes.size() - 1;
        if (count < 3) {
            bits(static_cast<std::uint32_t>(count), 2);
        } else {
            bits(3, 2);
            count -= 3;
            for (; count >= 3; count -= 3) bits(3, 2);
            bits(static_cast<std::uint32_t>(count), 2);
        }
        for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) bits(*it, 8);
    }

    // The whole file: magic, efficiency table, stream and trailer. The first
    // word read holds the leftover bits, so the trailer's skip count is 0
    // when the stream fills whole words.
    std::vector<std::uint8_t> file(std::uint32_t unpackedLength,
                                   const std::vector<std::uint8_t>& efficiency = {9, 9, 9, 9}) const {
        const std::size_t total = bits_.size();
        const std::size_t words = total == 0 ? 1 : (total + 31) / 32;
        const std::size_t firstBits = total - 32 * (words - 1);
        const unsigned skip = static_cast<unsigned>(32 - firstBits);
        std::vector<std::uint32_t> decodeOrder(words, 0);
        std::size_t next = 0;
        for (std::size_t w = 0; w < words; ++w) {
            const unsigned from = w == 0 ? skip : 0;
            for (unsigned pos = from; pos < 32; ++pos) decodeOrder[w] |= std::uint32_t{bits_[next++]} << pos;
        }
        std::vector<std::uint8_t> f;
        f.reserve(4 + efficiency.size() + 4 * words + 4);
        for (char c : {'P', 'P', '2', '0'}) f.push_back(static_cast<std::uint8_t>(c));
        for (std::uint8_t e : efficiency) f.push_back(e);
        for (std::size_t w = words; w-- > 0;) {
            for (int shift = 24; shift >= 0; shift -= 8) f.push_back(static_cast<std::uint8_t>(decodeOrder[w] >> shift));
        }
        f.push_back(static_cast<std::uint8_t>(unpackedLength >> 16));
        f.push_back(static_cast<std::uint8_t>(unpackedLength >> 8));
        f.push_back(static_cast<std::uint8_t>(unpackedLength));
        f.push_back(static_cast<std::uint8_t>(skip));
        return f;
    }

    // A valid packed file of `data`, as a single literal run.
    static std::vector<std::uint8_t> packLiteral(const std::vector<std::uint8_t>& data) {
        PackedStream s;
        s.literal(data);
        return s.file(static_cast<std::uint32_t>(data.size()));
    }

private:
    std::vector<unsigned> bits_;
};

} // namespace notecast::test
