#pragma once
#include <iosfwd>

namespace notecast {

struct SidTuneInfo;

// The tune's information lines: the three credits (or the description lines
// of formats that have no credits) always; with verbose also the format and
// the load, init and play addresses. The texts are printed as the file holds
// them, byte for byte.
void printTuneInfo(std::ostream& out, const SidTuneInfo& info, bool verbose);

} // namespace notecast
