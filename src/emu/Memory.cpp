#include "emu/C64.h"

#include <cstring>

namespace notecast::emu {

namespace {

constexpr std::uint16_t kIoStart = 0xD000;
constexpr std::uint16_t kSidStart = 0xD400;
constexpr std::uint16_t kSidEnd = 0xD800;   // exclusive
constexpr std::uint16_t kIoEnd = 0xE000;    // exclusive

constexpr std::uint16_t kExtraSidStart = 0xDE00;  // further chips may also sit in $DE00-$DFFF

bool inSidWindow(std::uint16_t address) { return address >= kSidStart && address < kSidEnd; }

// $DE00-$DFFF, where a further chip may sit: kept out of the paths of the
// SID window and the other chips, which every tune takes.
[[gnu::noinline]] std::uint8_t highIoRead(C64& m, std::uint16_t address) {
    return m.inExtraSid(address) ? m.readSid(address) : m.io[address];
}

// Raster line and CIA timer reads must change from read to read, or tunes
// that wait on them would never leave their loops.
std::uint8_t nextRandom(C64& m) {
    m.random = m.random * 13u + 1u;
    return static_cast<std::uint8_t>(m.random >> 3);
}

std::uint8_t ioRead(C64& m, std::uint16_t address) {
    if (address == 0xD011 || address == 0xD012 || address == 0xDC04 || address == 0xDC05)
        return nextRandom(m);
    if (inSidWindow(address)) return m.readSid(address);
    if (address >= kExtraSidStart) return highIoRead(m, address);
    return m.io[address];
}


std::uint8_t bankedRead(C64& m, std::uint16_t address) {
    if (address < 0xA000) return m.ram[address];
    if (address < 0xC000) return m.basicVisible ? m.ioRom[address] : m.ram[address];
    if (address < kIoStart) return m.ram[address];
    if (address < kIoEnd) return m.ioVisible ? ioRead(m, address) : m.ram[address];
    return m.kernalVisible ? m.ioRom[address] : m.ram[address];
}

std::uint8_t transparentRead(C64& m, std::uint16_t address) {
    if (address >= kIoStart && address < kIoEnd && m.ioVisible) return ioRead(m, address);
    return m.ram[address];
}

std::uint8_t flatRead(C64& m, std::uint16_t address) { return m.ram[address]; }

// The write handlers come in two kinds: a tune for one SID chip gets those
// that know only the first one, so that the further chips cost its writes
// nothing; placeExtraSids installs the others for a tune that has them.
void ioAwareWrite(C64& m, std::uint16_t address, std::uint8_t value) {
    if (address < kIoStart || address >= kIoEnd || !m.ioVisible) {
        m.ram[address] = value;
        if (address == 1) m.updateBankFlags();
    } else if (inSidWindow(address)) {
        m.writeFirstSid(address, value);
    } else {
        m.io[address] = value;
    }
}

void ioAwareWriteChips(C64& m, std::uint16_t address, std::uint8_t value) {
    if (address < kIoStart || address >= kIoEnd || !m.ioVisible) {
        m.ram[address] = value;
        if (address == 1) m.updateBankFlags();
    } else if (inSidWindow(address) || (address >= kExtraSidStart && m.inExtraSid(address))) {
        m.writeSid(address, value);
    } else {
        m.io[address] = value;
    }
}

// RAM everywhere: the first chip's registers are the RAM at $D400-$D41C, and
// a further chip's are the RAM in its range, so that reads see them.
void flatWrite(C64& m, std::uint16_t address, std::uint8_t value) {
    if (inSidWindow(address))
        m.writeFirstSid(address, value);
    else
        m.ram[address] = value;
}

void flatWriteChips(C64& m, std::uint16_t address, std::uint8_t value) {
    if (m.inExtraSid(address)) {
        m.writeSid(address, value);
        m.ram[address] = value;
    } else {
        flatWrite(m, address, value);
    }
}

bool romTargetBanked(const C64& m, std::uint16_t target) {
    if (target >= kIoEnd) return m.kernalVisible;
    if (target >= kIoStart) return m.ioVisible;
    if (target >= 0xA000 && target < 0xC000) return m.basicVisible;
    return false;
}

bool romTargetTransparent(const C64& m, std::uint16_t target) { return target >= kIoStart && m.kernalVisible; }

bool romTargetNever(const C64&, std::uint16_t) { return false; }

// The memory mode's write handler for as many chips as are placed (the
// whole machine's bus decodes every chip itself).
void matchWriteHandler(C64& m) {
    const bool chips = m.sidChips > 1;
    if (m.writeData == ioAwareWrite || m.writeData == ioAwareWriteChips)
        m.writeData = chips ? ioAwareWriteChips : ioAwareWrite;
    else if (m.writeData == flatWrite || m.writeData == flatWriteChips)
        m.writeData = chips ? flatWriteChips : flatWrite;
}

void put16(std::uint8_t* image, std::uint16_t address, std::uint16_t value) {
    image[address] = static_cast<std::uint8_t>(value);
    image[static_cast<std::uint16_t>(address + 1)] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

std::uint8_t C64::readSid(std::uint16_t address) const {
    if (extraSids[0].base != 0 && inExtraSid(address)) return readExtraSid(address);
    const unsigned r = address & 0x1Fu;
    if (r >= 0x1D) return io[address];
    if (r == 0x1B) return osc3;
    if (r == 0x1C) return env3;
    // The SID's other registers are write-only: the data bus still holds
    // the last byte written to the chip.
    return lastSidWrite;
}

// A further chip's 32 bytes are its own, $1D-$1F included (unused SID
// registers there), whichever mirror of the first chip they would otherwise
// be.
void C64::writeSid(std::uint16_t address, std::uint8_t value) {
    if (extraSids[0].base != 0 && inExtraSid(address))
        writeExtraSid(address, value);
    else
        writeFirstSid(address, value);
}

// The further chips are kept out of the first chip's path, which every
// ordinary tune takes.
std::uint8_t C64::readExtraSid(std::uint16_t address) const {
    const ExtraSid& chip = extraSids[extraSidAt(address)];
    const unsigned r = address & 0x1Fu;
    return r == 0x1B ? chip.osc3 : r == 0x1C ? chip.env3 : chip.lastWrite;
}

void C64::writeExtraSid(std::uint16_t address, std::uint8_t value) {
    const int k = extraSidAt(address);
    ExtraSid& chip = extraSids[k];
    const unsigned r = address & 0x1Fu;
    chip.lastWrite = value;
    chip.registers[r] = value;
    if (r >= 0x1D) return;
    const unsigned flag = 32u * static_cast<unsigned>(k + 1) + r;
    if (value & 1u)
        gateSet[flag] = true;
    else
        gateCleared[flag] = true;
}

void C64::placeExtraSids(std::uint16_t second, std::uint16_t third) {
    for (ExtraSid& chip : extraSids) chip = ExtraSid{};
    extraSids[0].base = static_cast<std::uint16_t>(second & 0xFFE0u);
    extraSids[1].base = second != 0 ? static_cast<std::uint16_t>(third & 0xFFE0u) : 0;
    sidChips = 1 + (extraSids[0].base != 0) + (extraSids[1].base != 0);
    matchWriteHandler(*this);
}

void C64::installMemoryMode(MemoryMode mode) {
    if (mode != MemoryMode::TransparentRom && mode != MemoryMode::Romless)
        mode = MemoryMode::BankSwitching;
    memoryMode = mode;
    fetchCode = nullptr;
    switch (mode) {
    case MemoryMode::TransparentRom:
        io = ioRom;
        readData = transparentRead;
        writeData = ioAwareWrite;
        romTarget = romTargetTransparent;
        break;
    case MemoryMode::Romless:
        io = ram;
        readData = flatRead;
        writeData = flatWrite;
        romTarget = romTargetNever;
        break;
    case MemoryMode::BankSwitching:
        io = ioRom;
        readData = bankedRead;
        writeData = ioAwareWrite;
        romTarget = romTargetBanked;
        break;
    }
    matchWriteHandler(*this);
}

void C64::clearMemory() {
    std::memset(ram, 0, sizeof ram);
    if (memoryMode == MemoryMode::Romless) {
        // No ROM: the KERNAL area of RAM answers every call with a return.
        std::memset(ram + 0xE000, 0x40, 0x2000);
        return;
    }
    // The ROM areas hold returns only: RTS for BASIC, RTI for the KERNAL.
    std::memset(ioRom, 0, sizeof ioRom);
    std::memset(ioRom + 0xA000, 0x60, 0x2000);
    std::memset(ioRom + 0xE000, 0x40, 0x2000);
}

void C64::resetIo(Clock clock, std::uint32_t seed) {
    random = seed;
    ram[0] = 0x2F;
    ram[1] = 0x07;
    updateBankFlags();

    const bool ntsc = clock == Clock::Ntsc;
    ram[0x02A6] = ntsc ? 0 : 1;
    put16(io, 0xDC04, ntsc ? 17045 : 16421);
    io[0xD019] = 0xFF;

    // KERNAL vectors: IRQ $EA31, BRK $FE66, NMI $FE47.
    static constexpr std::uint8_t kVectors[] = {0x31, 0xEA, 0x66, 0xFE, 0x47, 0xFE};
    std::memcpy(ram + 0x0314, kVectors, sizeof kVectors);
    if (memoryMode == MemoryMode::Romless) {
        // JMP ($0314) at $FF48, reached through the IRQ vector below.
        ram[0xFF48] = 0x6C;
        put16(ram, 0xFF49, 0x0314);
        put16(ram, 0xFFFA, 0xFFF8);
    } else {
        put16(ram, 0xFFFA, 0xFE43);
        put16(ram, 0xFFFC, 0xFCE2);
    }
    put16(ram, 0xFFFE, 0xFF48);

    std::memset(io + kSidStart, 0, 0x1D);
    lastSidWrite = 15;
    io[0xD418] = 15;
    placeExtraSids(0, 0);  // the song's own are placed after its data
}

void C64::updateBankFlags() {
    const std::uint8_t value = ram[1];
    basicVisible = (value & 3u) == 3u;
    ioVisible = (value & 7u) > 4u;
    kernalVisible = (value & 2u) != 0;
    codeInRam[0xA] = codeInRam[0xB] = !basicVisible;
    codeInRam[0xE] = codeInRam[0xF] = !kernalVisible;
}

std::uint8_t C64::bankValueFor(std::uint16_t address) const {
    if (memoryMode == MemoryMode::Romless) return 4;
    if (address < 0xA000) return 7;
    if (address < kIoStart) return 6;
    if (address < kIoEnd) return 4;
    return 5;
}

} // namespace notecast::emu
