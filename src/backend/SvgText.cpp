#include "backend/SvgText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace notecast {

namespace {

// The length of the UTF-8 sequence that starts at text[i], or 0 when none
// does (a stray continuation byte, an overlong form, a surrogate, a code
// point beyond U+10FFFF, or a sequence cut short).
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    std::uint32_t point = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    if (overlong || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return 0;
    // U+FFFE and U+FFFF are no XML characters either.
    if (point == 0xFFFE || point == 0xFFFF) return 0;
    return length;
}

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void appendAscii(std::string& out, char c) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&apos;"; break;
    default:
        // Tabs and line ends would be folded into blanks anyway; the other
        // control characters are not allowed at all.
        if (static_cast<std::uint8_t>(c) < 0x20 || c == 0x7F)
            out += ' ';
        else
            out += c;
    }
}

} // namespace

void appendXmlText(std::string& out, std::string_view text) {
    if (validUtf8(text)) {
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t length = utf8Length(text, i);
            if (length == 1)
                appendAscii(out, text[i]);
            else
                out.append(text, i, length);
            i += length;
        }
        return;
    }
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            appendAscii(out, c);
        } else if (byte < 0xA0) {
            out += ' ';  // C1 control codes
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
}

void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) value = 0.0;
    value = std::fmax(-1e9, std::fmin(value, 1e9));
    // Tenths as an integer: no "-0", no exponent, no locale.
    const long long tenths = std::llround(value * 10.0);
    char digits[32];
    const char* end = std::to_chars(digits, digits + sizeof digits, tenths / 10).ptr;
    if (tenths < 0 && tenths > -10) out += '-';
    out.append(digits, static_cast<std::size_t>(end - digits));
    if (tenths % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + std::llabs(tenths % 10));
    }
}

} // namespace notecast
