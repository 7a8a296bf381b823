#pragma once
// Short ways to write the 6510 code the tests and benchmarks run: register
// stores spelled as (address, value) pairs instead of opcode bytes.
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace notecast::test {

using Code = std::vector<std::uint8_t>;

// LDA #value ; STA address, for each pair in order.
inline Code stores(std::initializer_list<std::pair<std::uint16_t, std::uint8_t>> pairs) {
    Code code;
    for (const auto& [address, value] : pairs)
        code.insert(code.end(), {0xA9, value, 0x8D, static_cast<std::uint8_t>(address),
                                 static_cast<std::uint8_t>(address >> 8)});
    return code;
}

// The pieces one after the other.
inline Code join(std::initializer_list<Code> pieces) {
    Code code;
    for (const Code& piece : pieces) code.insert(code.end(), piece.begin(), piece.end());
    return code;
}

} // namespace notecast::test
