#pragma once
#include "tune/SidTune.h"

#include <cstdint>
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
};

} // namespace notecast::test
