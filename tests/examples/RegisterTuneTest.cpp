// Tunes made of SID register values, one row a frame, converted end to end and
// compared with their listings in tests/golden: hard sync in every situation,
// and notes whose gate opens before their frequency arrives.
#include "convert/Converter.h"
#include "support/MidiListing.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <array>

namespace notecast {
namespace {

// A tune whose play routine copies one row of its table to $D400-$D418 per call:
//   $1000 init  LDA #$00 : STA $F0 : LDA #$11 : STA $F1 : RTS     ($F0) = the table at $1100
//   $1009 play  LDY #$00
//   $100B loop  LDA ($F0),Y : STA $D400,Y : INY : CPY #$19 : BNE loop
//   $1015       CLC : LDA $F0 : ADC #$19 : STA $F0 : BCC + : INC $F1
//   $1020 +     RTS
struct RegisterTune {
    std::vector<std::array<std::uint8_t, 25>> rows;

    // The next frame: the one before with some registers changed.
    RegisterTune& frame(std::initializer_list<std::pair<int, int>> changes) {
        std::array<std::uint8_t, 25> row = rows.empty() ? std::array<std::uint8_t, 25>{} : rows.back();
        for (auto [reg, value] : changes) row[static_cast<std::size_t>(reg)] = static_cast<std::uint8_t>(value);
        rows.push_back(row);
        return *this;
    }
    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> code = {0xA9, 0x00, 0x85, 0xF0, 0xA9, 0x11, 0x85, 0xF1, 0x60, 0xA0, 0x00,
                                          0xB1, 0xF0, 0x99, 0x00, 0xD4, 0xC8, 0xC0, 0x19, 0xD0, 0xF6, 0x18,
                                          0xA5, 0xF0, 0x69, 0x19, 0x85, 0xF0, 0x90, 0x02, 0xE6, 0xF1, 0x60};
        code.resize(0x100);
        for (const auto& row : rows) code.insert(code.end(), row.begin(), row.end());
        return test::PsidBuilder{.play = 0x1009, .code = code}.build();
    }
};

// Settings for one second of MIDI (or of the text dump) with a change.
ConverterSettings midi(void (*change)(ConverterSettings&) = nullptr) {
    ConverterSettings settings;
    settings.playSeconds = 1;
    if (change != nullptr) change(settings);
    return settings;
}

// The dump of a conversion of the tune, or the listing of its MIDI file.
std::string convert(const RegisterTune& registers, const std::string& name,
                    const ConverterSettings& settings = midi([](ConverterSettings& s) { s.outputMode = OutputMode::Text; })) {
    const auto bytes = registers.build();
    SidTune tune(bytes.data(), bytes.size());
    EXPECT_TRUE(tune.status());
    Converter converter;
    converter.configure(settings);
    converter.initSong(tune, 1);
    const auto out = test::scratchDir(name) / "out";
    converter.run(out.string(), true, nullptr);
    if (settings.outputMode == OutputMode::Midi) return test::joinLines(test::midiListing(out));
    const auto text = test::readFile(out);
    return std::string(text.begin(), text.end());
}

TEST(RegisterTunes, HardSyncTakesTheSourcePitchUnlessItIsAnOctaveAbove) {
    // Voice 2 at 500 ($01F4) is synchronised by voice 1 and synchronises
    // voice 3; two frames per situation, its frequency column shows the pitch
    // it is played with: the source's (58 Hz, 0 Hz) or its own (29 Hz).
    const int f1 = 0, f2 = 7, f3 = 14, c1 = 4, c2 = 11, c3 = 18;
    RegisterTune t;
    t.frame({{f2, 0xF4}, {f2 + 1, 0x01}, {f1, 0xE8}, {f1 + 1, 0x03}, {c1, 0x40}, {c2, 0x42}, {c3, 0x42}})
        .frame({})                                       // source at 1000, an octave above: not synced
        .frame({{f1, 0xE7}}).frame({})                   // 999, less than an octave above
        .frame({{f1, 0xE8}, {c3, 0x40}}).frame({})       // voice 3 not synced: the octave rule is off
        .frame({{c3, 0x42}, {c1, 0x48}}).frame({})       // source in test mode
        .frame({{c1, 0x40}, {f1, 0}, {f1 + 1, 0}}).frame({})  // source stopped
        .frame({{c2, 0x40}}).frame({})                   // no sync bit
        // All three synchronised in a ring, each seeing the pitches already changed.
        .frame({{f1, 0xE8}, {f1 + 1, 0x03}, {f2, 0xB8}, {f2 + 1, 0x0B}, {c1, 0x42}, {c2, 0x42}, {f3, 0xF4},
                {f3 + 1, 0x01}})
        .frame({});
    test::expectGolden("register-tune-sync", convert(t, "register-sync"));
}

TEST(RegisterTunes, AGateBeforeItsFrequencyStartsTheNoteWhenThePitchArrives) {
    // Voice 1: gate and pulse wave with no frequency for two frames, then A-4
    // (7492, $1D44); then the gate without a waveform, and the waveform later.
    RegisterTune t;
    t.frame({{4, 0x41}}).frame({}).frame({{0, 0x44}, {1, 0x1D}}).frame({}).frame({{4, 0x40}})
        .frame({{4, 0x01}}).frame({}).frame({{4, 0x41}}).frame({});
    test::expectGolden("register-tune-gate", convert(t, "register-gate"));
    test::expectGolden("register-tune-gate-midi", convert(t, "register-gate-midi", midi()));
}

TEST(RegisterTunes, TheFrequencyChangeAllowanceBelongsToEachVoicesNote) {
    // Voice 1 starts a little above A-4 (7600, $1DB0), bends further (7700,
    // $1E14) and back (7492) while voice 2 starts A-3 (3746, $0EA2); then a new
    // note on voice 1 a little above C-5 (8940, $22EC) bends to 8960 ($2300).
    // With -if every note starts unbent and nothing bends; with -if2 the start
    // and one more change of each note are bent.
    RegisterTune t;
    t.frame({{0, 0xB0}, {1, 0x1D}, {4, 0x41}}).frame({{0, 0x14}, {1, 0x1E}, {7, 0xA2}, {8, 0x0E}, {11, 0x41}})
        .frame({{0, 0x44}, {1, 0x1D}}).frame({{4, 0x40}}).frame({{0, 0xEC}, {1, 0x22}, {4, 0x41}})
        .frame({{0, 0x00}, {1, 0x23}}).frame({});
    test::expectGolden("register-tune-if0", convert(t, "register-if0", midi([](ConverterSettings& s) { s.frequencyChangeLimit = 0; })));
    test::expectGolden("register-tune-if2", convert(t, "register-if2", midi([](ConverterSettings& s) { s.frequencyChangeLimit = 2; })));
}

TEST(RegisterTunes, NoiseLevelsDropDrumsAndDelayNoiseBursts) {
    // Voice 2 holds A-3 throughout. Voice 1 plays A-4 twice: a noise burst
    // then a pulse tone (at level 0 the note starts with the tone), and a
    // pulse tone ending in noise (a drum, left out at level 1); from level 2
    // on every noise instrument plays at its gate.
    RegisterTune t;
    t.frame({{7, 0xA2}, {8, 0x0E}, {11, 0x41}, {0, 0x44}, {1, 0x1D}, {4, 0x81}}).frame({}).frame({{4, 0x41}})
        .frame({}).frame({{4, 0x40}}).frame({{4, 0x41}}).frame({}).frame({{4, 0x81}}).frame({}).frame({{4, 0x80}});
    test::expectGolden("register-tune-noise0", convert(t, "register-noise0", midi()));
    test::expectGolden("register-tune-noise1", convert(t, "register-noise1", midi([](ConverterSettings& s) { s.noiseLevel = 1; })));
    test::expectGolden("register-tune-noise2", convert(t, "register-noise2", midi([](ConverterSettings& s) { s.noiseLevel = 2; })));
}

} // namespace
} // namespace notecast
