#include "convert/MachineCapture.h"

#include "convert/FrameCapture.h"
#include "emu/SystemRom.h"

#include <algorithm>
#include <cstdio>

namespace notecast {

namespace {

// Snapshots come once a handler returns, or after this many video frames
// without one.
constexpr std::uint64_t kTimedAfterFrames = 3;
// Music sets the volume a few times a frame at most; samples played through
// it come at a few kHz.
constexpr std::uint64_t kSampleRateHz = 2000;
constexpr std::uint32_t kMinimumSamples = 4;

std::string secondsText(std::uint64_t cycles, std::uint32_t clock) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(cycles) / clock);
    return text;
}

} // namespace

MachineCapture::MachineCapture(EmuEngine& engine, NoteTracker& tracker,
                               std::deque<FrameSnapshot>& frames, std::uint32_t playSeconds)
    : engine_(engine),
      tracker_(tracker),
      frames_(frames),
      end_(std::uint64_t{playSeconds} * engine.machine().timing.cpuClock),
      videoFrame_(engine.machine().vic.frameCycles()) {}

std::uint64_t MachineCapture::samplesAt(std::uint64_t cycles) const {
    const emu::Timing& t = engine_.machine().timing;
    return t.cpuClock == 0 ? 0 : cycles * t.frequency / t.cpuClock;
}

bool MachineCapture::step(FrameClock& clock) {
    emu::C64& m = engine_.machine();
    while (!over_) {
        const std::uint64_t deadline = last_ + (timed_ ? 1 : kTimedAfterFrames) * videoFrame_;
        const emu::MachineStop stop = engine_.runMachine(std::min(deadline, end_));
        if (m.cycles >= end_ || stop == emu::MachineStop::Halted) {
            finish(stop == emu::MachineStop::Halted ? std::min(m.haltCycle, end_) : end_);
            return false;
        }
        if (stop == emu::MachineStop::Frame) {
            take(m.cycles, clock);
            timed_ = false;
            return true;
        }
        if (m.cycles >= deadline) {
            take(m.cycles, clock);
            timed_ = true;
            return true;
        }
    }
    return false;
}

std::uint16_t MachineCapture::volumeSamplePeriod(std::uint64_t cycles) {
    const emu::C64& m = engine_.machine();
    const std::uint32_t writes = m.volumeWrites - volumeWrites_;
    volumeWrites_ = m.volumeWrites;
    const std::uint64_t span = cycles - last_;
    if (writes < kMinimumSamples || writes * std::uint64_t{m.timing.cpuClock} < kSampleRateHz * span) return 0;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(span / writes, 0xFFFF));
}

void MachineCapture::take(std::uint64_t cycles, FrameClock& clock) {
    emu::C64& m = engine_.machine();
    const std::uint16_t samplePeriod = volumeSamplePeriod(cycles);
    if (taken_) {
        frames_.back().samples = static_cast<std::uint32_t>(samplesAt(cycles) - samplesAt(last_));
        frames_.back().volumeSamplePeriod = samplePeriod;
    }
    FrameSnapshot& frame = frames_.emplace_back();
    const std::uint32_t hz = m.timing.cpuClock;
    frame.seconds = static_cast<std::uint32_t>(cycles / hz);
    frame.microseconds = static_cast<std::uint32_t>(1000000.0 / hz * static_cast<double>(cycles % hz) + 0.5);
    captureRegisters(m, frame);
    frame.sidRegisters[0x18] = m.musicVolume;
    trackGates(m, frame, tracker_);
    // The gate flags gather from one snapshot to the next.
    std::fill(std::begin(m.gateSet), std::end(m.gateSet), false);
    std::fill(std::begin(m.gateCleared), std::end(m.gateCleared), false);
    last_ = cycles;
    taken_ = true;
    clock.setTime(frame.seconds, frame.microseconds);
}

void MachineCapture::finish(std::uint64_t cycles) {
    if (taken_ && !over_) {
        frames_.back().samples = static_cast<std::uint32_t>(samplesAt(std::max(cycles, last_)) - samplesAt(last_));
        frames_.back().volumeSamplePeriod = volumeSamplePeriod(std::max(cycles, last_));
    }
    over_ = true;
}

std::vector<std::string> MachineCapture::warnings() const {
    const emu::C64& m = engine_.machine();
    std::vector<std::string> texts;
    for (int n = 0; n < emu::kKernalEntries; ++n) {
        if ((m.kernalCalls >> n & 1u) == 0) continue;
        char text[120];
        std::snprintf(text, sizeof text,
                      "WARNING: The tune called the KERNAL routine at $%04X, which is not emulated; "
                      "the call returned at once.",
                      unsigned{emu::kFirstKernalEntry} + 3u * static_cast<unsigned>(n));
        texts.emplace_back(text);
    }
    if (m.halt != emu::MachineHalt::None && m.haltCycle < end_) {
        texts.push_back(std::string("WARNING: The tune ") +
                        (m.halt == emu::MachineHalt::Brk ? "executed BRK" : "reset the C64") + " after " +
                        secondsText(m.haltCycle, m.timing.cpuClock) + " seconds; the conversion ends there.");
    }
    return texts;
}

} // namespace notecast
