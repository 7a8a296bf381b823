// The parts of the one-file header that PSID and RSID share: the tail of
// the version 2 header and the three text fields.
#include "tune/ByteOrder.h"
#include "tune/SidTune.h"

#include <algorithm>
#include <cstdio>

namespace notecast {

namespace {

constexpr std::size_t kTextField = 32;

// A further chip's address byte b puts it at $D000 + 16 b. Only chips at a
// multiple of $20 in $D420-$D7E0 or $DE00-$DFE0 can exist: the rest would sit
// on the VIC, the first SID, colour RAM or the CIAs.
bool validChipByte(std::uint8_t b) {
    return (b & 1u) == 0 && ((b >= 0x42 && b <= 0x7E) || b >= 0xE0);
}

std::uint16_t chipBase(std::uint8_t b) { return static_cast<std::uint16_t>(0xD000 + 16 * b); }

std::string warning(const char* format, unsigned value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

void SidTune::readHeaderTail(const std::uint8_t* data, std::uint16_t version, bool rsid) {
    const std::uint16_t flags = readBe16(data + 0x76);
    info_.usesVudidazerPlayer = !rsid && (flags & 0x01) != 0;
    info_.psidSpecific = (flags & 0x02) != 0;
    info_.clock = static_cast<std::uint8_t>((flags >> 2) & 0x03);
    info_.sidModel = static_cast<std::uint8_t>((flags >> 4) & 0x03);
    info_.relocStartPage = data[0x78];
    info_.relocPageCount = data[0x79];
    info_.reservedWord = readBe16(data + 0x7A);
    if (version < 3) return;

    // An address the chip cannot have means "no such chip", not a broken
    // file; a third chip where the second one is, or a third without a
    // second, would make no sense either way.
    std::uint8_t second = data[0x7A];
    std::uint8_t third = version >= 4 ? data[0x7B] : 0;
    if (second != 0 && !validChipByte(second)) {
        info_.headerWarnings.push_back(
            warning("WARNING: Second SID address byte $%02X is not valid; the chip is left out", second));
        second = 0;
    }
    if (third != 0 && !validChipByte(third)) {
        info_.headerWarnings.push_back(
            warning("WARNING: Third SID address byte $%02X is not valid; the chip is left out", third));
        third = 0;
    }
    if (third != 0 && third == second) {
        info_.headerWarnings.push_back(
            warning("WARNING: Third SID at $%04X, where the second one is; the chip is left out",
                    chipBase(third)));
        third = 0;
    }
    if (third != 0 && second == 0) {
        info_.headerWarnings.push_back(
            warning("WARNING: Third SID at $%04X without a second one; it is used as the second",
                    chipBase(third)));
        second = third;
        third = 0;
        info_.sid2Model = static_cast<std::uint8_t>((flags >> 8) & 0x03);
    } else {
        info_.sid2Model = static_cast<std::uint8_t>((flags >> 6) & 0x03);
        if (third != 0) info_.sid3Model = static_cast<std::uint8_t>((flags >> 8) & 0x03);
    }
    if (second == 0) info_.sid2Model = 0;
    info_.sid2Address = second != 0 ? chipBase(second) : 0;
    info_.sid3Address = third != 0 ? chipBase(third) : 0;
}

void SidTune::readTextFields(const std::uint8_t* data) {
    resetTextSlots();
    const std::size_t fields[3] = {0x16, 0x36, 0x56};
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t* text = data + fields[i];
        const std::uint8_t* end = std::find(text, text + kTextField - 1, 0);
        std::copy(text, end, infoSlot(i));
    }
}

} // namespace notecast
