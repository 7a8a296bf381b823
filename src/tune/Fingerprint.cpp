#include "tune/Md5.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

namespace notecast {

void SidTune::createFingerprint(Md5Context& md5) {
    if (cache_.empty() || !status_) return;

    // The header and a load address stored in front of the data stay out, so
    // the same music keeps its key in every format that holds it.
    md5.update(cache_.data() + dataOffset_, info_.c64DataLength);
    const auto addWord = [&md5](std::uint16_t value) {
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                       static_cast<std::uint8_t>(value >> 8)};
        md5.update(bytes, 2);
    };
    addWord(info_.initAddress);
    addWord(info_.playAddress);
    addWord(info_.songCount);
    for (std::uint16_t song = 1; song <= info_.songCount; ++song) {
        selectSongClocked(song);
        md5.update(&info_.songSpeed, 1);
    }
    if (info_.clock == kClockNtsc) md5.update(&info_.clock, 1);
}

std::string fingerprintKey(SidTune& tune) {
    if (!tune.status() || tune.cachedFile().empty()) return {};
    Md5Context md5;
    tune.createFingerprint(md5);
    md5.finish();
    return md5.keyText();
}

std::string fileMd5Key(const SidTune& tune) {
    const std::vector<std::uint8_t>& file = tune.cachedFile();
    if (!tune.status() || file.empty()) return {};
    Md5Context md5;
    md5.update(file.data(), file.size());
    md5.finish();
    return md5.keyText();
}

} // namespace notecast
