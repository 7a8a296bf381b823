#include "emu/C64.h"

#include "emu/MachineState.h"

#include <new>

namespace notecast::emu {

namespace detail {
C64 theMachine;
}

C64& machine() { return detail::theMachine; }

void resetMachine() {
    C64& m = detail::theMachine;
    // C64 is trivially destructible; value-initialisation zeroes both images
    // and then applies the member defaults, exactly as at process start.
    new (&m) C64();
    installMemoryMode(kMemoryBankSwitching);
}

} // namespace notecast::emu
