#include "emu/C64.h"

#include <new>

namespace notecast::emu {

C64::C64() : ram{}, ioRom{} {
    installMemoryMode(MemoryMode::BankSwitching);
    resetVoices();
}

void C64::reset() {
    // Trivially destructible: a new value in place is exactly a fresh machine
    // (the images zeroed, the member defaults applied, the pointers into
    // itself set up again).
    new (this) C64();
}

} // namespace notecast::emu
