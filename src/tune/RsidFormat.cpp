#include "tune/ByteOrder.h"
#include "tune/SidTune.h"

#include <algorithm>
#include <cstdio>

namespace notecast {

namespace {

constexpr std::uint32_t kRsidMagic = 0x52534944;  // "RSID"
constexpr std::size_t kHeaderLength = 0x7C;
// Data below this would overwrite what the machine itself needs: the zero
// page, the stack, the system's work area and its vectors. (A real C64 also
// keeps the screen below $07E8, but nothing here displays it, and tunes
// converted from play-routine files load from $03EC on.)
constexpr std::uint32_t kLowestLoad = 0x0334;


} // namespace

// An RSID tune runs on the whole machine: the header only says where the
// data goes and where to start. Every field a play-routine tune would use
// must be 0, and a tune that needs the BASIC interpreter cannot run here.
bool SidTune::acceptsRsid(const std::uint8_t* data, std::size_t length) {
    info_.formatText = "";
    refusedRsid_ = false;
    if (data == nullptr || length < 4 || readBe32(data) != kRsidMagic) return false;

    char text[96] = "";
    const auto refuse = [&]() {
        refusalText_ = text;
        info_.formatText = refusalText_.c_str();
        refusedRsid_ = true;
        return false;
    };
    if (length < kHeaderLength + 2) {
        std::snprintf(text, sizeof text, "ERROR: RSID file is most likely truncated");
        return refuse();
    }
    const std::uint16_t version = readBe16(data + 4);
    if (version < 2 || version > 4) {
        std::snprintf(text, sizeof text, "ERROR: RSID version %u is not valid", unsigned{version});
        return refuse();
    }
    const struct {
        std::size_t at;
        const char* name;
    } zeroFields[] = {{0x08, "load address"}, {0x0C, "play address"}, {0x12, "speed"}};
    for (const auto& field : zeroFields) {
        const bool zero = field.at == 0x12 ? readBe32(data + field.at) == 0 : readBe16(data + field.at) == 0;
        if (!zero) {
            std::snprintf(text, sizeof text, "ERROR: RSID header field %s must be 0", field.name);
            return refuse();
        }
    }
    const std::uint16_t flags = readBe16(data + 0x76);
    if (flags & 0x02) {
        std::snprintf(text, sizeof text, "ERROR: RSID tune needs the C64 BASIC interpreter (not supported)");
        return refuse();
    }
    if (flags & 0x01) {
        std::snprintf(text, sizeof text, "ERROR: RSID tune with MUS data is not supported");
        return refuse();
    }
    if (readBe16(data + 6) != kHeaderLength) {
        std::snprintf(text, sizeof text, "ERROR: RSID data offset must be $007C");
        return refuse();
    }

    const std::uint32_t load = readLe16(data + kHeaderLength);
    const std::uint32_t bytes = static_cast<std::uint32_t>(length - kHeaderLength - 2);
    const std::uint32_t last = load + bytes - 1;  // one below load when there are none
    if (load < kLowestLoad || load + bytes > 0x10000) {
        std::snprintf(text, sizeof text, "ERROR: RSID load range $%04X-$%04X is not valid", unsigned{load},
                      unsigned{last});
        return refuse();
    }
    std::uint32_t init = readBe16(data + 0x0A);
    if (init == 0) init = load;
    // Init may lie under a ROM: the tune's data shows through there (see the
    // machine's bus).
    if (init < load || init > last) {
        std::snprintf(text, sizeof text, "ERROR: RSID init address $%04X is not valid", unsigned{init});
        return refuse();
    }

    clearHeaderFlags();
    info_.usesVudidazerPlayer = false;
    readHeaderTail(data, version, true);
    info_.interruptDriven = true;
    info_.loadAddress = static_cast<std::uint16_t>(load);
    info_.initAddress = static_cast<std::uint16_t>(init);
    info_.playAddress = 0;
    info_.songCount = std::min<std::uint16_t>(readBe16(data + 14), kMaxSongs);
    info_.startSong = readBe16(data + 16);
    // No speed field: the song-length database's key counts every song of
    // such a tune as timer-driven.
    speedWordToTables(0xFFFFFFFFu);
    dataOffset_ = kHeaderLength + 2;
    readTextFields(data);
    info_.formatText = "Real C64 one-file format (RSID)";
    return true;
}

} // namespace notecast
