#include "emu/C64.h"

#include <initializer_list>

namespace notecast::emu {

namespace {

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

std::uint8_t reg(const C64& m, const SampleChannel& ch, std::uint16_t offset) { return m.io[ch.page + offset]; }
std::uint16_t regWord(const C64& m, const SampleChannel& ch, std::uint16_t offset) {
    return static_cast<std::uint16_t>(reg(m, ch, offset) | (reg(m, ch, offset + 1) << 8));
}
void clearControl(C64& m, const SampleChannel& ch) { m.io[ch.page + kControl] = 0; }

void reportSample(C64& m, std::uint16_t period) {
    m.sampleEvent = period;
    m.sampleEventReported = false;
}

void stop(SampleChannel& ch) {
    ch.playing = false;
    ch.toneMode = false;
    ch.level = 0;
}

// A stop command, or a sample that has played out: the channel is free for
// the next command and its sample is over.
void stopAndClear(C64& m, SampleChannel& ch) {
    stop(ch);
    clearControl(m, ch);
    m.sampleEvent = 0;
}

// Control $FC, $FE or $FF: 4-bit samples from start to end at the period
// given, the control value choosing the output shift.
void startSample(C64& m, SampleChannel& ch, std::uint8_t control) {
    ch.outputShift = control == 0xFC ? 2 : control == 0xFE ? 1 : 0;
    clearControl(m, ch);
    const std::uint16_t start = regWord(m, ch, kStart);
    const std::uint16_t end = regWord(m, ch, kEnd);
    if (end <= start) return;
    ch.repeatsLeft = reg(m, ch, kRepeats);
    ch.repeatAddress = regWord(m, ch, kRepeatAddress);
    ch.nibbleOrder = reg(m, ch, kNibbleOrder);
    const std::uint8_t shift = reg(m, ch, kOctaveShift);
    // A shift past the period's 16 bits leaves nothing of it.
    const std::uint16_t period = shift >= 16 ? 0 : static_cast<std::uint16_t>(regWord(m, ch, kPeriod) >> shift);
    if (period == 0) {
        stop(ch);
        return;
    }
    ch.step = m.sampleStepFactor / period;
    ch.position = static_cast<std::uint64_t>(start) << 16;
    ch.end = end;
    ch.playing = true;
    ch.toneMode = false;
    reportSample(m, period);
}

std::uint16_t tonePeriod(const C64& m, const SampleChannel& ch) {
    const std::uint8_t entry = m.ram[static_cast<std::uint16_t>(ch.toneTable + ch.counter)];
    return static_cast<std::uint16_t>(entry * ch.multiplier + ch.base);
}

// base is never 0 in tone mode, so the period is never 0 either.
std::uint16_t beginTone(const C64& m, SampleChannel& ch) {
    const std::uint16_t period = tonePeriod(m, ch);
    ch.toneStep = 2u * m.sampleStepFactor / period;
    ch.position = 0;
    return period;
}

// Channel 1, control $01-$FB: a sequence of control + 1 tones read backwards
// from the tone table.
void startTones(C64& m, SampleChannel& ch, std::uint8_t control) {
    clearControl(m, ch);
    const std::uint16_t table = static_cast<std::uint16_t>(m.io[0xD41E] | (m.io[0xD41F] << 8));
    const std::uint8_t multiplier = m.io[0xD43F];
    const std::uint8_t base = m.io[0xD45D];
    const std::uint8_t levelStep = m.io[0xD43E] & 0x0Fu;
    const std::uint8_t length = m.io[0xD43D];
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
    reportSample(m, beginTone(m, ch));
}

void playTone(C64& m, SampleChannel& ch) {
    ch.level = ch.wave[(ch.position >> 16) & 0x0Fu];
    ch.position += ch.toneStep;
    if ((ch.position >> 16) < ch.toneLength) return;
    if (ch.counter != 0) {
        --ch.counter;
        beginTone(m, ch);
        return;
    }
    // The sequence is over: the sample it reported ends with it, and a
    // command waiting in the control register is taken up at once.
    stop(ch);
    m.sampleEvent = 0;
    m.stepSampleChannels();
}

void playSample(C64& m, SampleChannel& ch) {
    const std::uint8_t byte = m.ram[static_cast<std::uint16_t>(ch.position >> 16)];
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
    stopAndClear(m, ch);
}

} // namespace

void C64::resetSampleChannels() {
    const double clock = timing.cpuClock;
    const double frequency = timing.frequency;
    sampleStepFactor = frequency > 0 ? static_cast<std::uint32_t>(clock * 0.5 / frequency * 65536.0) : 0;
    sampleChannels[0] = SampleChannel{};
    sampleChannels[1] = SampleChannel{};
    sampleChannels[1].page = 0xD500;
    sampleEvent = 0;
    sampleEventReported = false;
}

void C64::stepSampleChannels() {
    SampleChannel& one = sampleChannels[0];
    SampleChannel& two = sampleChannels[1];
    if (reg(*this, one, kControl) == kStop) stopAndClear(*this, one);
    for (SampleChannel* ch : {&one, &two}) {
        const std::uint8_t control = reg(*this, *ch, kControl);
        if (control >= 0xFC && control != kStop && !(ch->playing && ch->toneMode))
            startSample(*this, *ch, control);
    }
    const std::uint8_t control = reg(*this, one, kControl);
    if (control >= 0x01 && control <= 0xFB && !one.playing) startTones(*this, one, control);
    // Cleared like channel 1's stop: left standing, it would silence
    // channel 1's report again on every frame.
    if (reg(*this, two, kControl) == kStop) stopAndClear(*this, two);
}

void C64::sampleOutput() {
    for (SampleChannel& ch : sampleChannels) {
        if (!ch.playing) continue;
        if (ch.toneMode)
            playTone(*this, ch);
        else
            playSample(*this, ch);
    }
}

std::uint8_t C64::sampleLevel() const {
    return static_cast<std::uint8_t>(sampleChannels[0].level + sampleChannels[1].level);
}

} // namespace notecast::emu
