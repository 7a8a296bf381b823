#include "tune/ByteOrder.h"
#include "tune/SidTune.h"

#include <algorithm>

namespace notecast {

namespace {

constexpr std::uint32_t kPsidMagic = 0x50534944;  // "PSID"
// The version 2 header plus two bytes: shorter files cannot hold a tune.
constexpr std::size_t kMinimumLength = 0x7E;

} // namespace

bool SidTune::acceptsPsid(const std::uint8_t* data, std::size_t length) {
    info_.formatText = "";
    if (data == nullptr || length < 6) return false;
    if (readBe32(data) != kPsidMagic) return false;
    const std::uint16_t version = readBe16(data + 4);
    if (version > 4) return false;
    if (length < kMinimumLength) {
        info_.formatText = "ERROR: PSID file is most likely truncated";
        return false;
    }

    // The header must point inside the file, and a load address stored in
    // front of the data needs both its bytes; otherwise the file is cut off.
    std::uint32_t offset = readBe16(data + 6);
    std::uint16_t load = readBe16(data + 8);
    if (offset > length || (load == 0 && length - offset < 2)) {
        info_.formatText = "ERROR: PSID file is most likely truncated";
        return false;
    }

    info_.initAddress = readBe16(data + 10);
    info_.playAddress = readBe16(data + 12);
    info_.songCount = std::min<std::uint16_t>(readBe16(data + 14), kMaxSongs);
    info_.startSong = readBe16(data + 16);

    info_.usesVudidazerPlayer = false;
    clearHeaderFlags();
    if (version >= 2) readHeaderTail(data, version, false);
    speedWordToTables(readBe32(data + 0x12));

    if (load == 0) {
        load = readLe16(data + offset);
        offset += 2;
    }
    info_.loadAddress = load;
    dataOffset_ = offset;
    if (info_.initAddress == 0) info_.initAddress = load;

    readTextFields(data);
    info_.formatText = "PlaySID one-file format (PSID)";
    return true;
}

} // namespace notecast
