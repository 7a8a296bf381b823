#include "tune/MusPlayerImage.h"
#include "tune/MusText.h"
#include "tune/SidTune.h"

#include <cstring>

namespace notecast {

namespace {

constexpr std::uint16_t kMusLoadAddress = 0x0900;
constexpr std::uint16_t kPlayerAddress = 0xC000;
constexpr std::uint16_t kPlayerInit = 0xCC90;
constexpr std::size_t kPlayerSize = sizeof(kMusPlayerFile) - 2;
static_assert(kPlayerSize == 3247, "the player occupies $C000-$CCAE");
static_assert(kMusPlayerFile[0] == (kPlayerAddress & 0xFF) &&
                  kMusPlayerFile[1] == (kPlayerAddress >> 8),
              "the player image loads at $C000");

constexpr std::uint8_t kHaltPair[2] = {0x01, 0x4F};

// Bounds-checked reads: a read outside the buffer yields 0 and is remembered.
class CheckedReader {
public:
    CheckedReader(const std::uint8_t* data, std::size_t length) : data_(data), length_(length) {}

    std::uint8_t byte(std::size_t offset) {
        if (data_ == nullptr || offset >= length_) {
            overrun_ = true;
            return 0;
        }
        return data_[offset];
    }
    std::size_t word(std::size_t offset) {
        return byte(offset) | (std::size_t{byte(offset + 1)} << 8);
    }
    // True when the two bytes before `end` are the halt pair.
    bool endsWithHalt(std::size_t end) {
        return end >= 2 && byte(end - 2) == kHaltPair[0] && byte(end - 1) == kHaltPair[1];
    }
    bool overrun() const { return overrun_; }

private:
    const std::uint8_t* data_;
    std::size_t length_;
    bool overrun_ = false;
};

} // namespace

bool SidTune::acceptsMus(const std::uint8_t* data, std::size_t length) {
    info_.formatText = "";
    CheckedReader in(data, length);
    const std::size_t voice2 = in.word(2) + 8;
    const std::size_t voice3 = voice2 + in.word(4);
    const std::size_t text = voice3 + in.word(6);
    // Each voice stream must end with the halt pair, inside the file.
    if (!in.endsWithHalt(voice2) || !in.endsWithHalt(voice3) || !in.endsWithHalt(text)) {
        return false;
    }
    // The player is installed at $C000 after the song is placed at $0900:
    // streams reaching that far would be overwritten and play garbage.
    if (kMusLoadAddress + (text - 2) > kPlayerAddress) return false;
    if (in.overrun()) return false;

    char* slots[kMusTextLines];
    for (int i = 0; i < kMusTextLines; ++i) slots[i] = infoSlot(i);
    readMusTextLines(data, length, text, slots, sizeof infoSlots_[0]);

    info_.loadAddress = kMusLoadAddress;
    info_.initAddress = kPlayerInit;
    info_.playAddress = 0;
    info_.startSong = 1;
    info_.songCount = 1;
    info_.usesVudidazerPlayer = true;
    // Nothing of a PSID header applies; a probe before this one may have
    // left its values in the record.
    clearHeaderFlags();
    info_.infoLineCount = kMusTextLines;
    for (int i = 0; i < kMusTextLines; ++i) info_.infoLines[i] = slots[i];
    // A MUS song has no title, author or copyright field; callers that need
    // a name use the first info line.
    info_.titleText = nullptr;
    info_.authorText = nullptr;
    info_.copyrightText = nullptr;
    dataOffset_ = 2;
    songSpeeds_[0] = kSpeedCia;
    songClocks_[0] = kClockUnknown;
    songLengths_[0] = 0;
    info_.formatText = "C64 Vudidazer format (MUS)";
    return true;
}

bool SidTune::installVudidazerPlayer(std::uint8_t* memory) {
    if (!status_ || memory == nullptr) return false;
    std::memcpy(memory + kPlayerAddress, kMusPlayerFile + 2, kPlayerSize);
    info_.loadAddress = kMusLoadAddress;
    info_.initAddress = kPlayerInit;
    info_.playAddress = 0;
    return true;
}

} // namespace notecast
