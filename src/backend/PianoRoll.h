#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

// The tune a picture shows, for its header.
struct TuneCaption {
    std::string title;
    std::string author;
    int song = 0;
    int songs = 0;
    std::uint32_t seconds = 0;  // playing time converted
};

// What a piano-roll picture shows, taken from the events of a MIDI file:
// the notes with their channels and velocities, each channel's bends, the
// channels' names, the tempo grid and the tune's caption. Times are
// microseconds on the file's time base.
struct PianoRoll {
    static constexpr int kChannels = 16;
    static constexpr int kDrumChannel = 9;  // its notes are drum hits

    struct Note {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        int channel = 0;
        int key = 60;  // MIDI key
        int velocity = 127;
    };
    struct Bend {
        std::uint64_t time = 0;
        double semitones = 0.0;
    };

    TuneCaption caption;
    std::vector<Note> notes;                          // in start order
    std::array<std::vector<Bend>, kChannels> bends;   // each in time order
    std::array<std::string, kChannels> channelNames;  // as the tracks are named
    bool hasMusic = false;                // a note was played; bar 1 begins at musicStart
    std::uint64_t musicStart = 0;
    std::uint32_t usPerQuarter = 500000;  // four quarters to the bar
    bool tempoGiven = false;              // fixed by the user rather than estimated
    std::uint64_t end = 0;                // where the time axis ends
};

// The picture as an SVG document. At the top the caption (title; author,
// song, length and tempo) and a legend of the channels that play, each in
// its colour and named as its track. Below it the roll: time across, with
// the seconds above and bar lines (numbered below) from the start of the
// music at the file's tempo; pitch up, a row per semitone with the black
// keys shaded and every C named at both sides. Each note is a bar in its
// channel's colour, fainter when softer; under a bend its bar moves with
// the pitch, so a slide or vibrato draws a bending line. The drum channel's
// notes are marks in a lane of their own under the roll, a row per key,
// named by the General MIDI drum it plays.
//
// Long songs are drawn at a smaller time scale (40 pixels a second up to
// five minutes, then about 12000 pixels across), and notes of a channel at
// one pitch that lie within a pixel and a half of each other are drawn as
// one bar, so that the document stays within a few megabytes.
std::string drawPianoRoll(const PianoRoll& roll);

} // namespace notecast
