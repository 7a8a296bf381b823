#pragma once
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace notecast {

// What both kinds of info file have in common: the same keys, matched at the
// start of a line or tooltype ignoring letter case, and the same numbers.

// True when `text` (of `length` characters) begins with the upper-case `key`.
inline bool matchesKey(const char* text, std::size_t length, const char* key) {
    const std::size_t keyLength = std::strlen(key);
    if (length < keyLength) return false;
    for (std::size_t i = 0; i < keyLength; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != key[i]) return false;
    }
    return true;
}

// White space as both kinds of info file skip it.
inline bool isInfoSpace(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The six keys a complete description has, as flags.
enum InfoKey : unsigned {
    kKeyAddress = 1,
    kKeyName = 2,
    kKeyAuthor = 4,
    kKeyCopyright = 8,
    kKeySongs = 16,
    kKeySpeed = 32,
    kAllKeys = 63
};

// Reads the numbers of info files from a run of characters, skipping white
// space before each character. A number ends at ',' or ':' (consumed), at a
// NUL byte (left in place) or where the characters run out. Characters other
// than digits are not refused; they count with the digit value the rule
// below gives them, as the info files were always read.
class InfoNumberReader {
public:
    InfoNumberReader(const std::uint8_t* begin, const std::uint8_t* end) : p_(begin), end_(end) {}

    // True when the last number ended because the characters ran out.
    bool exhausted() const { return exhausted_; }

    std::uint32_t hex() {
        return read([](std::uint32_t value, unsigned c) {
            const unsigned upper = c & 0xDF;
            const unsigned digit = upper < 0x3A ? (c & 0x0F) : upper - 0x37;
            return (value << 4) + digit;
        });
    }

    std::uint32_t decimal() {
        return read([](std::uint32_t value, unsigned c) { return value * 10 + (c & 0x0F); });
    }

private:
    template <typename Step>
    std::uint32_t read(Step step) {
        std::uint32_t value = 0;
        exhausted_ = false;
        for (;;) {
            while (p_ < end_ && isInfoSpace(*p_)) ++p_;
            if (p_ == end_) {
                exhausted_ = true;
                return value;
            }
            const unsigned c = *p_;
            if (c == 0) return value;
            ++p_;
            if (c == ',' || c == ':') return value;
            value = step(value, c);
        }
    }

    const std::uint8_t* p_;
    const std::uint8_t* end_;
    bool exhausted_ = false;
};

} // namespace notecast
