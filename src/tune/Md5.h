#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace notecast {

// MD5 message digest (RFC 1321).
class Md5Context {
public:
    Md5Context() { init(); }
    void init();
    void update(const std::uint8_t* data, std::size_t length);
    void finish();
    const std::uint8_t* digest() const { return digest_; }
    // The digest as 32 lower-case hexadecimal digits.
    std::string keyText() const;

private:
    void transform(const std::uint8_t* block);
    std::uint64_t bitCount_ = 0;
    std::uint32_t state_[4] = {};
    std::uint8_t buffer_[64] = {};
    std::uint8_t digest_[16] = {};
};

} // namespace notecast
