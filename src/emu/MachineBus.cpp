// The bus of the whole machine: banking as the CPU port selects it, the VIC,
// the SID chips and the two CIAs in the I/O area, and the start state.
#include "emu/C64.h"
#include "emu/SystemRom.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace notecast::emu {

namespace {

// A device access may change the interrupt lines or the next event: the CPU
// serves the machine after this instruction.
void touched(C64& m) {
    m.refreshDevices();
    m.checkAt = 0;
}

std::uint8_t ioRead(C64& m, std::uint16_t address) {
    switch (address >> 8) {
    case 0xD0: case 0xD1: case 0xD2: case 0xD3: {
        const std::uint8_t value = m.vic.read(address & 0x3Fu, m.cycles);
        touched(m);
        return value;
    }
    case 0xD4: case 0xD5: case 0xD6: case 0xD7:
        return m.readSid(address);
    case 0xDC:
    case 0xDD: {
        Cia& cia = (address >> 8) == 0xDC ? m.cia1 : m.cia2;
        const std::uint8_t value = cia.read(address & 0x0Fu, m.cycles);
        touched(m);
        return value;
    }
    default:  // colour RAM, and $DE00-$DFFF where no SID chip is (plain RAM)
        if (m.inExtraSid(address)) return m.readSid(address);
        return address >= 0xDE00 ? m.ram[address] : m.io[address];
    }
}

void sidWrite(C64& m, std::uint16_t address, std::uint8_t value) {
    m.writeSid(address, value);
    ++m.sidWrites;
    // Samples written to the volume register from a fast interrupt are not
    // the music's volume and filter mode.
    if ((address & 0x1Fu) == 0x18 && !m.inExtraSid(address)) {
        ++m.volumeWrites;
        if (!m.interrupts.inSampleHandler()) m.musicVolume = value;
    }
}

void ioWrite(C64& m, std::uint16_t address, std::uint8_t value) {
    switch (address >> 8) {
    case 0xD0: case 0xD1: case 0xD2: case 0xD3:
        m.vic.write(address & 0x3Fu, value, m.cycles);
        touched(m);
        return;
    case 0xD4: case 0xD5: case 0xD6: case 0xD7:
        sidWrite(m, address, value);
        return;
    case 0xDC:
    case 0xDD:
        ((address >> 8) == 0xDC ? m.cia1 : m.cia2).write(address & 0x0Fu, value, m.cycles);
        touched(m);
        return;
    default:
        if (m.inExtraSid(address))
            sidWrite(m, address, value);
        else if (address >= 0xDE00)
            m.ram[address] = value;
        else
            m.io[address] = value;
    }
}

std::uint8_t romRead(const C64& m, std::uint16_t address) {
    return m.tuneByteAt(address) ? m.ram[address] : m.ioRom[address];
}

std::uint8_t romFetch(const C64& m, std::uint16_t address) {
    return isSystemCode(m.systemCode, address) ? m.ioRom[address] : romRead(m, address);
}

// Without the character ROM, $D000-$DFFF reads RAM where the port selects it
// (it only ever feeds graphics).
std::uint8_t machineRead(C64& m, std::uint16_t address) {
    if (address < 0xA000) return m.ram[address];
    if (address < 0xC000) return m.basicVisible ? romRead(m, address) : m.ram[address];
    if (address < 0xD000) return m.ram[address];
    if (address < 0xE000) return m.ioVisible ? ioRead(m, address) : m.ram[address];
    return m.kernalVisible ? romRead(m, address) : m.ram[address];
}

std::uint8_t machineFetch(C64& m, std::uint16_t address) {
    if (address >= 0xE000) return m.kernalVisible ? romFetch(m, address) : m.ram[address];
    return machineRead(m, address);
}

// Writes under ROM reach the RAM there.
void machineWrite(C64& m, std::uint16_t address, std::uint8_t value) {
    if (address >= 0xD000 && address < 0xE000 && m.ioVisible) {
        ioWrite(m, address, value);
        return;
    }
    m.ram[address] = value;
    if (address == 1) m.updateBankFlags();
    m.markTuneByte(address);
}

bool noRomTarget(const C64&, std::uint16_t) { return false; }

} // namespace

std::uint16_t C64::readVector(std::uint16_t address) const {
    const auto byte = [this](std::uint16_t at) { return kernalVisible ? romFetch(*this, at) : ram[at]; };
    return static_cast<std::uint16_t>(byte(address) | (byte(static_cast<std::uint16_t>(address + 1)) << 8));
}

void C64::markTuneData(std::uint16_t start, std::uint32_t length) {
    for (std::uint32_t i = 0; i < length && i < 0x10000; ++i) markTuneByte(static_cast<std::uint16_t>(start + i));
}

void C64::refreshDevices() {
    if (cia2.takeRise()) nmiEdge = true;
    nextEvent = std::min({cia1.nextEvent(), cia2.nextEvent(), vic.nextEvent()});
}

void C64::resetMachine(Clock clock) {
    const bool ntsc = clock == Clock::Ntsc;
    memoryMode = MemoryMode::BankSwitching;
    io = ioRom;
    readData = machineRead;
    writeData = machineWrite;
    fetchCode = machineFetch;
    romTarget = noRomTarget;
    std::memset(ram, 0, sizeof ram);
    std::memset(ioRom, 0, sizeof ioRom);
    installSystemRom(ioRom, systemCode);
    std::memset(tuneBytes, 0, sizeof tuneBytes);

    ram[0] = 0x2F;
    ram[1] = 0x37;
    updateBankFlags();
    ram[0x02A6] = ntsc ? 0 : 1;
    // KERNAL vectors: IRQ $EA31, BRK $FE66, NMI $FE47.
    static constexpr std::uint8_t kVectors[] = {0x31, 0xEA, 0x66, 0xFE, 0x47, 0xFE};
    std::memcpy(ram + 0x0314, kVectors, sizeof kVectors);

    lastSidWrite = 0;
    placeExtraSids(0, 0);
    musicVolume = 0;
    std::fill(std::begin(gateSet), std::end(gateSet), false);
    std::fill(std::begin(gateCleared), std::end(gateCleared), false);

    cycles = 0;
    checkAt = 0;
    // The system's 60 Hz interrupt: timer A fires every latch + 1 cycles.
    cia1.reset();
    cia1.startSystemTimer(ntsc ? 0x4295 : 0x4025, 0);
    cia2.reset();
    vic.reset(ntsc);
    interrupts.reset();
    nmiEdge = false;
    idleEntered = false;
    spinAt = kNoSpin;
    frameReady = false;
    halt = MachineHalt::None;
    haltCycle = 0;
    kernalCalls = 0;
    sidWrites = 0;
    volumeWrites = 0;
    refreshDevices();
}

void C64::enterTune(std::uint16_t start, std::uint8_t song) {
    // The return address pushed is the one before the idle address.
    constexpr std::uint16_t kReturn = kIdleAddress - 1;
    ram[0x01FF] = kReturn >> 8;
    ram[0x01FE] = kReturn & 0xFF;
    cpu.sp = 0x01FD;
    cpu.pc = start;
    cpu.a = cpu.x = cpu.y = song;
    cpu.sr = 0x20;
    cpu.stackInRange = true;
}

} // namespace notecast::emu
