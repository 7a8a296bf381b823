#include "tune/InfoFileSyntax.h"
#include "tune/SidTune.h"

#include <algorithm>

namespace notecast {

namespace {

constexpr char kMagic[] = "TUNEBOX INFOFILE";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;
constexpr std::size_t kMinimumLength = 18;
constexpr std::size_t kMaxKeyText = 80;
constexpr std::size_t kMaxValue = 80;

bool isLineEnd(std::uint8_t c) { return c == '\r' || c == '\n'; }

// One line of the file, without its line end.
struct Line {
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

// Steps through lines ended by LF, CR or CR LF.
class LineReader {
public:
    LineReader(const std::uint8_t* begin, const std::uint8_t* end) : p_(begin), end_(end) {}
    bool more() const { return p_ < end_; }
    Line next() {
        Line line{p_, p_};
        while (line.end < end_ && !isLineEnd(*line.end)) ++line.end;
        p_ = line.end;
        if (p_ < end_ && *p_ == '\r') ++p_;
        if (p_ < end_ && *p_ == '\n') ++p_;
        return line;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

} // namespace

bool SidTune::acceptsTextInfo(const std::uint8_t* data, std::size_t dataLength,
                              const std::uint8_t* info, std::size_t infoLength) {
    info_.formatText = "";
    if (info == nullptr || infoLength < kMinimumLength) return false;
    if (!matchesKey(reinterpret_cast<const char*>(info), infoLength, kMagic)) {
        return false;
    }

    info_.formatText = "ERROR: SID file is truncated";
    // Values the file does not give are 0, whatever an earlier probe left.
    info_.loadAddress = info_.initAddress = info_.playAddress = 0;
    info_.songCount = info_.startSong = 0;
    dataOffset_ = 0;
    info_.usesVudidazerPlayer = false;
    // A refused probe of another file may have filled the slots; texts the
    // file does not give stay empty.
    resetTextSlots();
    info_.infoLineCount = 0;
    std::uint32_t speedWord = 0;
    unsigned found = 0;

    // The text ends at its first NUL byte.
    const std::uint8_t* const textEnd = std::find(info, info + infoLength, 0);
    LineReader lines(info, textEnd);
    lines.next();  // the magic line
    while (found != kAllKeys && lines.more()) {
        const Line line = lines.next();

        // Blanks may stand anywhere in the key part, so keys are matched
        // against the line with all white space removed.
        char keyText[kMaxKeyText + 1] = {};
        std::size_t keyLength = 0;
        for (const std::uint8_t* p = line.begin; p < line.end && keyLength < kMaxKeyText; ++p) {
            if (!isInfoSpace(*p)) keyText[keyLength++] = static_cast<char>(*p);
        }
        const std::uint8_t* const equals = std::find(line.begin, line.end, '=');
        const std::uint8_t* const value = equals < line.end ? equals + 1 : line.end;
        const auto is = [&](const char* key) { return matchesKey(keyText, keyLength, key); };
        const auto setText = [&](int slot, unsigned flag) {
            const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(line.end - value), kMaxValue);
            std::fill(std::begin(infoSlots_[slot]), std::end(infoSlots_[slot]), '\0');
            std::copy(value, value + n, infoSlots_[slot]);
            found |= flag;
        };

        if (is("ADDRESS=")) {
            InfoNumberReader numbers(value, line.end);
            const std::uint32_t load = numbers.hex();
            // A line that ends before the init address is a cut-off file: the
            // rest of it is not trusted either.
            if (numbers.exhausted()) break;
            const std::uint32_t init = numbers.hex();
            if (numbers.exhausted()) break;
            info_.loadAddress = static_cast<std::uint16_t>(load);
            info_.initAddress = static_cast<std::uint16_t>(init);
            info_.playAddress = static_cast<std::uint16_t>(numbers.hex());
            found |= kKeyAddress;
        } else if (is("NAME=")) {
            setText(0, kKeyName);
        } else if (is("AUTHOR=")) {
            setText(1, kKeyAuthor);
        } else if (is("COPYRIGHT=")) {
            setText(2, kKeyCopyright);
        } else if (is("SONGS=")) {
            InfoNumberReader numbers(value, line.end);
            info_.songCount = static_cast<std::uint16_t>(std::min<std::uint32_t>(numbers.decimal(), kMaxSongs));
            info_.startSong = static_cast<std::uint16_t>(std::min<std::uint32_t>(numbers.decimal(), 0xFFFF));
            found |= kKeySongs;
        } else if (is("SPEED=")) {
            InfoNumberReader numbers(value, line.end);
            speedWord = numbers.hex();
            found |= kKeySpeed;
        } else if (is("SIDSONG=YES")) {
            info_.usesVudidazerPlayer = true;
        }
    }
    if (found == 0) return false;

    return completeRawTune(speedWord, data, dataLength, "Raw plus TUNEBOX ASCII text file (SID)");
}

} // namespace notecast
