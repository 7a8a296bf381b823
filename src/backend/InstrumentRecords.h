#pragma once
#include "emu/SidVoice.h"

#include <array>
#include <cstdint>
#include <set>
#include <vector>

namespace notecast {

// One kind of note: a distinct (trimmed) waveform list.
struct Instrument {
    std::int32_t id = 0;
    std::uint32_t useCount = 0;
    bool hasNoise = false;
    bool endsWithNoise = false;
    std::uint32_t noiseCount = 0;
    bool hasTriangleRing = false;
    bool sharedChannel = false;
    std::uint32_t distinctCount = 0;
    std::uint32_t length = 0;
    std::vector<std::uint8_t> waveforms;
    std::set<int> voices;  // 0..8
};

// MIDI channel of each (voice, instrument id); -1 = not played.
class ChannelMap {
public:
    void reset(std::size_t instrumentCount) {
        for (auto& row : rows_) row.assign(instrumentCount, -1);
    }
    std::int32_t channel(int voice, std::int32_t instrument) const {
        if (voice < 0 || voice >= emu::kMaxVoices || instrument < 0 ||
            static_cast<std::size_t>(instrument) >= rows_[voice].size())
            return -1;
        return rows_[voice][instrument];
    }
    void set(int voice, std::int32_t instrument, std::int32_t channel) {
        rows_[voice].at(instrument) = channel;
    }
    std::size_t instrumentCount() const { return rows_[0].size(); }

private:
    std::array<std::vector<std::int32_t>, emu::kMaxVoices> rows_;
};

} // namespace notecast
