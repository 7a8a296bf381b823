// The MIDI writer with the DAW options: drum, click and split cues,
// velocities, programs and track names, the tempo from all channels. (The
// format-1 files of real tunes are checked by check_midi.py daw.)
#include "backend/ChannelSound.h"
#include "backend/MidiWriterRun.h"

#include <cstdio>

namespace notecast::test {
namespace {

constexpr std::uint32_t kA4 = 7492;  // MIDI 69 (0x45)
constexpr std::uint32_t kC5 = 8910;  // MIDI 72
constexpr std::uint32_t kA3 = 3746;  // MIDI 57 (0x39)
constexpr std::uint32_t kA2 = 1873;  // MIDI 45

NoteCue drum(std::uint8_t key) {
    NoteCue c;
    c.kind = NoteCue::Kind::Start;
    c.drumKey = key;
    return c;
}

NoteCue click(std::uint8_t offset, std::uint32_t frequency) {
    NoteCue c;
    c.kind = NoteCue::Kind::Start;
    c.tonalOffset = offset;
    c.tonalFrequency = frequency;
    return c;
}

NoteCue split() {
    NoteCue c;
    c.kind = NoteCue::Kind::Split;
    return c;
}

TEST(DawWriter, CuesMakeDrumHitsClickNotesAndSplits) {
    MidiWriterRun run;
    run.settings.drumKit = true;
    run.settings.clickPitch = true;
    run.settings.splitNotes = true;
    run.channels.reset(2);
    run.channels.set(0, 0, 0);
    run.channels.set(1, 1, 9);  // a pure-noise sound on the drum channel
    run.open();
    // A click: noise for two frames, then the tone the note starts with.
    run.writer->setNoteCue(0, click(2, kA3));
    run.at(0).gateOn(0, 0x7500, 0x81);
    run.at(20).held(0, 0x7000, 0x81).at(40).held(0, kA3).at(60).held(0, 3800);
    // A split: the held note steps to A4.
    run.writer->setNoteCue(0, split());
    run.at(80).held(0, kA4);
    // A drum hit ends at the voice's next note; a sound on the drum channel
    // without a drum cue plays nothing.
    run.writer->setNoteCue(0, drum(36));
    run.at(100).gateOn(0, 0x2000, 0x81);
    run.at(120).held(0, 0x1000, 0x41);
    Instrument noise = run.instrument;
    noise.id = 1;
    run.set(1, 0x9000, 0x81);
    run.writer->setInstrument(1, 1, noise);
    run.writer->voiceGateOn(run.voice[1], 1);
    run.at(140).gateOn(0, kA4);
    EXPECT_EQ(run.finishBody(160),
              "00 | E0 00 40\n00 | 90 39 7F\n"
              "0C | E0 29 41\n"  // no bend before the frame after the first tonal one
              "04 | 80 39 7F\n00 | E0 00 40\n00 | 90 45 7F\n"
              "04 | 80 45 7F\n00 | 99 24 7F\n"
              "08 | 89 24 7F\n00 | 90 45 7F\n"
              "04 | 80 45 7F\n00 | FF 2F 00\n");
    // The bend range is 12, sent to every channel.
    const std::vector<std::string> listing = midiListing(run.file);
    EXPECT_NE(std::find(listing.begin(), listing.end(), "00 | B0 06 0C"), listing.end());
}

TEST(DawWriter, VelocityFollowsEnvelopePeakHeldLevelVolumeAndPulseWidth) {
    struct Case {
        const char* what;
        std::uint8_t peak, held;
        int volume;
        std::uint16_t pulseWidth;
        bool drum;
        int velocity;
    };
    const Case cases[] = {
        {"full and held", 255, 255, 15, 0x800, false, 127},
        {"held at half", 255, 128, 15, 0x800, false, 102},  // 127 * (0.6 + 0.4 * 128/255)
        {"a ghost: half peak, nothing held", 128, 0, 15, 0x800, false, 38},
        {"half volume", 255, 255, 7, 0x800, false, 59},
        {"thin pulse", 255, 255, 15, 0x100, false, 107},  // 0.7 + 0.3 * 2 sqrt(1/16 * 15/16)
        {"drum: the held level does not count", 255, 0, 15, 0x800, true, 127},
    };
    for (const Case& c : cases) {
        MidiWriterRun run;
        run.settings.envelopeEmulation = true;
        run.settings.envelopeVelocity = true;
        run.settings.drumKit = true;
        run.open();
        run.writer->setVolume(c.volume);
        run.voice[0].pulseWidth = c.pulseWidth;
        if (c.drum) run.writer->setNoteCue(0, drum(38));
        run.at(0).gateOn(0, kA4);
        // Attack to the peak with the gate held, then the release.
        run.at(20).envelope(0, kA4, 0x41, c.peak, emu::kEnvDecay, c.pulseWidth);
        run.at(40).envelope(0, kA4, 0x41, c.held, emu::kEnvSustain, c.pulseWidth);
        run.at(60).envelope(0, kA4, 0x40, c.held / 2 + 6, emu::kEnvRelease, c.pulseWidth);
        const std::vector<std::string> body = midiBody(run.finish(80));
        char on[16];
        std::snprintf(on, sizeof on, " %02X", c.velocity);
        ASSERT_GE(body.size(), 2u) << c.what;
        const std::string& noteOn = c.drum ? body[0] : body[1];
        EXPECT_EQ(noteOn.substr(noteOn.size() - 3), on) << c.what << ": " << noteOn;
    }
}

// A channel's program and track name from what its notes sounded like.
TEST(DawWriter, ChannelSoundsChooseProgramAndName) {
    const struct {
        const char* what;
        std::uint32_t frequency;
        std::uint8_t control, sustainRelease;
        bool movingPulse;
        int program;  // 0-based
    } cases[] = {
        {"held pulse lead", kC5, 0x41, 0x89, false, 80},
        {"pulse with moving width", kC5, 0x41, 0x89, true, 50},
        {"decaying sawtooth", kC5, 0x21, 0x09, false, 62},
        {"triangle bass", kA2, 0x11, 0x89, false, 33},
        {"ring-modulated triangle", kC5, 0x15, 0x89, false, 98},
        {"hard-synced pulse, decaying", kC5, 0x43, 0x0A, false, 29},
    };
    for (const auto& c : cases) {
        ChannelSound sound;
        Instrument instrument;
        instrument.waveforms = {static_cast<std::uint8_t>(c.control & 0xF6)};
        sound.noteStarted(0, instrument, c.frequency == kA2 ? 45 : 72, c.sustainRelease);
        emu::SidVoice voice;
        voice.frequencyRegister = c.frequency;
        voice.control = c.control;
        for (std::uint16_t frame = 0; frame < 8; ++frame) {
            voice.pulseWidth = static_cast<std::uint16_t>(c.movingPulse ? 0x100 * frame : 0x800);
            sound.frame(voice, 0);
        }
        EXPECT_EQ(sound.program(), c.program) << c.what;
    }
    ChannelSound shared;
    Instrument lead, chords;
    lead.waveforms = {0x80, 0x40, 0x20};
    chords.id = 1;
    chords.waveforms = {0x14};
    shared.noteStarted(2, lead, 60, 0);
    shared.noteStarted(0, lead, 60, 0);
    shared.noteStarted(0, chords, 60, 0);
    EXPECT_EQ(shared.trackName(), "Voices 1 and 3: noise \xE2\x86\x92 pulse \xE2\x86\x92 sawtooth and 1 more sound");
}

// Notes that gates start on channel 1 only, every half second, with steps
// within the gates in between: the tempo is 120 from all channels, and the
// provisional 100 from channel 0 alone.
TEST(DawWriter, TempoFromTheGatesOfAllChannels) {
    for (bool allChannels : {false, true}) {
        MidiWriterRun run;
        run.settings.autoTempo = true;
        run.settings.tempoFromAllChannels = allChannels;
        run.settings.splitNotes = true;
        run.open();
        for (std::uint32_t ms = 0; ms < 4000; ms += 500) {
            run.at(ms).gateOn(1, kA4);
            run.writer->setNoteCue(1, split());
            run.at(ms + 180).held(1, kC5);
        }
        const std::vector<std::string> listing = run.finish(4000);
        const std::string tempo = allChannels ? "00 | FF 51 03 07 A1 20" : "00 | FF 51 03 09 27 C0";
        EXPECT_NE(std::find(listing.begin(), listing.end(), tempo), listing.end()) << allChannels;
    }
}

} // namespace
} // namespace notecast::test
