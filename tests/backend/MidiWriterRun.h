#pragma once
#include "backend/MidiFileWriter.h"
#include "support/MidiListing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace notecast::test {

// Drives a MidiFileWriter the way the conversion run does, with hand-made
// voice records. Defaults: tempo fixed at 100 bpm and 120 ticks per quarter
// (5000 microseconds per tick, a 20 ms frame is 4 ticks), instrument 0 on
// voice v plays on channel v, voices gated with a pulse wave at full level.
struct MidiWriterRun {
    WriterSettings settings;
    ChannelMap channels;
    Instrument instrument;  // handed with every gateOn
    std::unique_ptr<MidiFileWriter> writer;
    std::filesystem::path file;
    emu::SidVoice voice[3];

    MidiWriterRun() {
        settings.autoTempo = false;
        channels.reset(1);
        for (int v = 0; v < 3; ++v) channels.set(v, 0, v);
        instrument.length = 1;
        instrument.distinctCount = 1;
        instrument.waveforms = {0x40};
        for (auto& r : voice) {
            r.control = 0x41;
            r.envLevel = 255;
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        file = scratchDir(std::string(info->test_suite_name()) + "." + info->name()) / "out.mid";
    }

    MidiFileWriter& open(const std::string& title = "Test Tune") {
        writer = std::make_unique<MidiFileWriter>(settings, channels);
        EXPECT_TRUE(writer->open(file.string(), title));
        return *writer;
    }

    // The calls below return the run, so that one moment reads as one line:
    // run.at(20).held(0, f).gateOn(1, g);
    MidiWriterRun& at(std::uint32_t ms) {
        writer->clock().setTime(ms / 1000, ms % 1000 * 1000);
        return *this;
    }

    emu::SidVoice& set(int v, std::uint32_t frequency, std::uint8_t control = 0x41) {
        voice[v].frequencyRegister = frequency;
        voice[v].control = control;
        return voice[v];
    }
    MidiWriterRun& gateOn(int v, std::uint32_t frequency, std::uint8_t control = 0x41) {
        set(v, frequency, control);
        writer->setInstrument(v, 0, instrument);
        writer->voiceGateOn(voice[v], v);
        return *this;
    }
    MidiWriterRun& held(int v, std::uint32_t frequency, std::uint8_t control = 0x41) {
        writer->voiceHeld(set(v, frequency, control), v);
        return *this;
    }
    MidiWriterRun& released(int v, std::uint32_t frequency, std::uint8_t control = 0x40) {
        writer->voiceGateOff(set(v, frequency, control), v);
        return *this;
    }
    // A frame with the envelope emulation: the envelope call, then (with a
    // frequency) the pitch.
    MidiWriterRun& envelope(int v, std::uint32_t frequency, std::uint8_t control, std::uint8_t level,
                            std::uint8_t state, std::uint16_t pulseWidth = 0) {
        emu::SidVoice& r = set(v, frequency, control);
        r.envLevel = level;
        r.envState = state;
        r.pulseWidth = pulseWidth;
        writer->voiceEnvelope(r, v);
        if (frequency != 0) writer->voiceHeld(r, v);
        return *this;
    }
    MidiWriterRun& sampleOn(int channel, int period) {
        writer->sampleOn(channel, period);
        return *this;
    }
    MidiWriterRun& sampleOff(int channel) {
        writer->sampleOff(channel, 0);
        return *this;
    }

    std::vector<std::string> finish(std::uint32_t ms) {
        at(ms);
        EXPECT_TRUE(writer->close());
        return midiListing(file);
    }
    std::string finishBody(std::uint32_t ms) { return joinLines(midiBody(finish(ms))); }
};

} // namespace notecast::test
