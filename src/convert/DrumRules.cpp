#include "convert/DrumRules.h"

#include <cmath>
#include <cstddef>

namespace notecast {

namespace {

// Register value of A4 (440 Hz) in the note table.
constexpr double kA4Register = 7492.0;

constexpr std::uint32_t kBrightNoise = 0x40;  // frequency high byte
constexpr std::uint32_t kDarkNoise = 0x10;
constexpr std::uint32_t kClosedHiHatMs = 150;
constexpr std::uint32_t kOpenHiHatMs = 600;

constexpr double kSweepDrop = 12.0;        // semitones
constexpr std::uint64_t kSweepUs = 100'000;  // to fall that far
constexpr std::size_t kMaxPitches = 64;    // tonal frames looked at
constexpr double kSweepSlack = 0.25;       // a step may rise this much and still fall
constexpr double kSweepStep = 1.0;         // two steps down must fall this much
constexpr double kClimbBack = 2.0;         // semitones above the bottom allowed later
constexpr double kBassDrumBottom = 36.0;   // C2
constexpr double kLowBody = 48.0;          // C3

std::uint8_t tomFor(double startPitch) {
    if (startPitch >= 72.0) return 50;  // high tom
    if (startPitch >= 60.0) return 48;  // hi-mid tom
    if (startPitch >= 48.0) return 47;  // low-mid tom
    if (startPitch >= 36.0) return 45;  // low tom
    return 43;                          // high floor tom
}

DrumSound noiseDrum(std::uint32_t brightness, std::uint32_t soundMs) {
    if (brightness >= kBrightNoise) {
        if (soundMs <= kClosedHiHatMs) return DrumSound::ClosedHiHat;
        return soundMs <= kOpenHiHatMs ? DrumSound::OpenHiHat : DrumSound::Crash;
    }
    if (soundMs > kOpenHiHatMs) return DrumSound::Crash;
    return brightness < kDarkNoise ? DrumSound::BassDrum : DrumSound::Snare;
}

} // namespace

double midiPitch(std::uint32_t frequency) {
    return frequency == 0 ? 0.0 : 69.0 + 12.0 * std::log2(frequency / kA4Register);
}

DrumVerdict classifyDrum(std::span<const NoteFrame> window, std::uint32_t soundMs) {
    std::size_t tonalCount = 0, noiseCount = 0, alternations = 0;
    std::uint64_t noiseHighBytes = 0;
    bool noiseBeforeTone = false, noiseAfterTone = false;
    double pitches[kMaxPitches];
    std::uint64_t times[kMaxPitches];
    std::size_t pitchCount = 0;
    int last = 0;  // 1 tonal, 2 noise: the last sounding frame
    for (const NoteFrame& f : window) {
        if (f.tonal()) {
            ++tonalCount;
            if (pitchCount < kMaxPitches) {
                times[pitchCount] = f.timeUs;
                pitches[pitchCount++] = midiPitch(f.frequency);
            }
            if (last == 2) ++alternations;
            last = 1;
        } else if (f.noise()) {
            ++noiseCount;
            noiseHighBytes += f.frequency >> 8;
            if (tonalCount == 0) noiseBeforeTone = true;
            else noiseAfterTone = true;
            if (last == 1) ++alternations;
            last = 2;
        }
    }
    DrumVerdict verdict;
    if (tonalCount == 0) {
        if (noiseCount != 0)
            verdict.sound = noiseDrum(static_cast<std::uint32_t>(noiseHighBytes / noiseCount), soundMs);
        return verdict;
    }

    // A falling sweep: down step by step to the lowest tonal frame, an
    // octave below the first within kSweepUs, and not back up after.
    std::size_t bottom = 0;
    for (std::size_t i = 1; i < pitchCount; ++i)
        if (pitches[i] < pitches[bottom]) bottom = i;
    std::size_t octaveDown = 0;
    while (octaveDown < pitchCount && pitches[0] - pitches[octaveDown] < kSweepDrop) ++octaveDown;
    bool sweep = octaveDown < pitchCount && times[octaveDown] - times[0] <= kSweepUs;
    std::size_t steps = 0;  // of a semitone or more
    for (std::size_t i = 1; sweep && i <= bottom; ++i) {
        sweep = pitches[i] <= pitches[i - 1] + kSweepSlack;
        if (pitches[i] <= pitches[i - 1] - kSweepStep) ++steps;
    }
    sweep = sweep && steps >= 2;
    for (std::size_t i = bottom + 1; sweep && i < pitchCount; ++i)
        sweep = pitches[i] <= pitches[bottom] + kClimbBack;
    if (sweep) {
        verdict.sweep = true;
        if (noiseBeforeTone || pitches[bottom] < kBassDrumBottom) {
            verdict.sound = DrumSound::BassDrum;
        } else {
            verdict.sound = DrumSound::Tom;
            verdict.tomKey = tomFor(pitches[0]);
        }
        return verdict;
    }

    if (noiseAfterTone && (noiseCount >= tonalCount || alternations >= 3)) {
        const bool darkNoise = noiseHighBytes / noiseCount < kDarkNoise;
        verdict.sound = pitches[0] < kLowBody && darkNoise ? DrumSound::BassDrum : DrumSound::Snare;
    }
    return verdict;
}

} // namespace notecast
