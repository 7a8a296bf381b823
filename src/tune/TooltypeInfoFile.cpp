#include "tune/ByteOrder.h"
#include "tune/InfoFileSyntax.h"
#include "tune/SidTune.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace notecast {

namespace {

constexpr std::uint16_t kIconMagic = 0xE310;
constexpr std::uint16_t kIconVersion = 1;
constexpr std::uint8_t kProjectIcon = 4;
constexpr std::size_t kMinimumLength = 79;
constexpr std::size_t kRendersStart = 0x4E;
constexpr std::size_t kBorderHeader = 16;
constexpr std::size_t kImageHeader = 20;
constexpr std::size_t kMaxTooltype = 64;
constexpr std::size_t kMaxText = 31;

const char kIncomplete[] = "ERROR: Info file is incomplete or corrupt";
const char kNoStrings[] = "ERROR: Info file does not contain required strings";

// Bounds-checked reading through the icon file.
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t length, std::size_t position)
        : data_(data), length_(length), position_(position) {}

    std::size_t position() const { return position_; }
    bool beyondEnd() const { return position_ > length_; }
    bool has(std::size_t n) const { return position_ <= length_ && length_ - position_ >= n; }
    const std::uint8_t* here() const { return data_ + position_; }

    bool skip(std::uint64_t n) {
        if (position_ > length_ || n > length_ - position_) return false;
        position_ += static_cast<std::size_t>(n);
        return true;
    }
    bool read32(std::uint32_t& value) {
        if (!has(4)) return false;
        value = readBe32(data_ + position_);
        position_ += 4;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t length_;
    std::size_t position_;
};

// A border: 16 bytes and 4 bytes per point pair.
bool skipBorder(Cursor& in) {
    if (!in.has(kBorderHeader)) return false;
    const std::uint64_t pairs = in.here()[7];
    return in.skip(kBorderHeader + 4 * pairs);
}

// An image: 20 bytes and its bitmap, one plane per plane-pick bit among the
// image's depth.
bool skipImage(Cursor& in) {
    if (!in.has(kImageHeader)) return false;
    const std::uint8_t* image = in.here();
    const std::uint64_t width = readBe16(image + 4);
    const std::uint64_t height = readBe16(image + 6);
    const unsigned depth = readBe16(image + 8);
    const unsigned pick = image[14];
    const unsigned mask = depth >= 8 ? 0xFFu : (1u << depth) - 1;
    const std::uint64_t planes = static_cast<unsigned>(std::popcount(pick & mask));
    return in.skip(kImageHeader + (width + 15) / 16 * height * planes * 2);
}

} // namespace

bool SidTune::acceptsTooltypeInfo(const std::uint8_t* data, std::size_t dataLength,
                                  const std::uint8_t* info, std::size_t infoLength) {
    info_.formatText = "";
    if (info == nullptr || infoLength < kMinimumLength) return false;
    if (readBe16(info) != kIconMagic || readBe16(info + 2) != kIconVersion ||
        info[0x30] != kProjectIcon) {
        return false;
    }

    const bool images = (info[0x11] & 0x04) != 0;
    const bool gadgetRender = readBe32(info + 0x16) != 0;
    const bool selectRender = readBe32(info + 0x1A) != 0;
    const std::size_t first = images ? 99 : 95;
    const std::size_t second = images ? 20 : 16;
    if (gadgetRender && infoLength < first) return false;
    if (selectRender && infoLength < (gadgetRender ? first : kMinimumLength) + second) return false;

    Cursor in(info, infoLength, kRendersStart);
    bool complete = true;
    const auto skipRender = images ? skipImage : skipBorder;
    if (gadgetRender) complete = skipRender(in);
    if (complete && selectRender) complete = skipRender(in);
    if (!complete || in.beyondEnd()) {
        info_.formatText = kIncomplete;
        return false;
    }

    std::uint32_t toolLength = 0;
    if (!in.read32(toolLength) || !in.skip(toolLength)) {
        info_.formatText = kIncomplete;
        return false;
    }
    dataOffset_ = 0;
    info_.usesVudidazerPlayer = false;
    info_.loadAddress = info_.initAddress = info_.playAddress = 0;
    info_.songCount = info_.startSong = 0;
    // A refused probe of another file may have filled the slots; texts the
    // file does not give stay empty.
    resetTextSlots();
    info_.infoLineCount = 0;
    std::uint32_t speedWord = 0;
    unsigned found = 0;

    std::uint32_t countWord = 0;
    if (!in.read32(countWord)) {
        info_.formatText = kIncomplete;
        return false;
    }
    const std::int64_t count = static_cast<std::int32_t>(countWord) / 4 - 1;
    if (count <= 0) {
        info_.formatText = kNoStrings;
        return false;
    }

    for (std::int64_t t = 0; t < count; ++t) {
        std::uint32_t length = 0;
        if (!in.read32(length) || length > kMaxTooltype || !in.has(length)) return false;
        char tooltype[kMaxTooltype] = {};
        std::memcpy(tooltype, in.here(), length);
        in.skip(length);

        const auto is = [&](const char* key) { return matchesKey(tooltype, length, key); };
        const auto after = [&](std::size_t keyLength) {
            return InfoNumberReader(reinterpret_cast<const std::uint8_t*>(tooltype) + keyLength,
                                    reinterpret_cast<const std::uint8_t*>(tooltype) + length);
        };
        const auto setText = [&](int slot, std::size_t keyLength, unsigned flag) {
            const char* text = tooltype + keyLength;
            const char* end = tooltype + length;
            const std::size_t n =
                std::min(kMaxText, static_cast<std::size_t>(std::find(text, end, '\0') - text));
            std::fill(std::begin(infoSlots_[slot]), std::end(infoSlots_[slot]), '\0');
            std::memcpy(infoSlots_[slot], text, n);
            found |= flag;
        };

        if (is("ADDRESS=")) {
            InfoNumberReader numbers = after(8);
            const std::uint32_t load = numbers.hex();
            bool ranOut = numbers.exhausted();
            const std::uint32_t init = numbers.hex();
            ranOut = ranOut || numbers.exhausted();
            const std::uint32_t play = numbers.hex();
            if (ranOut || numbers.exhausted()) {
                info_.formatText = kIncomplete;
                return false;
            }
            info_.loadAddress = static_cast<std::uint16_t>(load);
            info_.initAddress = static_cast<std::uint16_t>(init);
            info_.playAddress = static_cast<std::uint16_t>(play);
            found |= kKeyAddress;
        } else if (is("SONGS=")) {
            InfoNumberReader numbers = after(6);
            info_.songCount = static_cast<std::uint16_t>(std::min<std::uint32_t>(numbers.decimal(), kMaxSongs));
            info_.startSong = static_cast<std::uint16_t>(std::min<std::uint32_t>(numbers.decimal(), 0xFFFF));
            found |= kKeySongs;
        } else if (is("SPEED=")) {
            speedWord = after(6).hex();
            found |= kKeySpeed;
        } else if (is("NAME=")) {
            setText(0, 5, kKeyName);
        } else if (is("AUTHOR=")) {
            setText(1, 7, kKeyAuthor);
        } else if (is("COPYRIGHT=")) {
            setText(2, 10, kKeyCopyright);
        } else if (is("SIDSONG=YES")) {
            info_.usesVudidazerPlayer = true;
        }
    }
    if (found != kAllKeys) {
        info_.formatText = found == 0 ? kNoStrings : kIncomplete;
        return false;
    }

    return completeRawTune(speedWord, data, dataLength, "Raw plus PlaySID icon tooltype file (INFO)");
}

} // namespace notecast
