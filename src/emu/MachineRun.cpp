// The run loop of the whole machine: instructions, and between them the
// devices' events and the interrupts.
#include "emu/C64.h"

#include "emu/CpuStep.h"

#include <algorithm>

namespace notecast::emu {

namespace {

using Core = cpu::Core<cpu::MachineModel>;

constexpr unsigned kInterruptCycles = 7;

enum class Served { Continue, Stop };

// The interrupt sequence: PC and the status (B clear) pushed, I set, the
// handler's address from the vector through the current banking.
void enterInterrupt(C64& m, Core& c, bool nmi, Device device) {
    const std::uint64_t entry = c.cycles;
    // The handler may change what a loop at the interrupted address does.
    m.spinAt = C64::kNoSpin;
    c.push(static_cast<std::uint8_t>(c.pc >> 8));
    c.push(static_cast<std::uint8_t>(c.pc));
    c.push(static_cast<std::uint8_t>((c.status() & ~0x10u) | 0x20u));
    c.p |= 0x04u;
    c.pc = m.readVector(nmi ? 0xFFFA : 0xFFFE);
    c.cycles += kInterruptCycles;
    // The handler is the tune's: through the system's entries, the one its
    // KERNAL vector names.
    std::uint16_t handler = static_cast<std::uint16_t>(c.pc);
    if (m.kernalVisible && handler == (nmi ? kNmiEntry : kIrqEntry)) {
        const std::uint16_t vector = nmi ? 0x0318 : 0x0314;
        handler = static_cast<std::uint16_t>(m.ram[vector] | (m.ram[vector + 1] << 8));
    }
    m.interrupts.enter(device, handler, static_cast<std::uint8_t>(c.sp), entry, m.sidWrites);
}

// Between two instructions: the devices' events up to now, a remembered NMI
// edge, then the IRQ line if the mask lets it through; at the idle address
// time jumps to the next event. `stop` tells the caller why to return.
Served serve(C64& m, Core& c, MachineStop& stop) {
    m.cycles = c.cycles;
    if (m.halt != MachineHalt::None) {
        m.haltCycle = c.cycles;
        stop = MachineStop::Halted;
        return Served::Stop;
    }
    if (m.frameReady) {
        m.frameReady = false;
        stop = MachineStop::Frame;
        return Served::Stop;
    }
    for (;;) {
        if (c.cycles >= m.nextEvent) {
            m.cia1.advance(c.cycles);
            m.cia2.advance(c.cycles);
            m.vic.advance(c.cycles);
            m.refreshDevices();
        }
        if (c.cycles >= m.runUntil) {
            stop = MachineStop::Time;
            return Served::Stop;
        }
        const bool masked = c.maskDelayed ? c.maskBefore != 0 : (c.p & 0x04u) != 0;
        c.maskDelayed = false;
        if (m.nmiEdge) {
            m.nmiEdge = false;
            enterInterrupt(m, c, true, Device::Cia2);
            break;
        }
        if (!masked && m.irqLine()) {
            enterInterrupt(m, c, false, m.cia1.interruptActive() ? Device::Cia1 : Device::Vic);
            break;
        }
        if (c.pc == m.spinAt) {
            // A loop of one 3-cycle jump or branch: whole turns of it until
            // the next event.
            const std::uint64_t target = std::min(m.nextEvent, m.runUntil);
            if (target > c.cycles) c.cycles += (target - c.cycles + 2) / 3 * 3;
            m.cycles = c.cycles;
            continue;
        }
        if (c.pc != kIdleAddress) {
            // An IRQ held back by the delayed mask comes after the next
            // instruction.
            if (masked && (c.p & 0x04u) == 0 && m.irqLine()) {
                m.checkAt = c.cycles + 1;
                return Served::Continue;
            }
            break;
        }
        // Idle: like a caller waiting for interrupts, which clears I once.
        if (!m.idleEntered) {
            m.idleEntered = true;
            c.p &= static_cast<std::uint8_t>(~0x04u);
            continue;
        }
        if ((c.p & 0x04u) == 0 && m.irqLine()) continue;
        c.cycles = std::max(c.cycles, std::min(m.nextEvent, m.runUntil));
        m.cycles = c.cycles;
    }
    m.checkAt = std::min(m.nextEvent, m.runUntil);
    return Served::Continue;
}

} // namespace

// Flattened like the call model's loop (Cpu.cpp): the machine model's
// handlers are larger, and left to itself the compiler calls a third of
// them instead of inlining them.
[[gnu::flatten]] MachineStop C64::runMachine(std::uint64_t until) {
    if (halt != MachineHalt::None) {
        cycles = std::max(cycles, until);
        return MachineStop::Halted;
    }
    runUntil = until;
    checkAt = 0;
    Core core(*this);
    MachineStop stop = MachineStop::Time;
    std::uint64_t executed = 0;
    for (;;) {
        if (core.cycles >= checkAt) {
            if (serve(*this, core, stop) == Served::Stop) break;
            continue;
        }
        [[maybe_unused]] bool running;
        switch (core.fetch()) { NOTECAST_ALL_OPCODES }
        ++executed;
    }
    core.storeTo(*this);
    instructionsExecuted += executed;
    return stop;
}

std::uint32_t C64::stepMachine() {
    Core core(*this);
    const std::uint64_t before = core.cycles;
    [[maybe_unused]] bool running;
    switch (core.fetch()) { NOTECAST_ALL_OPCODES }
    core.storeTo(*this);
    ++instructionsExecuted;
    return static_cast<std::uint32_t>(core.cycles - before);
}

void C64::interruptReturn(std::uint8_t sp) {
    if (interrupts.leave(sp, sidWrites)) frameReady = true;
}

} // namespace notecast::emu
