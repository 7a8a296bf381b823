#pragma once
#include "backend/MidiFileWriter.h"
#include "backend/PianoRoll.h"

#include <string>

namespace notecast {

// The -svg writer: a piano-roll picture (PianoRoll.h) of the MIDI file the
// same settings give. It makes that file's events as the MIDI writer does,
// from the same frames, and at close draws them instead of writing them:
// notes and drum hits with their channels and velocities, the channels'
// bends, their track names, and the tempo grid from the start of the music.
class PianoRollWriter : public MidiFileWriter {
public:
    PianoRollWriter(const WriterSettings& settings, const ChannelMap& channels, TuneCaption caption);

    // False when the picture file cannot be created. The title given here
    // heads the picture.
    bool open(const std::string& fileName, const std::string& title) override;
    // Draws the picture and writes it; false when it could not be written
    // whole.
    bool close() override;

private:
    PianoRoll roll() const;

    TuneCaption caption_;
    bool drawn_ = false;
};

// The picture's file name for an output file: its extension (from the last
// dot of the file's own name) replaced by ".svg", or ".svg" appended when
// there is none. An output that is itself named .svg keeps its name whole,
// so that the picture never takes the output's place.
std::string pictureFileName(const std::string& outputName);

} // namespace notecast
