#pragma once
#include "convert/ConversionRecords.h"
#include "emu/SidVoice.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace notecast {

// Groups each voice's frames into notes and the notes into instruments by
// their waveform list, then gives the instruments MIDI channels.
//
// startNote keeps a pointer to the note's start snapshot and writes the
// instrument id into it when the note ends: the snapshots must not move while
// the capture runs (the converter keeps them in a deque).
class NoteTracker {
public:
    static constexpr std::size_t kMaxWaveforms = 16;

    void reset();
    void addWaveform(int voice, std::uint8_t control);
    void startNote(int voice, FrameSnapshot& start);
    void endNote(int voice);

    const std::vector<Instrument>& instruments() const { return instruments_; }

    // One allocation attempt on a copy of the instrument list; rebuilds map.
    static bool allocateChannels(std::vector<Instrument> instruments, int attempt,
                                 int noiseLevel, ChannelMap& map);
    // Folds a repeating waveform cycle to one period (exposed for tests).
    static void trim(std::vector<std::uint8_t>& list, std::size_t limit);

private:
    struct NoteCapture {
        bool active = false;
        std::vector<std::uint8_t> waveforms;
        FrameSnapshot* start = nullptr;
    };
    NoteCapture notes_[emu::kMaxVoices];
    std::vector<Instrument> instruments_;  // in order of discovery: id = position
    // Instrument id by waveform list, the list padded with zeros (which no
    // entry is, so lists of different lengths stay apart). A tune that makes
    // up a new list for every note must not make each note search all the
    // lists before it.
    using ListKey = std::array<std::uint8_t, kMaxWaveforms>;
    std::map<ListKey, std::int32_t> ids_;
};

} // namespace notecast
