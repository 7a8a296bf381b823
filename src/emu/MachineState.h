#pragma once
#include "emu/C64.h"

namespace notecast::emu::detail {

// The one machine of the process. The memory handlers and the CPU reach it
// directly rather than through machine(), which keeps their hot paths free
// of a call.
extern C64 theMachine;

} // namespace notecast::emu::detail
