#include "emu/C64.h"

#include "emu/MachineState.h"

#include <initializer_list>

namespace notecast::emu {

namespace {

C64& M = detail::theMachine;

// Register offsets within a channel's I/O page ($D4xx or $D5xx).
constexpr std::uint16_t kControl = 0x1D;
constexpr std::uint16_t kStart = 0x1E;
constexpr std::uint16_t kEnd = 0x3D;
constexpr std::uint16_t kRepeats = 0x3F;
constexpr std::uint16_t kPeriod = 0x5D;
constexpr std::uint16_t kOctaveShift = 0x5F;
constexpr std::uint16_t kNibbleOrder = 0x7D;
constexpr std::uint16_t kRepeatAddress = 0x7E;

constexpr std::uint8_t kStop = 0xFD;
constexpr std::uint8_t kEndlessRepeats = 0xFF;

std::uint8_t reg(const SampleChannel& ch, std::uint16_t offset) { return M.io[ch.page + offset]; }
std::uint16_t regWord(const SampleChannel& ch, std::uint16_t offset) {
    return static_cast<std::uint16_t>(reg(ch, offset) | (reg(ch, offset + 1) << 8));
}
void clearControl(const SampleChannel& ch) { M.io[ch.page + kControl] = 0; }

void reportSample(std::uint16_t period) {
    M.sampleEvent = period;
    M.sampleEventReported = false;
}

void stop(SampleChannel& ch) {
    ch.playing = false;
    ch.toneMode = false;
    ch.level = 0;
}

// A stop command, or a sample that has played out: the channel is free for
// the next command and its sample is over.
void stopAndClear(SampleChannel& ch) {
    stop(ch);
    clearControl(ch);
    M.sampleEvent = 0;
}

// Control $FC, $FE or $FF: 4-bit samples from start to end at the period
// given, the control value choosing the output shift.
void startSample(SampleChannel& ch, std::uint8_t control) {
    ch.outputShift = control == 0xFC ? 2 : control == 0xFE ? 1 : 0;
    clearControl(ch);
    const std::uint16_t start = regWord(ch, kStart);
    const std::uint16_t end = regWord(ch, kEnd);
    if (end <= start) return;
    ch.repeatsLeft = reg(ch, kRepeats);
    ch.repeatAddress = regWord(ch, kRepeatAddress);
    ch.nibbleOrder = reg(ch, kNibbleOrder);
    const std::uint8_t shift = reg(ch, kOctaveShift);
    // A shift past the period's 16 bits leaves nothing of it.
    const std::uint16_t period = shift >= 16 ? 0 : static_cast<std::uint16_t>(regWord(ch, kPeriod) >> shift);
    if (period == 0) {
        stop(ch);
        return;
    }
    ch.step = M.sampleStepFactor / period;
    ch.position = static_cast<std::uint64_t>(start) << 16;
    ch.end = end;
    ch.playing = true;
    ch.toneMode = false;
    reportSample(period);
}

std::uint16_t tonePeriod(const SampleChannel& ch) {
    const std::uint8_t entry = M.ram[static_cast<std::uint16_t>(ch.toneTable + ch.counter)];
    return static_cast<std::uint16_t>(entry * ch.multiplier + ch.base);
}

// base is never 0 in tone mode, so the period is never 0 either.
std::uint16_t beginTone(SampleChannel& ch) {
    const std::uint16_t period = tonePeriod(ch);
    ch.toneStep = 2u * M.sampleStepFactor / period;
    ch.position = 0;
    return period;
}

// Channel 1, control $01-$FB: a sequence of control + 1 tones read backwards
// from the tone table.
void startTones(SampleChannel& ch, std::uint8_t control) {
    clearControl(ch);
    const std::uint16_t table = static_cast<std::uint16_t>(M.io[0xD41E] | (M.io[0xD41F] << 8));
    const std::uint8_t multiplier = M.io[0xD43F];
    const std::uint8_t base = M.io[0xD45D];
    const std::uint8_t levelStep = M.io[0xD43E] & 0x0Fu;
    const std::uint8_t length = M.io[0xD43D];
    if (table == 0 || multiplier == 0 || base == 0 || levelStep == 0 || length == 0) return;

    std::uint8_t level = 0;
    for (std::uint8_t& w : ch.wave) {
        level = static_cast<std::uint8_t>((level + levelStep) & 0x0Fu);
        w = level;
    }
    ch.counter = control;
    ch.toneTable = table;
    ch.multiplier = multiplier;
    ch.base = base;
    ch.toneLength = length;
    ch.playing = true;
    ch.toneMode = true;
    reportSample(beginTone(ch));
}

void playTone(SampleChannel& ch) {
    ch.level = ch.wave[(ch.position >> 16) & 0x0Fu];
    ch.position += ch.toneStep;
    if ((ch.position >> 16) < ch.toneLength) return;
    if (ch.counter != 0) {
        --ch.counter;
        beginTone(ch);
        return;
    }
    // The sequence is over: the sample it reported ends with it, and a
    // command waiting in the control register is taken up at once.
    stop(ch);
    M.sampleEvent = 0;
    stepSampleChannels();
}

void playSample(SampleChannel& ch) {
    const std::uint8_t byte = M.ram[static_cast<std::uint16_t>(ch.position >> 16)];
    const bool secondNibble = (ch.position & 0x8000u) != 0;
    const bool highNibble = secondNibble == (ch.nibbleOrder == 0);
    const std::uint8_t nibble = highNibble ? byte >> 4 : byte & 0x0Fu;
    ch.level = static_cast<std::uint8_t>(nibble >> ch.outputShift);
    ch.position += ch.step;
    if ((ch.position >> 16) < ch.end) return;
    if (ch.repeatsLeft != 0 && ch.repeatAddress < ch.end) {
        if (ch.repeatsLeft != kEndlessRepeats) --ch.repeatsLeft;
        ch.position = static_cast<std::uint64_t>(ch.repeatAddress) << 16;
        return;
    }
    stopAndClear(ch);
}

} // namespace

void resetSampleChannels() {
    const double clock = M.timing.cpuClock;
    const double frequency = M.timing.frequency;
    M.sampleStepFactor = frequency > 0 ? static_cast<std::uint32_t>(clock * 0.5 / frequency * 65536.0) : 0;
    M.sampleChannels[0] = SampleChannel{};
    M.sampleChannels[1] = SampleChannel{};
    M.sampleChannels[1].page = 0xD500;
    M.sampleEvent = 0;
    M.sampleEventReported = false;
}

void stepSampleChannels() {
    SampleChannel& one = M.sampleChannels[0];
    SampleChannel& two = M.sampleChannels[1];
    if (reg(one, kControl) == kStop) stopAndClear(one);
    for (SampleChannel* ch : {&one, &two}) {
        const std::uint8_t control = reg(*ch, kControl);
        if (control >= 0xFC && control != kStop && !(ch->playing && ch->toneMode))
            startSample(*ch, control);
    }
    const std::uint8_t control = reg(one, kControl);
    if (control >= 0x01 && control <= 0xFB && !one.playing) startTones(one, control);
    // Cleared like channel 1's stop: left standing, it would silence
    // channel 1's report again on every frame.
    if (reg(two, kControl) == kStop) stopAndClear(two);
}

void sampleOutput() {
    for (SampleChannel& ch : M.sampleChannels) {
        if (!ch.playing) continue;
        if (ch.toneMode)
            playTone(ch);
        else
            playSample(ch);
    }
}

std::uint8_t sampleLevel() {
    return static_cast<std::uint8_t>(M.sampleChannels[0].level + M.sampleChannels[1].level);
}

} // namespace notecast::emu
