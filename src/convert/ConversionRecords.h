#pragma once
#include "backend/InstrumentRecords.h"
#include "emu/SidVoice.h"

#include <array>
#include <cstdint>
#include <memory>

namespace notecast {

// Voices 4-9 of one frame of a tune for two or three SID chips: the second
// chip's voices, then the third's.
struct FurtherChips {
    static constexpr int kVoices = emu::kMaxVoices - emu::kVoicesPerChip;
    std::array<std::int32_t, kVoices> instrument{-1, -1, -1, -1, -1, -1};
    std::array<std::uint8_t, kVoices> gateSet{};
    std::array<std::uint8_t, kVoices> gateCleared{};
    // The second chip's $00-$18, then the third's.
    std::array<std::uint8_t, 25 * (emu::kMaxSidChips - 1)> sidRegisters{};
};

// Owns a FurtherChips record, or none; copies copy the record.
class FurtherChipsBox {
public:
    FurtherChipsBox() = default;
    FurtherChipsBox(const FurtherChipsBox& other)
        : record_(other.record_ ? std::make_unique<FurtherChips>(*other.record_) : nullptr) {}
    FurtherChipsBox& operator=(const FurtherChipsBox& other) {
        if (this != &other) record_ = other.record_ ? std::make_unique<FurtherChips>(*other.record_) : nullptr;
        return *this;
    }
    FurtherChipsBox(FurtherChipsBox&&) noexcept = default;
    FurtherChipsBox& operator=(FurtherChipsBox&&) noexcept = default;
    ~FurtherChipsBox() = default;

    FurtherChips* get() const { return record_.get(); }
    FurtherChips& make() {
        if (!record_) record_ = std::make_unique<FurtherChips>();
        return *record_;
    }

private:
    std::unique_ptr<FurtherChips> record_;
};

// What one play call left in the SID chips. The first chip's voices (1-3,
// numbered 0-2 here) are kept in the snapshot itself; a tune for several
// chips keeps voices 4-9 (3-8) in `further`, so that the frames of ordinary
// tunes stay as small as they were. The functions below reach any voice; a
// voice or chip the frame does not have reads as silent.
struct FrameSnapshot {
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0;
    std::array<std::int32_t, 3> instrument{-1, -1, -1};  // id of a note starting here
    std::uint32_t samples = 0;
    std::array<std::uint8_t, 3> gateSet{};
    std::array<std::uint8_t, 3> gateCleared{};
    std::array<std::uint8_t, 25> sidRegisters{};     // $D400-$D418
    std::array<std::uint8_t, 12> sampleRegisters{};  // $D41D-F, $D43D-F, $D45D-F, $D47D-F
    // Samples played through the volume register up to the next snapshot:
    // cycles between two of them, 0 for none (interrupt-driven tunes only).
    std::uint16_t volumeSamplePeriod = 0;
    FurtherChipsBox further;

    // The 25 registers ($00-$18) of chip c (0-2).
    const std::uint8_t* chipRegisters(int c) const {
        static constexpr std::array<std::uint8_t, 25> kSilentChip{};
        if (c == 0) return sidRegisters.data();
        const FurtherChips* f = further.get();
        return f != nullptr && c < emu::kMaxSidChips ? f->sidRegisters.data() + 25 * (c - 1) : kSilentChip.data();
    }
    // Register r (0-6) of voice v (0-8).
    std::uint8_t voiceRegister(int v, int r) const {
        if (v < emu::kVoicesPerChip) return sidRegisters[static_cast<std::size_t>(7 * v + r)];
        return chipRegisters(v / emu::kVoicesPerChip)[7 * (v % emu::kVoicesPerChip) + r];
    }
    std::uint8_t voiceGateSet(int v) const {
        if (v < emu::kVoicesPerChip) return gateSet[static_cast<std::size_t>(v)];
        const FurtherChips* f = further.get();
        return f != nullptr ? f->gateSet[static_cast<std::size_t>(v - emu::kVoicesPerChip)] : 0;
    }
    std::uint8_t voiceGateCleared(int v) const {
        if (v < emu::kVoicesPerChip) return gateCleared[static_cast<std::size_t>(v)];
        const FurtherChips* f = further.get();
        return f != nullptr ? f->gateCleared[static_cast<std::size_t>(v - emu::kVoicesPerChip)] : 0;
    }
    std::int32_t voiceInstrument(int v) const {
        if (v < emu::kVoicesPerChip) return instrument[static_cast<std::size_t>(v)];
        const FurtherChips* f = further.get();
        return f != nullptr ? f->instrument[static_cast<std::size_t>(v - emu::kVoicesPerChip)] : -1;
    }
    void setVoiceInstrument(int v, std::int32_t id) {
        if (v < emu::kVoicesPerChip) {
            instrument[static_cast<std::size_t>(v)] = id;
        } else if (FurtherChips* f = further.get(); f != nullptr) {
            f->instrument[static_cast<std::size_t>(v - emu::kVoicesPerChip)] = id;
        }
    }
};

} // namespace notecast
