#pragma once
#include "tune/SidTune.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace notecast::test {

// A tune that lets tests call the format recognisers one by one and see what
// each leaves in the record, as the container sees it between probes.
class TuneProbe : public SidTune {
public:
    TuneProbe() : SidTune(static_cast<const char*>(nullptr)) {}

    bool psid(const std::vector<std::uint8_t>& file) { return acceptsPsid(file.data(), file.size()); }
    bool textInfo(const std::vector<std::uint8_t>* data, const std::string& info) {
        return acceptsTextInfo(data ? data->data() : nullptr, data ? data->size() : 0,
                               reinterpret_cast<const std::uint8_t*>(info.data()), info.size());
    }
    bool tooltype(const std::vector<std::uint8_t>* data, const std::vector<std::uint8_t>& info) {
        return acceptsTooltypeInfo(data ? data->data() : nullptr, data ? data->size() : 0,
                                   info.data(), info.size());
    }
    std::string format() const { return getInfo().formatText; }
    std::uint8_t speedOf(int song) const { return songSpeeds_[song - 1]; }
    // The speed table of songs first..last, one letter a song: 'C' for CIA
    // timing, 'V' for the vertical blank.
    std::string speeds(int first, int last) const {
        std::string out;
        for (int song = first; song <= last; ++song) out += speedOf(song) == kSpeedCia ? 'C' : 'V';
        return out;
    }
};

// Where a tune's code sits and how its songs are numbered, on one line:
// "load $1000 init $1000 play $1003 songs 3/2 offset $7C".
inline std::string layout(const SidTune& tune) {
    const SidTuneInfo i = tune.getInfo();
    char text[80];
    std::snprintf(text, sizeof text, "load $%04X init $%04X play $%04X songs %u/%u offset $%X",
                  unsigned{i.loadAddress}, unsigned{i.initAddress}, unsigned{i.playAddress},
                  unsigned{i.songCount}, unsigned{i.startSong}, unsigned{tune.dataOffset()});
    return text;
}

} // namespace notecast::test
