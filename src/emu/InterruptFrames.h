#pragma once
#include <cstdint>

namespace notecast::emu {

// The device whose output an interrupt answers.
enum class Device : std::uint8_t { Cia1, Cia2, Vic };

// Decides which interrupt handler runs make a frame of an interrupt-driven
// tune. Every interrupt the CPU takes opens a record (its device, its
// handler's address, the stack pointer after the push, the SID writes
// counted so far); the handler's RTI closes it. A closed
// record makes a frame when its device interrupted at least kMinimumSpacing
// cycles after its previous interrupt (a device's first passes: music
// handlers run a few times a frame at most, sample players every few hundred
// cycles), and when the handler itself wrote the SID (writes of interrupts
// nested in it do not count) - in this run or, for a player that leaves the
// SID alone now and then, in an earlier one. Records that a handler unwound
// without returning are dropped.
class InterruptFrames {
public:
    static constexpr std::uint64_t kMinimumSpacing = 1000;

    void reset() { *this = InterruptFrames{}; }

    // An interrupt was entered; `sp` is the stack pointer after its push.
    void enter(Device device, std::uint16_t handler, std::uint8_t sp, std::uint64_t now,
               std::uint32_t sidWrites);
    // An RTI pulls from sp + 1: it ends the innermost open record whose push
    // it does not lie above. True when that record makes a frame.
    bool leave(std::uint8_t sp, std::uint32_t sidWrites);

    // True inside a handler of the sample rate (spacing below the minimum):
    // what it writes to the volume register is a sample, not the music's.
    bool inSampleHandler() const { return depth_ > 0 && !records_[depth_ - 1].musicRate; }
    int depth() const { return depth_; }

private:
    struct Record {
        std::uint16_t handler = 0;
        std::uint8_t sp = 0;
        bool musicRate = false;
        std::uint32_t writesAtEntry = 0;
        std::uint32_t nestedWrites = 0;
    };
    static constexpr int kMaxDepth = 16;
    static constexpr int kMaxPlayers = 8;

    void dropUnwound(std::uint8_t sp);
    bool isPlayer(std::uint16_t handler) const;

    Record records_[kMaxDepth];
    int depth_ = 0;
    std::uint64_t lastEntry_[3] = {};
    bool seen_[3] = {};
    std::uint16_t players_[kMaxPlayers] = {};  // handlers that wrote the SID at music rate
    int playerCount_ = 0;
};

} // namespace notecast::emu
