#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace notecast {

// Unpacks files packed with the Amiga PowerPacker ("PP20"). The packed bit
// stream is read backwards from the end of the file and the output is written
// backwards from its end; every read and write is checked, so a damaged file
// ends in "PowerPacker: Packed data is corrupt".
class PowerPacker {
public:
    // Unpacks the whole packed file `file`. True when the file was PowerPacker
    // data and unpacked: `output` then holds the unpacked bytes. False
    // otherwise, with `output` left untouched; isPowerPacker() tells whether
    // the file was packed data that failed (true) or is plain data (false).
    bool decompress(const std::uint8_t* file, std::size_t length, std::vector<std::uint8_t>& output);

    bool isPowerPacker() const { return isPowerPacker_; }
    std::size_t decompressedLength() const { return decompressedLength_; }
    const char* statusText() const { return statusText_; }

private:
    bool unpack(const std::uint8_t* file, std::size_t length, const std::uint8_t* efficiency,
                std::vector<std::uint8_t>& out);

    const char* statusText_ = "Not compressed with PowerPacker (PP20)";
    bool isPowerPacker_ = false;
    std::size_t decompressedLength_ = 0;
};

} // namespace notecast
