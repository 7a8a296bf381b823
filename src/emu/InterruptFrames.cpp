#include "emu/InterruptFrames.h"

namespace notecast::emu {

// A record whose push lies below the current stack pointer was left without
// its RTI (the handler reset the stack, or never returned and the stack
// moved on).
void InterruptFrames::dropUnwound(std::uint8_t sp) {
    while (depth_ > 0 && records_[depth_ - 1].sp < sp) --depth_;
}

bool InterruptFrames::isPlayer(std::uint16_t handler) const {
    for (int i = 0; i < playerCount_; ++i)
        if (players_[i] == handler) return true;
    return false;
}

void InterruptFrames::enter(Device device, std::uint16_t handler, std::uint8_t sp, std::uint64_t now,
                            std::uint32_t sidWrites) {
    dropUnwound(sp);
    const auto d = static_cast<unsigned>(device);
    const bool musicRate = !seen_[d] || now - lastEntry_[d] >= kMinimumSpacing;
    seen_[d] = true;
    lastEntry_[d] = now;
    if (depth_ == kMaxDepth) {
        // Deeper than any real program nests: the outermost is forgotten.
        for (int i = 1; i < kMaxDepth; ++i) records_[i - 1] = records_[i];
        --depth_;
    }
    records_[depth_++] = Record{handler, sp, musicRate, sidWrites, 0};
}

bool InterruptFrames::leave(std::uint8_t sp, std::uint32_t sidWrites) {
    // Some players leave bytes on the stack (or take some) and still end
    // with RTI: it ends the innermost record it does not lie above.
    dropUnwound(sp);
    if (depth_ == 0) return false;
    const Record r = records_[--depth_];
    const std::uint32_t all = sidWrites - r.writesAtEntry;
    if (depth_ > 0) records_[depth_ - 1].nestedWrites += all;
    if (!r.musicRate) return false;
    if (all - r.nestedWrites == 0) return isPlayer(r.handler);
    if (!isPlayer(r.handler) && playerCount_ < kMaxPlayers) players_[playerCount_++] = r.handler;
    return true;
}

} // namespace notecast::emu
