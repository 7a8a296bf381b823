#pragma once
#include "convert/ProgressSink.h"

#include <cstdint>
#include <iosfwd>

namespace notecast {

// Thirty "#" marks over the whole run, then " (100%)".
class ConsoleProgress : public ProgressSink {
public:
    explicit ConsoleProgress(std::ostream& out);
    void begin(std::uint32_t totalSeconds) override;
    void update(std::uint32_t secondsDone) override;
    void end() override;
    std::int32_t marks() const { return marks_; }

private:
    std::ostream& out_;
    // In thousandths of a second; 64 bits so that no playing time overflows.
    std::int64_t threshold_ = 0;
    std::int64_t step_ = 0;
    std::int32_t marks_ = 0;
};

// Asks whether an existing output file may be overwritten. End of input
// counts as "n".
bool askOverwrite(std::istream& in, std::ostream& out);

} // namespace notecast
