#pragma once
#include <cstdint>

namespace notecast {

// Progress callback of a conversion. The base class does nothing; the
// conversion uses it when it is given no sink.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void begin(std::uint32_t totalSeconds) { (void)totalSeconds; }
    virtual void update(std::uint32_t secondsDone) { (void)secondsDone; }
    virtual void end() {}
};

} // namespace notecast
