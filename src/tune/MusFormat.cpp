#include "tune/SidTune.h"

namespace notecast {

// MUS songs are not recognised yet.
bool SidTune::acceptsMus(const std::uint8_t*, std::size_t) { return false; }

bool SidTune::installVudidazerPlayer(std::uint8_t*) { return false; }

} // namespace notecast
