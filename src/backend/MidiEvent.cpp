#include "backend/MidiEvent.h"

namespace notecast {

void appendVariableLength(std::string& out, std::uint32_t value) {
    if (value > kMaxVariableLength) value = kMaxVariableLength;
    char groups[4];
    int n = 0;
    do {
        groups[n++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1) out.push_back(static_cast<char>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

} // namespace notecast
